# Benchmarks with Google Benchmark: snapshot construction, the whole report,
# the description excerpt and, on POSIX, a whole run of the program beside a
# plain read of its files and the listing from a Wine prefix's system.reg
# with its peak memory. Built by the "bench" preset; no test runs
# them.
find_package(benchmark REQUIRED)

add_executable(shgs_benchmarks
  bench/bench_support.cc
  bench/excerpt_bench.cc
  bench/report_bench.cc
  bench/snapshot_bench.cc
)
if(NOT WIN32)
  target_sources(shgs_benchmarks PRIVATE
    bench/run_bench.cc
    bench/winereg_bench.cc)
  target_compile_definitions(shgs_benchmarks PRIVATE
    SHGS_EXPORTER_PATH="$<TARGET_FILE:shgs-exporter>"
    SHGS_MAKE_SERVER_PATH="$<TARGET_FILE:shgs-make-server>")
  add_dependencies(shgs_benchmarks shgs-exporter shgs-make-server)
endif()
target_include_directories(shgs_benchmarks PRIVATE bench fuzz tests)
target_link_libraries(shgs_benchmarks PRIVATE shgs_core shgs_sample_server
                      benchmark::benchmark
                      benchmark::benchmark_main)
