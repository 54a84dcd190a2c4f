#ifndef SHGS_REPORT_ROW_WRITER_H_
#define SHGS_REPORT_ROW_WRITER_H_

#include <cstdint>
#include <ostream>
#include <string>

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

// The process-wide colour of the rows being written, initially "white".
// Section writers set it before each group of rows.
std::string& currentColour();

// Writes one two-column row (label, value, unit; label, value, unit) and a
// line end to "out", plain or with forum mark-up as exportOptions() says, in
// currentColour(). Leaves "out" with a blank fill and right alignment.
void writeRow(std::ostream& out, const Cell& label1, const Cell& value1,
              const Cell& unit1, const Cell& label2, const Cell& value2,
              const Cell& unit2);

}  // namespace shgs

#endif  // SHGS_REPORT_ROW_WRITER_H_
