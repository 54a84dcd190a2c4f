// The description excerpt of a 1 KB file and of a 200 MB file that is one
// line: the excerpt reads no more than its budget, so both should cost
// about the same.
#include <benchmark/benchmark.h>

#include <memory>
#include <sstream>
#include <string>

#include "bench_support.h"
#include "report/game_section.h"

namespace shgs {
namespace bench {
namespace {

constexpr char kPath[] = "c:\\shgs\\descfile\\game1.txt";

std::string kilobyteOfLines() {
  std::string text;
  while (text.size() < 1024) text += "A line of a game's description.\n";
  return text;
}

void runExcerpt(benchmark::State& state, const ScratchFile& file) {
  OneFilePlatform platform(file.path());
  for (auto _ : state) {
    const std::unique_ptr<DescriptionFile> description =
        DescriptionFile::open(platform, kPath);
    std::ostringstream out;
    ReportWriter writer(out, false);
    writeDescriptionExcerpt(writer, description.get());
    benchmark::DoNotOptimize(out.str().size());
  }
}

void BM_ExcerptOf1KBFile(benchmark::State& state) {
  const ScratchFile file;
  file.write(kilobyteOfLines());
  runExcerpt(state, file);
}

// A sparse file: 200 MB of zero bytes without a line end.
void BM_ExcerptOf200MBOneLineFile(benchmark::State& state) {
  const ScratchFile file;
  file.resize(200u << 20);
  runExcerpt(state, file);
}

BENCHMARK(BM_ExcerptOf1KBFile)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ExcerptOf200MBOneLineFile)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace bench
}  // namespace shgs
