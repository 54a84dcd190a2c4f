#ifndef SHGS_REPORT_GAME_SECTION_H_
#define SHGS_REPORT_GAME_SECTION_H_

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "datafiles/config_data.h"
#include "driver/export_options.h"
#include "platform/platform.h"
#include "registry/server_snapshot.h"

namespace shgs {

// The banner written once before the first game section.
void writeGameSettingsBanner(std::ostream& out);

// A game section's heading, description excerpt, client link, separator,
// tournament block and rows up to "Busts clear every:". "now" is the run's
// current time (seconds since 1970), the same for every game. The
// description file is opened through "platform".
void writeGameSectionStart(std::ostream& out, char letter,
                           const ConfigRecord& config,
                           const ServerSnapshot& snapshot,
                           const ExportOptions& options, std::int64_t now,
                           Platform& platform);

// The Windows path of game "letter"'s description file, lowered, as its
// excerpt reads it; empty when the name does not end in "txt", so that no
// file is read.
std::string descriptionFilePath(const ServerSnapshot& snapshot, char letter);

// The excerpt of the description file at "path" (Windows-style; lowered
// before use; only names ending in "txt" are read). Each excerpt line starts
// with a line end; the text ends at the file's size when opened or at a
// Ctrl-Z byte.
void writeDescriptionExcerpt(std::ostream& out, Platform& platform,
                             std::string path);

// One line of a game's cost list.
struct CostEntry {
  std::string label;
  std::uint32_t value;
};

// Appends {label, value} to "costList" when stock prices are wanted or
// "value" differs from "stock".
void addCost(std::vector<CostEntry>& costList, const ExportOptions& options,
             const std::string& label, std::uint32_t value,
             std::uint32_t stock);

// The bubble group, the cost list, the alien and Ferrengi group and the
// separator that closes the game's section.
void writeGameSectionEnd(std::ostream& out, const ConfigRecord& config,
                         const ExportOptions& options);

// The forum footer; nothing in plain mode.
void writeReportFooter(std::ostream& out, const ExportOptions& options);

}  // namespace shgs

#endif  // SHGS_REPORT_GAME_SECTION_H_
