#include "report/value_format.h"

#include <ctime>
#include <iostream>

#include "platform/platform.h"

namespace shgs {
namespace {

constexpr const char* kWeekdays[] = {"Sun", "Mon", "Tue", "Wed",
                                     "Thu", "Fri", "Sat"};
constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Shown in place of a date the platform cannot convert; the report goes on.
constexpr char kUnknownDate[] = "Unknown date";

// Commas every three digits from the right, but only in texts of five or
// more characters: four-digit numbers stay as they are.
std::string insertCommas(std::string digits) {
  if (digits.size() <= 4) return digits;
  for (std::size_t p = digits.size() - 3; p > 0; p = p >= 3 ? p - 3 : 0) {
    digits.insert(p, ",");
  }
  return digits;
}

}  // namespace

std::string withCommas(std::uint16_t n) { return insertCommas(toText(n)); }

std::string withCommas(std::uint32_t n) { return insertCommas(toText(n)); }

std::string dateText(std::int64_t t) {
  std::tm local{};
  if (!toLocalTime(t, &local) || local.tm_wday < 0 || local.tm_wday > 6 ||
      local.tm_mon < 0 || local.tm_mon > 11) {
    return kUnknownDate;
  }
  return std::string(kWeekdays[local.tm_wday]) + " " + kMonths[local.tm_mon] +
         " " + toText(local.tm_mday) + " " +
         toText(static_cast<std::int64_t>(local.tm_year) + 1900);
}

float shipDelayFactor(std::uint8_t code) {
  static constexpr float kFactors[] = {1.0f, 0.25f, 1.0f / 3.0f,
                                       0.5f, 2.0f,  0.0f};
  if (code < sizeof kFactors / sizeof kFactors[0]) return kFactors[code];
  std::cerr << "Invalid ship delay value!";
  return 0.0f;
}

}  // namespace shgs
