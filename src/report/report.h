#ifndef SHGS_REPORT_REPORT_H_
#define SHGS_REPORT_REPORT_H_

#include <cstdint>
#include <functional>
#include <ostream>
#include <set>

#include "datafiles/config_data.h"
#include "datafiles/description_file.h"
#include "datafiles/global_data.h"
#include "registry/server_snapshot.h"
#include "report/report_writer.h"

namespace shgs {

// What the report holds, as the operator chose it.
struct ReportContents {
  std::set<char> selectedGames;  // upper-case letters, written A to Z
  bool globalDataIncluded = true;
  ReportFormat format = ReportFormat::kForum;
  bool includeStockPriceData = false;
};

// Where the report's records and description texts come from. Each call
// reads one section's data, hands it to "write" and lets it go once the
// section is written, so a reader lives exactly as long as its section.
class ReportSource {
 public:
  using ServerWriter = std::function<void(const GlobalRecord&)>;
  using GameWriter =
      std::function<void(const ConfigRecord&, DescriptionFile* description)>;

  virtual ~ReportSource() = default;

  // The server's global record.
  virtual void readServer(const ServerWriter& write) = 0;
  // Game "letter"'s record and its description text (nullptr when it has
  // none to show).
  virtual void readGame(char letter, const GameWriter& write) = 0;
  // Tells the operator of something odd in the data just read, without
  // ending the run ("Invalid ship delay value!").
  virtual void warn(const std::string& message) = 0;
};

// Writes the whole report to "out" in the chosen format: the opening, the
// server section when global data is included, the game-settings banner and
// one section per selected game in letter order, and the footer. "now" is the
// run's current time, against which every game's age is measured. Lines are not
// flushed one by one; the caller flushes "out" when it closes it.
void writeReport(std::ostream& out, const ServerSnapshot& snapshot,
                 const ReportContents& contents, ReportSource& source,
                 std::int64_t now);

}  // namespace shgs

#endif  // SHGS_REPORT_REPORT_H_
