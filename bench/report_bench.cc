// The whole report of 26 games, records already loaded, into a memory
// stream, in each format: the same entry the program writes its report
// through.
#include <benchmark/benchmark.h>

#include <map>
#include <sstream>
#include <string>

#include "bench_support.h"
#include "datafiles/config_data.h"
#include "datafiles/global_data.h"
#include "memory_report_source.h"
#include "registry/server_snapshot.h"
#include "report/report.h"

namespace shgs {
namespace bench {
namespace {

constexpr std::int64_t kNow = 1796000000;  // in 2026

const char kDescription[] =
    "A game for the benchmark, with a description of a few lines.\n"
    "The second line is long enough to wrap once it passes the eightieth "
    "character of the row.\nAnd a third.\n";

// Each game shows the same small description, read anew for each game.
void BM_WholeReport26Games(benchmark::State& state) {
  const ServerSnapshot snapshot =
      ServerSnapshot::fromCapture(makeCapture(10 << 10));
  std::map<char, ConfigRecord> games;
  ReportContents contents;
  for (int i = 0; i < 26; ++i) {
    const char letter = static_cast<char>('A' + i);
    games.emplace(letter, ConfigRecord(makeConfigRecord(i)));
    contents.selectedGames.insert(letter);
  }
  contents.format = static_cast<ReportFormat>(state.range(0));
  testing_support::MemoryReportSource source(GlobalRecord(makeGlobalRecord()),
                                             games, kDescription);
  std::size_t size = 0;
  for (auto _ : state) {
    std::ostringstream out;
    writeReport(out, snapshot, contents, source, kNow);
    size = out.str().size();
  }
  state.counters["report_bytes"] = static_cast<double>(size);
  static const char* const kNames[] = {"forum", "plain", "markdown", "html",
                                       "json"};
  state.SetLabel(kNames[state.range(0)]);
}

BENCHMARK(BM_WholeReport26Games)
    ->DenseRange(0, 4)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace bench
}  // namespace shgs
