# Fuzz targets, one per kind of input the program reads from others: the
# registry capture, a Wine prefix's system.reg, the two binary records and a
# game's description file. Each has a seed corpus in fuzz/corpus/<target>.
#
# With SHGS_BUILD_FUZZERS (the "fuzz" preset, clang) each target is a
# libFuzzer binary, and its test fuzzes for SHGS_FUZZ_SECONDS from its seeds;
# a crash, a sanitizer report or a broken check fails it. New inputs go to
# the build directory, never into the source tree. Otherwise each target is
# built with a plain driver that replays its seed corpus once, so the normal
# test builds keep every seed (and every input that once failed) passing.

set(SHGS_FUZZ_SECONDS 25 CACHE STRING "Seconds each fuzz target runs in its test")

set(shgs_fuzz_targets capture winereg records description)
set(shgs_fuzz_max_len_capture 8192)
set(shgs_fuzz_max_len_winereg 8192)
set(shgs_fuzz_max_len_records 10002)
set(shgs_fuzz_max_len_description 4096)

add_library(shgs_fuzz_checks STATIC fuzz/snapshot_checks.cc)
target_include_directories(shgs_fuzz_checks PUBLIC fuzz tests)
target_link_libraries(shgs_fuzz_checks PUBLIC shgs_core)

foreach(target IN LISTS shgs_fuzz_targets)
  set(name shgs_fuzz_${target})
  set(corpus ${PROJECT_SOURCE_DIR}/fuzz/corpus/${target})
  if(SHGS_BUILD_FUZZERS)
    add_executable(${name} fuzz/${target}_fuzzer.cc)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    set(scratch ${CMAKE_CURRENT_BINARY_DIR}/fuzz/${target})
    file(MAKE_DIRECTORY ${scratch}/corpus ${scratch}/artifacts)
    set(dictionary ${PROJECT_SOURCE_DIR}/fuzz/${target}.dict)
    set(dictionary_option)
    if(EXISTS ${dictionary})
      set(dictionary_option -dict=${dictionary})
    endif()
    add_test(NAME fuzz.${target}
      COMMAND ${name} -max_total_time=${SHGS_FUZZ_SECONDS}
              -max_len=${shgs_fuzz_max_len_${target}} -timeout=20
              -print_final_stats=1 ${dictionary_option}
              -artifact_prefix=${scratch}/artifacts/
              ${scratch}/corpus ${corpus})
    set_tests_properties(fuzz.${target} PROPERTIES LABELS fuzz)
  else()
    add_executable(${name} fuzz/${target}_fuzzer.cc fuzz/replay_main.cc)
    add_test(NAME fuzz_replay.${target} COMMAND ${name} ${corpus})
    set_tests_properties(fuzz_replay.${target} PROPERTIES LABELS unit)
  endif()
  target_link_libraries(${name} PRIVATE shgs_fuzz_checks)
endforeach()
