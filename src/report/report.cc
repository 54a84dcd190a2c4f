#include "report/report.h"

#include <memory>

#include "report/game_section.h"
#include "report/report_writer.h"
#include "report/section_text.h"
#include "report/server_section.h"

namespace shgs {
namespace {

void writeGameSections(ReportWriter& writer, const ServerSnapshot& snapshot,
                       const ReportContents& contents, ReportSource& source,
                       std::int64_t now) {
  if (contents.selectedGames.empty()) return;
  writeGameSettingsBanner(writer);
  for (const char letter : contents.selectedGames) {
    source.readGame(letter, [&](const ConfigRecord& config,
                                DescriptionFile* description) {
      writeGameSectionStart(writer, letter, config, snapshot, now, description);
      writeGameSectionEnd(writer, config, contents.includeStockPriceData);
    });
  }
}

}  // namespace

void writeReport(std::ostream& out, const ServerSnapshot& snapshot,
                 const ReportContents& contents, ReportSource& source,
                 std::int64_t now) {
  const std::unique_ptr<ReportWriter> writer =
      makeReportWriter(out, contents.format, now, serverAddress(snapshot));
  writer->writeReportOpening();
  if (contents.globalDataIncluded) {
    source.readServer([&](const GlobalRecord& global) {
      writeServerSection(
          *writer, snapshot, global,
          [&source](const std::string& message) { source.warn(message); });
    });
  }
  writeGameSections(*writer, snapshot, contents, source, now);
  writer->writeReportFooter();
}

}  // namespace shgs
