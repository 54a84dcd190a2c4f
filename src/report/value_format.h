#ifndef SHGS_REPORT_VALUE_FORMAT_H_
#define SHGS_REPORT_VALUE_FORMAT_H_

#include <cstdint>
#include <sstream>
#include <string>

namespace shgs {

// Decimal text of "n", with thousands commas only when the text has five or
// more characters (9999 stays 9999, 10000 becomes 10,000).
std::string withCommas(std::uint16_t n);
std::string withCommas(std::uint32_t n);

// "value" as a default text stream writes it, truth values as words.
template <typename T>
std::string toText(const T& value) {
  std::ostringstream text;
  text << std::boolalpha << value;
  return text.str();
}

// "Fri Jan 1 1988": weekday, month, day and year of "t" in local time.
std::string dateText(std::int64_t t);

// The factor of a ship delay code; codes above 5 give 0 after writing
// "Invalid ship delay value!" to standard error.
float shipDelayFactor(std::uint8_t code);

}  // namespace shgs

#endif  // SHGS_REPORT_VALUE_FORMAT_H_
