#include "report/report.h"

#include "report/game_section.h"
#include "report/report_writer.h"
#include "report/server_section.h"
#include "version.h"

namespace shgs {
namespace {

void writeReportOpening(ReportWriter& writer) {
  if (!writer.forumFormatted()) return;
  writer.out() << "[CODE][white]";
  writer.endLine();
}

void writeReportFooter(ReportWriter& writer) {
  if (!writer.forumFormatted()) return;
  writer.out() << "[/CODE][hr][yellow]The preceding table was produced by "
                  "the SHGS Game Settings Exporter v"
               << kVersion << "!";
  writer.endLine();
  writer.out() << "[url]" << kHomePageUrl << "[/url] [/COLOR][hr]";
  writer.endLine();
  writer.endLine();
}

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
  ReportWriter writer(out, contents.forumFormatted);
  writeReportOpening(writer);
  if (contents.globalDataIncluded) {
    source.readServer([&](const GlobalRecord& global) {
      writeServerSection(writer, snapshot, global);
    });
  }
  writeGameSections(writer, snapshot, contents, source, now);
  writeReportFooter(writer);
}

}  // namespace shgs
