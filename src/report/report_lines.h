#ifndef SHGS_REPORT_REPORT_LINES_H_
#define SHGS_REPORT_REPORT_LINES_H_

#include <cstdint>
#include <string>

#include "report/report_writer.h"

namespace shgs {

// The report's own texts, which every format shows in the same words.

std::string serverHeadingText(const ServerHeading& heading);
std::string nodeLineText(std::uint16_t nodes, bool ipLimited);
const char* partTitle(ReportPart part);
std::string gameHeadingText(const GameHeading& heading);

constexpr char kTournamentNotice[] = "Tournament mode is ON.";

// The footer's sentence, which names the program and its version.
std::string footerText();

// A column's value and unit as the report shows them together, without the
// blanks that set them off from the columns around ("1 in 5", "30 days").
std::string shownValue(const Cell& value, const Cell& unit);

// "text" without blanks at either end.
std::string trimmed(const std::string& text);

}  // namespace shgs

#endif  // SHGS_REPORT_REPORT_LINES_H_
