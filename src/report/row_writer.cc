#include "report/row_writer.h"

#include "report/value_format.h"

// Placeholder: the row writer is being written.
namespace shgs {

Cell::Cell(const char* text) : text_(text) {}
Cell::Cell(std::string text) : text_(std::move(text)) {}
Cell::Cell(std::uint16_t count) : text_(withCommas(count)) {}
Cell::Cell(std::uint32_t count) : text_(withCommas(count)) {}
Cell::Cell(bool flag) : text_(toText(flag)) {}
Cell::Cell(float real) : text_(toText(real)) {}
Cell::Cell(std::int32_t value) : text_(toText(value)) {}
Cell::Cell(std::int64_t value) : text_(toText(value)) {}

std::string& currentColour() {
  static std::string colour = "white";
  return colour;
}

void writeRow(std::ostream&, const Cell&, const Cell&, const Cell&, const Cell&,
              const Cell&, const Cell&) {}

}  // namespace shgs
