// Snapshot construction against the size of the capture, next to one plain
// read of the same capture file through a stream: construction should grow
// linearly, at a small multiple of the read.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <fstream>
#include <sstream>
#include <string>

#include "bench_support.h"
#include "registry/server_snapshot.h"

namespace shgs {
namespace bench {
namespace {

void setCaptureCounters(benchmark::State& state, std::size_t size) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(size));
  state.counters["capture_bytes"] = static_cast<double>(size);
}

// Building the snapshot from a capture already in memory.
void BM_SnapshotFromCapture(benchmark::State& state) {
  const std::string capture =
      makeCapture(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    ServerSnapshot snapshot = ServerSnapshot::fromCapture(capture);
    benchmark::DoNotOptimize(snapshot);
  }
  setCaptureCounters(state, capture.size());
}

std::string readWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// One plain read of the capture file through a stream: the yardstick.
void BM_ReadCaptureFile(benchmark::State& state) {
  const ScratchFile file;
  file.write(makeCapture(static_cast<std::size_t>(state.range(0))));
  std::size_t size = 0;
  for (auto _ : state) {
    const std::string text = readWhole(file.path());
    size = text.size();
    benchmark::DoNotOptimize(text.data());
  }
  setCaptureCounters(state, size);
}

// What the program does: read the capture file, then build the snapshot.
void BM_SnapshotFromCaptureFile(benchmark::State& state) {
  const ScratchFile file;
  file.write(makeCapture(static_cast<std::size_t>(state.range(0))));
  std::size_t size = 0;
  for (auto _ : state) {
    std::string text = readWhole(file.path());
    size = text.size();
    ServerSnapshot snapshot = ServerSnapshot::fromCapture(std::move(text));
    benchmark::DoNotOptimize(snapshot);
  }
  setCaptureCounters(state, size);
}

constexpr std::int64_t kSizes[] = {10 << 10, 1 << 20, 10 << 20};

BENCHMARK(BM_ReadCaptureFile)
    ->Arg(kSizes[0])
    ->Arg(kSizes[1])
    ->Arg(kSizes[2])
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SnapshotFromCapture)
    ->Arg(kSizes[0])
    ->Arg(kSizes[1])
    ->Arg(kSizes[2])
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SnapshotFromCaptureFile)
    ->Arg(kSizes[0])
    ->Arg(kSizes[1])
    ->Arg(kSizes[2])
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace bench
}  // namespace shgs
