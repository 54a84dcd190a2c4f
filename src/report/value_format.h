#ifndef SHGS_REPORT_VALUE_FORMAT_H_
#define SHGS_REPORT_VALUE_FORMAT_H_

#include <cstdint>
#include <functional>
#include <sstream>
#include <string>
#include <type_traits>

namespace shgs {

// Decimal text of "n", with thousands commas only when the text has five or
// more characters (9999 stays 9999, 10000 becomes 10,000).
std::string withCommas(std::uint16_t n);
std::string withCommas(std::uint32_t n);

// "value" as a default text stream writes it, truth values as words.
// Truth values and integers wider than a character skip the stream:
// a whole report converts thousands of cells, and building a stream for each
// costs more than the rest of the report.
template <typename T>
std::string toText(const T& value) {
  if constexpr (std::is_same_v<T, bool>) {
    return value ? "true" : "false";
  } else if constexpr (std::is_integral_v<T> && sizeof(T) > 1) {
    return std::to_string(value);
  } else {
    std::ostringstream text;
    text << value;
    return text.str();
  }
}

// "Fri Jan 1 1988": weekday, month, day and year of "t" in local time.
std::string dateText(std::int64_t t);

// "2026-12-06T12:00:00-05:00": "t" as ISO 8601 local time with its offset
// from UTC; empty where the platform cannot tell the local time, or its
// year has not four digits.
std::string isoTimeText(std::int64_t t);

// Tells the operator of something odd in the data, without ending the run.
using Warn = std::function<void(const std::string& message)>;

// The factor of a ship delay code; codes above 5 give 0 after warning
// "Invalid ship delay value!".
float shipDelayFactor(std::uint8_t code, const Warn& warn);

}  // namespace shgs

#endif  // SHGS_REPORT_VALUE_FORMAT_H_
