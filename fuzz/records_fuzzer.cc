// Arbitrary bytes as a game's shcfig.dat and the server's shglob.dat (each 0
// to 5000 bytes): the whole report for one game must be written in every
// format, with and without stock prices, into memory; the formats other than
// forum and plain in valid UTF-8 whatever the names in the record hold.
//
// Input: two bytes, little-endian, give the length of shcfig.dat (at most
// what follows, and 5000); then its bytes; the rest, up to 5000 bytes, is
// shglob.dat.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iostream>
#include <sstream>
#include <string>

#include "datafiles/config_data.h"
#include "datafiles/global_data.h"
#include "fuzz_support.h"
#include "memory_report_source.h"
#include "registry/server_snapshot.h"
#include "report/report.h"
#include "report/server_text.h"

namespace shgs {
namespace fuzzing {
namespace {

constexpr std::size_t kMaxFileSize = 5000;
constexpr std::int64_t kNow = 1796000000;  // in 2026
constexpr char kShipDelayMessage[] = "Invalid ship delay value!";

// A server with one game.
const char kCapture[] =
    "\r\nHKEY_LOCAL_MACHINE\\Software\\Orbital Forge Software\\Starhaul "
    "Deluxe Game Server\r\n"
    "    ServerRoot    REG_SZ    C:\\SHGS\r\n"
    "    LimitIP    REG_SZ    T\r\n"
    "    IPAddr    REG_SZ    10.0.0.1\r\n"
    "    NameAddr    REG_SZ    \r\n"
    "    Port    REG_SZ    2002\r\n"
    "    NodeMax    REG_SZ    12\r\n"
    "\r\nHKEY_LOCAL_MACHINE\\Software\\Orbital Forge Software\\Starhaul "
    "Deluxe Game Server\\Games\\A\r\n"
    "    Deleted    REG_SZ    F\r\n"
    "    Directory    REG_SZ    C:\\SHGS\\A\r\n"
    "    Description    REG_SZ    Game1.txt\r\n"
    "    Title    REG_SZ    Bob's Place\r\n";

const char kDescription[] =
    "A game for testing.\nIts second line is a little longer than the "
    "first one, so that it wraps after eighty characters.\n";

// The first 4096 bytes of a file holding "bytes"; the rest reads as zero.
RecordBytes recordOf(const std::string& bytes) {
  RecordBytes record{};
  std::copy_n(bytes.begin(), std::min(bytes.size(), record.size()),
              record.begin());
  return record;
}

struct Records {
  ConfigRecord config;
  GlobalRecord global;
};

Records splitInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  if (input.size() < 2) return {ConfigRecord(recordOf(input)), GlobalRecord()};
  const std::size_t wanted = static_cast<std::uint8_t>(input[0]) |
                             (static_cast<std::uint8_t>(input[1]) << 8);
  const std::size_t configSize =
      std::min({wanted, input.size() - 2, kMaxFileSize});
  const std::string config = input.substr(2, configSize);
  const std::string global = input.substr(2 + configSize, kMaxFileSize);
  return {ConfigRecord(recordOf(config)), GlobalRecord(recordOf(global))};
}

// The report, and in "*warnings" what the run would have been told.
std::string renderReport(const Records& records, const ServerSnapshot& snapshot,
                         const ReportContents& contents,
                         std::string* warnings) {
  testing_support::MemoryReportSource source(
      records.global, {{'A', records.config}}, kDescription);
  std::ostringstream out;
  writeReport(out, snapshot, contents, source, kNow);
  fuzzCheck(static_cast<bool>(out), "the report stream stays good");
  *warnings = source.warnings();
  return out.str();
}

// The fixed-width report's game section ends with its rule, then the footer
// in forum mode; the others are UTF-8 throughout. An invalid ship delay code
// is told once per column.
void checkReport(const std::string& report, const std::string& errors,
                 const Records& records, ReportFormat format) {
  const bool invalidDelay = records.global.shipDelayCode() > 5;
  const std::string expected =
      invalidDelay ? std::string(kShipDelayMessage) + kShipDelayMessage : "";
  fuzzCheck(errors == expected, "an invalid ship delay is told twice");
  if (format != ReportFormat::kForum && format != ReportFormat::kPlain) {
    fuzzCheck(utf8OrWindows1252(report) == report, "the report is UTF-8");
    return;
  }
  const bool forum = format == ReportFormat::kForum;
  const std::string rule = std::string(80, '-') + "\n";
  const std::size_t ruleAt = report.rfind(rule);
  fuzzCheck(ruleAt != std::string::npos, "the game section ends with a rule");
  const bool footerFollows = ruleAt + rule.size() < report.size();
  fuzzCheck(footerFollows == forum, "only forum reports have a footer");
}

void fuzzRecords(const std::uint8_t* data, std::size_t size) {
  static const ServerSnapshot snapshot = ServerSnapshot::fromCapture(kCapture);
  const Records records = splitInput(data, size);
  for (const ReportFormat format :
       {ReportFormat::kForum, ReportFormat::kPlain, ReportFormat::kMarkdown,
        ReportFormat::kHtml, ReportFormat::kJson}) {
    for (const bool stock : {false, true}) {
      ReportContents contents;
      contents.selectedGames = {'A'};
      contents.format = format;
      contents.includeStockPriceData = stock;
      std::string warnings;
      const std::string report =
          renderReport(records, snapshot, contents, &warnings);
      checkReport(report, warnings, records, format);
    }
  }
}

}  // namespace
}  // namespace fuzzing
}  // namespace shgs

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  shgs::fuzzing::fuzzRecords(data, size);
  return 0;
}
