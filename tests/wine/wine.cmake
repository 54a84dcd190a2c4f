# The Windows executables under Wine (scripts/test-wine, label "wine"): the
# scenario rows of tests/e2e, the golden reports among them, and the release
# zip. The executables and the zip come from the mingw-i686 and mingw-x86_64
# builds, made before these tests run.

set(SHGS_WINE_EXPORTER_I686
    "${PROJECT_SOURCE_DIR}/build/mingw-i686/shgs-exporter.exe"
    CACHE FILEPATH "The i686 Windows executable the Wine tests run")
set(SHGS_WINE_EXPORTER_X86_64
    "${PROJECT_SOURCE_DIR}/build/mingw-x86_64/shgs-exporter.exe"
    CACHE FILEPATH "The x86_64 Windows executable the Wine tests run")
set(SHGS_WINE_RELEASE_ZIP
    "${PROJECT_SOURCE_DIR}/build/mingw-i686/shgs-exporter-${PROJECT_VERSION}-win32.zip"
    CACHE FILEPATH "The release zip the Wine tests unpack and run")
set(wine_helpers "${CMAKE_CURRENT_BINARY_DIR}/wine-helpers")

# Windows programs of the tests' own, for each Windows architecture (the one
# that runs is picked at run time): the Notepad stand-in, installed as the
# system's Notepad, and the program planted in start directories.
set(windows_helpers)
foreach(arch i686 x86_64)
  find_program(SHGS_MINGW_${arch}_CXX ${arch}-w64-mingw32-g++ REQUIRED)
  foreach(program notepad planted)
    set(helper "${wine_helpers}/${arch}/${program}.exe")
    add_custom_command(
      OUTPUT "${helper}"
      COMMAND "${CMAKE_COMMAND}" -E make_directory "${wine_helpers}/${arch}"
      COMMAND "${SHGS_MINGW_${arch}_CXX}" -std=c++17 -O2 -Wall -Wextra -Werror
              -static -s -o "${helper}"
              "${PROJECT_SOURCE_DIR}/tests/wine/${program}_stub.cc"
      DEPENDS tests/wine/${program}_stub.cc
      COMMENT "Building ${program}.exe (${arch}) for the Wine tests")
    list(APPEND windows_helpers "${helper}")
  endforeach()
endforeach()

# The clock-shifting preload library, for 32-bit and 64-bit Wine processes,
# in the directories Debian's dynamic loader names by $LIB.
set(clock_shift_libraries)
foreach(bits_dir "32;i386" "64;x86_64")
  list(GET bits_dir 0 bits)
  list(GET bits_dir 1 arch)
  set(lib_dir "lib/${arch}-linux-gnu")
  set(library "${wine_helpers}/${lib_dir}/libshgs_clock_shift.so")
  add_custom_command(
    OUTPUT "${library}"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${wine_helpers}/${lib_dir}"
    COMMAND "${CMAKE_CXX_COMPILER}" -m${bits} -std=c++17 -O2 -Wall -Wextra
            -Werror -fPIC -shared -nostdlib -fno-exceptions -fno-rtti
            -fno-threadsafe-statics -fno-stack-protector -o "${library}"
            "${PROJECT_SOURCE_DIR}/tests/wine/clock_shift.cc"
    DEPENDS tests/wine/clock_shift.cc
    COMMENT "Building the ${bits}-bit clock shift for the Wine tests")
  list(APPEND clock_shift_libraries "${library}")
endforeach()

add_custom_target(shgs_wine_helpers
  DEPENDS ${windows_helpers} ${clock_shift_libraries})

add_executable(exporter_wine_tests
  tests/e2e/scenario_test.cc
  tests/wine/wine_test.cc
)
target_link_libraries(exporter_wine_tests PRIVATE shgs_test_support GTest::gtest)
target_compile_definitions(exporter_wine_tests PRIVATE
  SHGS_UNDER_WINE
  SHGS_WINE_EXPORTER_I686="${SHGS_WINE_EXPORTER_I686}"
  SHGS_WINE_EXPORTER_X86_64="${SHGS_WINE_EXPORTER_X86_64}"
  SHGS_WINE_RELEASE_ZIP="${SHGS_WINE_RELEASE_ZIP}"
  SHGS_WINE_HELPERS_DIR="${wine_helpers}"
  SHGS_MAKE_SERVER_PATH="$<TARGET_FILE:shgs-make-server>"
  SHGS_CMAKE_COMMAND="${CMAKE_COMMAND}"
  SHGS_RUNS_32_BIT_CODE="${PROJECT_SOURCE_DIR}/tests/wine/runs-32-bit-code"
  SHGS_TESTDATA_DIR="${PROJECT_SOURCE_DIR}/tests/testdata"
  SHGS_HOME_PAGE_URL="${SHGS_HOME_PAGE_URL}")
add_dependencies(exporter_wine_tests shgs-make-server shgs_wine_helpers)

# One process, with one Wine prefix, for each Windows program. The 32-bit one
# (the program the zip ships) runs only where the kernel runs 32-bit code;
# elsewhere its tier says why and CTest shows it as skipped, and the rows
# that any program may run go to the 64-bit one instead.
# The zip's program is the 32-bit one: only its tier runs the zip.
add_test(NAME WineTier32Bit COMMAND exporter_wine_tests)
add_test(NAME WineTier64Bit
         COMMAND exporter_wine_tests --gtest_filter=-ReleaseZipTest.*)
set_tests_properties(WineTier64Bit PROPERTIES
  ENVIRONMENT SHGS_WINDOWS_PROGRAM=64)
set_tests_properties(WineTier32Bit WineTier64Bit PROPERTIES
  LABELS wine TIMEOUT 1500 SKIP_RETURN_CODE 77)
