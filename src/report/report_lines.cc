#include "report/report_lines.h"

#include "version.h"

namespace shgs {

std::string serverHeadingText(const ServerHeading& heading) {
  return heading.serverName + " running " + heading.runningName +
         " on SHGS version " + heading.version;
}

std::string nodeLineText(std::uint16_t nodes, bool ipLimited) {
  return std::to_string(nodes) +
         " nodes; multiple simultaneous logons from a single IP are " +
         (ipLimited ? "NOT " : "") + "allowed.";
}

const char* partTitle(ReportPart part) {
  return part == ReportPart::kServer ? "Global (server) settings"
                                     : "Local (game) settings";
}

// The sector count is plain decimal here, without the row's commas.
std::string gameHeadingText(const GameHeading& heading) {
  return std::string("Game ") + heading.letter + " - " + heading.title + " - " +
         std::to_string(heading.sectors) + " sectors - " + heading.turns +
         " turns";
}

std::string footerText() {
  return std::string(
             "The preceding table was produced by the SHGS Game Settings "
             "Exporter v") +
         kVersion + "!";
}

std::string shownValue(const Cell& value, const Cell& unit) {
  return trimmed(value.text() + unit.text());
}

std::string trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace shgs
