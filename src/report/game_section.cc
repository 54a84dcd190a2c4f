#include "report/game_section.h"

// Placeholder: the game sections are being written.
namespace shgs {

void writeGameSettingsBanner(std::ostream&) {}
void writeGameSectionStart(std::ostream&, char, const ConfigRecord&,
                           const ServerSnapshot&, const ExportOptions&,
                           std::int64_t, Platform&) {}
void writeDescriptionExcerpt(std::ostream&, Platform&, std::string) {}
void addCost(std::vector<CostEntry>&, const ExportOptions&, const std::string&,
             std::uint32_t, std::uint32_t) {}
void writeGameSectionEnd(std::ostream&, const ConfigRecord&,
                         const ExportOptions&) {}
void writeReportFooter(std::ostream&, const ExportOptions&) {}

}  // namespace shgs
