find_package(GTest REQUIRED)
include(GoogleTest)

# Unit tests: one binary, in-process, no files outside a temporary directory.
add_executable(exporter_tests
  tests/unit/options_menu_test.cc
)
target_link_libraries(exporter_tests PRIVATE shgs_core GTest::gtest_main)
gtest_discover_tests(exporter_tests
  DISCOVERY_MODE PRE_TEST
  PROPERTIES LABELS unit)
