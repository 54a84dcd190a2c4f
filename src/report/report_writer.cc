#include "report/report_writer.h"

#include <iomanip>
#include <utility>

#include "report/value_format.h"

namespace shgs {
namespace {

constexpr int kLabelWidth = 21;
constexpr int kValueWidth = 8;
constexpr int kUnitWidth = 11;
constexpr int kRuleWidth = 80;

// Written after a "[black]" tag, so on the forum's black background the fill
// stays invisible while still holding the columns in place.
constexpr char kForumFill = static_cast<char>(0xA8);
constexpr char kBlackTag[] = "[black]";
constexpr int kBlackTagLength = sizeof kBlackTag - 1;

}  // namespace

Cell::Cell(const char* text) : text_(text) {}
Cell::Cell(std::string text) : text_(std::move(text)) {}
Cell::Cell(std::uint16_t count) : text_(withCommas(count)) {}
Cell::Cell(std::uint32_t count) : text_(withCommas(count)) {}
Cell::Cell(bool flag) : text_(toText(flag)) {}
Cell::Cell(float real) : text_(toText(real)) {}
Cell::Cell(std::int32_t value) : text_(toText(value)) {}
Cell::Cell(std::int64_t value) : text_(toText(value)) {}

ReportWriter::ReportWriter(std::ostream& out, bool forumFormatted)
    : out_(out), forumFormatted_(forumFormatted) {
  out_ << std::left << std::boolalpha;
}

void ReportWriter::writeMarkUp(const char* markUp) {
  if (forumFormatted_) out_ << markUp;
}

void ReportWriter::writeRule(char fill) {
  out_ << std::setfill(fill) << std::setw(kRuleWidth) << ""
       << std::setfill(' ');
  endLine();
}

void ReportWriter::writeRow(const Cell& label1, const Cell& value1,
                            const Cell& unit1, const Cell& label2,
                            const Cell& value2, const Cell& unit2) {
  if (forumFormatted_) {
    writeForumRow(label1, value1, unit1, label2, value2, unit2);
  } else {
    writePlainRow(label1, value1, unit1, label2, value2, unit2);
  }
  out_ << std::setfill(' ') << std::right;
}

void ReportWriter::writePlainRow(const Cell& label1, const Cell& value1,
                                 const Cell& unit1, const Cell& label2,
                                 const Cell& value2, const Cell& unit2) {
  out_ << std::setfill(' ') << std::right << std::setw(kLabelWidth)
       << label1.text() << std::setw(kValueWidth) << value1.text() << std::left
       << std::setw(kUnitWidth) << unit1.text() << std::right
       << std::setw(kLabelWidth) << label2.text() << std::setw(kValueWidth)
       << value2.text() << std::left << unit2.text();
  endLine();
}

// Each field is widened by the length of the tags inside it, so the visible
// widths match the plain row.
void ReportWriter::writeForumRow(const Cell& label1, const Cell& value1,
                                 const Cell& unit1, const Cell& label2,
                                 const Cell& value2, const Cell& unit2) {
  const std::string tag = "[" + currentColour_ + "]";
  const int tagLength = static_cast<int>(tag.size());
  out_ << std::setfill(kForumFill) << std::right << kBlackTag
       << std::setw(kLabelWidth + tagLength) << tag + label1.text() << kBlackTag
       << std::setw(kValueWidth + tagLength) << tag + value1.text() << std::left
       << std::setw(kUnitWidth + kBlackTagLength) << unit1.text() + kBlackTag
       << std::right << std::setw(kLabelWidth + tagLength)
       << tag + label2.text() << kBlackTag << std::setw(kValueWidth + tagLength)
       << tag + value2.text() << std::left << unit2.text();
  endLine();
}

}  // namespace shgs
