// The whole report of 26 games, records already loaded, into a memory
// stream, plain and forum.
#include <benchmark/benchmark.h>

#include <sstream>
#include <string>
#include <vector>

#include "bench_support.h"
#include "datafiles/config_data.h"
#include "datafiles/global_data.h"
#include "driver/export_options.h"
#include "registry/server_snapshot.h"
#include "report/game_section.h"
#include "report/row_writer.h"
#include "report/server_section.h"

namespace shgs {
namespace bench {
namespace {

constexpr std::int64_t kNow = 1796000000;  // in 2026

const char kDescription[] =
    "A game for the benchmark, with a description of a few lines.\n"
    "The second line is long enough to wrap once it passes the eightieth "
    "character of the row.\nAnd a third.\n";

void writeWholeReport(std::ostream& out, const ServerSnapshot& snapshot,
                      const GlobalRecord& global,
                      const std::vector<ConfigRecord>& games,
                      Platform& platform) {
  const ExportOptions& options = exportOptions();
  writeReportOpening(out, options);
  writeServerSection(out, options, snapshot, global);
  writeGameSettingsBanner(out);
  for (std::size_t i = 0; i < games.size(); ++i) {
    const char letter = static_cast<char>('A' + i);
    writeGameSectionStart(out, letter, games[i], snapshot, options, kNow,
                          platform);
    writeGameSectionEnd(out, games[i], options);
  }
  writeReportFooter(out, options);
}

// Each game's description is the same small file on disk, read once per
// game as in a real run.
void BM_WholeReport26Games(benchmark::State& state) {
  const ScratchFile description;
  description.write(kDescription);
  OneFilePlatform platform(description.path());
  const ServerSnapshot snapshot =
      ServerSnapshot::fromCapture(makeCapture(10 << 10));
  const GlobalRecord global(makeGlobalRecord());
  std::vector<ConfigRecord> games;
  for (int i = 0; i < 26; ++i) games.emplace_back(makeConfigRecord(i));
  exportOptions() = ExportOptions();
  exportOptions().forumFormatted = state.range(0) != 0;
  std::size_t size = 0;
  for (auto _ : state) {
    currentColour() = "white";
    std::ostringstream out;
    out << std::left << std::boolalpha;
    writeWholeReport(out, snapshot, global, games, platform);
    size = out.str().size();
  }
  state.counters["report_bytes"] = static_cast<double>(size);
  state.SetLabel(state.range(0) != 0 ? "forum" : "plain");
}

BENCHMARK(BM_WholeReport26Games)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace bench
}  // namespace shgs
