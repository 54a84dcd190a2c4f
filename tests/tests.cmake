find_package(GTest REQUIRED)
include(GoogleTest)

# Unit tests: one binary, in-process, no files outside a temporary directory.
add_executable(exporter_tests
  tests/unit/options_menu_test.cc
)
if(NOT WIN32)
  target_sources(exporter_tests PRIVATE
    tests/unit/host_path_test.cc
    tests/unit/platform_posix_test.cc
    tests/unit/wine_registry_test.cc
  )
endif()
target_link_libraries(exporter_tests PRIVATE shgs_core GTest::gtest_main)
gtest_discover_tests(exporter_tests
  DISCOVERY_MODE PRE_TEST
  PROPERTIES LABELS unit)

# Helpers shared by every test binary: temporary directories, running the
# program as a separate process.
add_library(shgs_test_support STATIC tests/support/test_support.cc)
target_include_directories(shgs_test_support PUBLIC tests)
target_link_libraries(shgs_test_support PUBLIC GTest::gtest shgs_warnings)
target_link_libraries(exporter_tests PRIVATE shgs_test_support)

# End-to-end tests: the built program run as a separate process on sample
# servers made by shgs-make-server, in temporary directories.
add_executable(exporter_e2e_tests
  tests/e2e/run_test.cc
)
target_link_libraries(exporter_e2e_tests PRIVATE shgs_test_support GTest::gtest_main)
target_compile_definitions(exporter_e2e_tests PRIVATE
  SHGS_EXPORTER_PATH="$<TARGET_FILE:shgs-exporter>"
  SHGS_MAKE_SERVER_PATH="$<TARGET_FILE:shgs-make-server>"
  SHGS_TESTDATA_DIR="${PROJECT_SOURCE_DIR}/tests/testdata")
add_dependencies(exporter_e2e_tests shgs-exporter shgs-make-server)
gtest_discover_tests(exporter_e2e_tests
  DISCOVERY_MODE PRE_TEST
  PROPERTIES LABELS e2e)
