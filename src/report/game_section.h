#ifndef SHGS_REPORT_GAME_SECTION_H_
#define SHGS_REPORT_GAME_SECTION_H_

#include <cstdint>
#include <string>
#include <vector>

#include "datafiles/config_data.h"
#include "datafiles/description_file.h"
#include "registry/server_snapshot.h"
#include "report/report_writer.h"

namespace shgs {

// The banner written once before the first game section.
void writeGameSettingsBanner(ReportWriter& writer);

// A game section's heading, description excerpt, client link, separator,
// tournament block and rows up to "Busts clear every:". "now" is the run's
// current time (seconds since 1970), the same for every game; "description"
// is the game's description text, or nullptr when it has none to show.
void writeGameSectionStart(ReportWriter& writer, char letter,
                           const ConfigRecord& config,
                           const ServerSnapshot& snapshot, std::int64_t now,
                           DescriptionFile* description);

// The excerpt of "description" (nothing for nullptr): its lines on rows of
// at most 80 characters, each after a line end, as long as the budget of
// 397 characters lasts, and "..." when it is spent.
void writeDescriptionExcerpt(ReportWriter& writer,
                             DescriptionFile* description);

// One line of a game's cost list.
struct CostEntry {
  std::string label;
  std::uint32_t value;
};

// Appends {label, value} to "costList" when stock prices are wanted or
// "value" differs from "stock".
void addCost(std::vector<CostEntry>& costList, bool includeStockPriceData,
             const std::string& label, std::uint32_t value,
             std::uint32_t stock);

// The bubble group, the cost list, the alien and Ferrengi group and the
// separator that closes the game's section.
void writeGameSectionEnd(ReportWriter& writer, const ConfigRecord& config,
                         bool includeStockPriceData);

}  // namespace shgs

#endif  // SHGS_REPORT_GAME_SECTION_H_
