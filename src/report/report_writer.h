#ifndef SHGS_REPORT_REPORT_WRITER_H_
#define SHGS_REPORT_REPORT_WRITER_H_

#include <cstdint>
#include <ostream>
#include <string>
#include <utility>

namespace shgs {

// One cell of a settings row, already in its report text: each constructor
// converts its kind of value as the report's formatting rules say.
class Cell {
 public:
  Cell(const char* text);     // text, unchanged
  Cell(std::string text);     // text, unchanged
  Cell(std::uint16_t count);  // 16-bit count, with commas
  Cell(std::uint32_t count);  // 32-bit count, with commas
  Cell(bool flag);            // "true" / "false"
  Cell(float real);           // general notation, 6 digits
  Cell(std::int32_t value);   // signed
  Cell(std::int64_t value);   // wide signed

  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

// Writes the report: plain, or with the forum's mark-up, in the colour of
// the rows being written. Every section writes through one writer, which
// the driver makes where the report starts.
class ReportWriter {
 public:
  // Writes to "out", which must outlive the writer, and sets its format as
  // the report wants it: left adjustment, truth values as words. The colour
  // starts as "white".
  ReportWriter(std::ostream& out, bool forumFormatted);
  ReportWriter(const ReportWriter&) = delete;
  ReportWriter& operator=(const ReportWriter&) = delete;

  bool forumFormatted() const { return forumFormatted_; }
  const std::string& currentColour() const { return currentColour_; }

  // Section writers set the colour before each group of rows.
  void setColour(std::string colour) { currentColour_ = std::move(colour); }

  // The stream, for the report's plain text.
  std::ostream& out() { return out_; }

  // Writes "markUp" in forum mode only.
  void writeMarkUp(const char* markUp);

  // A line end. Lines are not flushed one by one; the stream is flushed
  // where the report is closed.
  void endLine() { out_ << '\n'; }

  // A full-width line of "fill" and a line end.
  void writeRule(char fill);

  // One two-column row (label, value, unit; label, value, unit) and a line
  // end, plain or with forum mark-up in the current colour. Leaves the
  // stream with a blank fill and right alignment.
  void writeRow(const Cell& label1, const Cell& value1, const Cell& unit1,
                const Cell& label2, const Cell& value2, const Cell& unit2);

 private:
  void writePlainRow(const Cell& label1, const Cell& value1, const Cell& unit1,
                     const Cell& label2, const Cell& value2, const Cell& unit2);
  void writeForumRow(const Cell& label1, const Cell& value1, const Cell& unit1,
                     const Cell& label2, const Cell& value2, const Cell& unit2);

  std::ostream& out_;
  const bool forumFormatted_;
  std::string currentColour_ = "white";
};

}  // namespace shgs

#endif  // SHGS_REPORT_REPORT_WRITER_H_
