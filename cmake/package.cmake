# The release zip of a Windows build (cpack --preset mingw-i686): the
# executable, README.md and the quick start for operators, in one folder named
# after the release. The text files get CR LF line ends, which every Notepad
# shows as lines.

function(shgs_copy_with_crlf source destination)
  file(READ "${source}" text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE "${destination}" "${text}")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${source}")
endfunction()

set(package_texts "${CMAKE_CURRENT_BINARY_DIR}/package-texts")
shgs_copy_with_crlf("${PROJECT_SOURCE_DIR}/README.md"
                    "${package_texts}/README.md")
shgs_copy_with_crlf("${PROJECT_SOURCE_DIR}/docs/QUICKSTART.txt"
                    "${package_texts}/QUICKSTART.txt")

install(TARGETS shgs-exporter RUNTIME DESTINATION .)
install(FILES "${package_texts}/README.md" "${package_texts}/QUICKSTART.txt"
        DESTINATION .)

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(package_platform win32)
else()
  set(package_platform win64)
endif()
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME shgs-exporter)
set(CPACK_PACKAGE_FILE_NAME
    "shgs-exporter-${PROJECT_VERSION}-${package_platform}")
set(CPACK_STRIP_FILES TRUE)
include(CPack)
