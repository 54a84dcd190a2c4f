# Benchmarks with Google Benchmark: snapshot construction, the whole report
# and the description excerpt. Built by the "bench" preset; no test runs them.
find_package(benchmark REQUIRED)

add_executable(shgs_benchmarks
  bench/bench_support.cc
  bench/excerpt_bench.cc
  bench/report_bench.cc
  bench/snapshot_bench.cc
)
target_include_directories(shgs_benchmarks PRIVATE bench tests)
target_link_libraries(shgs_benchmarks PRIVATE shgs_core shgs_sample_server
                      benchmark::benchmark
                      benchmark::benchmark_main)
