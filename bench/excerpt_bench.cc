// The description excerpt of a 1 KB file and of a 200 MB file that is one
// line: the excerpt reads no more than its budget, so both should cost
// about the same.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <sstream>
#include <string>

#include "report/game_section.h"
#include "support/text_input.h"

namespace shgs {
namespace bench {
namespace {

using testing_support::TextInput;

std::string kilobyteOfLines() {
  std::string text;
  while (text.size() < 1024) text += "A line of a game's description.\n";
  return text;
}

// "size" bytes of "pattern" over and over.
void runExcerpt(benchmark::State& state, const std::string& pattern,
                std::uint64_t size) {
  for (auto _ : state) {
    DescriptionFile description(std::make_unique<TextInput>(pattern, size));
    std::ostringstream out;
    const auto writer = makeReportWriter(out, ReportFormat::kPlain, 0, "");
    writeDescriptionExcerpt(*writer, &description);
    benchmark::DoNotOptimize(out.str().size());
  }
}

void BM_ExcerptOf1KBFile(benchmark::State& state) {
  const std::string text = kilobyteOfLines();
  runExcerpt(state, text, text.size());
}

// 200 MB of zero bytes without a line end.
void BM_ExcerptOf200MBOneLineFile(benchmark::State& state) {
  runExcerpt(state, std::string(1, '\0'), 200u << 20);
}

BENCHMARK(BM_ExcerptOf1KBFile)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ExcerptOf200MBOneLineFile)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace bench
}  // namespace shgs
