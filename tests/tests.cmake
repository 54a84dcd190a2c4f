find_package(GTest REQUIRED)
include(GoogleTest)

# Unit tests: one binary, in-process, no files outside a temporary directory.
add_executable(exporter_tests
  tests/unit/capture_scanner_test.cc
  tests/unit/game_section_test.cc
  tests/unit/options_menu_test.cc
  tests/unit/record_builder_test.cc
  tests/unit/record_encoding_test.cc
  tests/unit/server_snapshot_test.cc
  tests/unit/winereg_lines_test.cc
  tests/unit/winereg_listing_test.cc
  tests/unit/winereg_section_skip_test.cc
)
# The POSIX platform's tests run only where it is built.
if(NOT WIN32)
  target_sources(exporter_tests PRIVATE
    tests/unit/posix_prefix_paths_test.cc
    tests/unit/posix_viewer_test.cc
    tests/unit/posix_work_file_test.cc
  )
endif()
# The record tests build their records with the sample generator's tables;
# the snapshot's is checked against the fuzz target's plain reading.
target_link_libraries(exporter_tests PRIVATE shgs_core shgs_sample_server
                      shgs_fuzz_checks GTest::gtest_main)
target_compile_definitions(exporter_tests PRIVATE
  SHGS_TESTDATA_DIR="${PROJECT_SOURCE_DIR}/tests/testdata")
gtest_discover_tests(exporter_tests
  DISCOVERY_MODE PRE_TEST
  PROPERTIES LABELS unit)

# Helpers shared by every test binary: temporary directories, running the
# program as a separate process.
add_library(shgs_test_support STATIC tests/support/test_support.cc)
target_include_directories(shgs_test_support PUBLIC tests)
target_link_libraries(shgs_test_support PUBLIC GTest::gmock shgs_warnings)
target_link_libraries(exporter_tests PRIVATE shgs_test_support)

# A test binary that runs the built programs as separate processes.
function(shgs_add_program_tests target label)
  add_executable(${target} ${ARGN})
  target_link_libraries(${target} PRIVATE shgs_test_support GTest::gtest_main)
  target_compile_definitions(${target} PRIVATE
    SHGS_EXPORTER_PATH="$<TARGET_FILE:shgs-exporter>"
    SHGS_MAKE_SERVER_PATH="$<TARGET_FILE:shgs-make-server>"
    SHGS_TESTDATA_DIR="${PROJECT_SOURCE_DIR}/tests/testdata"
    SHGS_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    SHGS_HOME_PAGE_URL="${SHGS_HOME_PAGE_URL}")
  add_dependencies(${target} shgs-exporter shgs-make-server)
  gtest_discover_tests(${target}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES LABELS ${label} TIMEOUT 300)
endfunction()

# End-to-end tests: the built program run on sample servers made by
# shgs-make-server, in temporary directories; among them the golden reports
# (rows Golden_*, tests/testdata/golden), whose clock is pinned with
# libfaketime, from the faketime package.
shgs_add_program_tests(exporter_e2e_tests e2e
  tests/e2e/make_server_test.cc
  tests/e2e/scenario_test.cc
  tests/e2e/whole_run_test.cc
)

# The golden Markdown, web page and JSON reports checked with real tools
# (scripts/install-deps test installs them): the JSON against
# docs/report.schema.json and by jq, the page by a strict HTML5 parser, the
# Markdown rendered by cmark-gfm into the page's tables.
add_test(NAME golden_formats
         COMMAND /usr/bin/python3 ${PROJECT_SOURCE_DIR}/tests/golden/check_formats.py
                 ${PROJECT_SOURCE_DIR}/tests/testdata/golden
                 ${PROJECT_SOURCE_DIR}/docs/report.schema.json)
set_tests_properties(golden_formats PROPERTIES LABELS golden)

# The Windows executables under Wine; see tests/wine/wine.cmake.
if(SHGS_WINE_TESTS)
  include(tests/wine/wine.cmake)
endif()
