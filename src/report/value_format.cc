#include "report/value_format.h"

#include <ctime>

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

constexpr std::int64_t kSecondsPerDay = 86400;

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar
// (H. Hinnant's algorithm).
std::int64_t daysFromCivil(std::int64_t y, unsigned month, unsigned day) {
  y -= month <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yearOfEra = static_cast<unsigned>(y - era * 400);
  const unsigned dayOfYear =
      (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const unsigned dayOfEra =
      yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

// "time" as seconds since 1970-01-01 00:00 in its own time zone.
std::int64_t secondsOf(const std::tm& time) {
  return daysFromCivil(time.tm_year + std::int64_t{1900},
                       static_cast<unsigned>(time.tm_mon + 1),
                       static_cast<unsigned>(time.tm_mday)) *
             kSecondsPerDay +
         time.tm_hour * 3600 + time.tm_min * 60 + time.tm_sec;
}

// "n" with at least "width" digits.
std::string zeroPadded(std::int64_t n, std::size_t width) {
  std::string digits = std::to_string(n);
  return std::string(width > digits.size() ? width - digits.size() : 0, '0') +
         digits;
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

// The offset is rounded to whole minutes, which a leap second would spoil.
std::string isoTimeText(std::int64_t t) {
  std::tm local{};
  if (!toLocalTime(t, &local) || local.tm_year < -1900 ||
      local.tm_year > 8099) {
    return std::string();
  }
  const std::int64_t difference = secondsOf(local) - t;
  const std::int64_t minutes = (difference + (difference < 0 ? -30 : 30)) / 60;
  const std::int64_t offset = minutes < 0 ? -minutes : minutes;
  return zeroPadded(local.tm_year + 1900, 4) + "-" +
         zeroPadded(local.tm_mon + 1, 2) + "-" + zeroPadded(local.tm_mday, 2) +
         "T" + zeroPadded(local.tm_hour, 2) + ":" +
         zeroPadded(local.tm_min, 2) + ":" + zeroPadded(local.tm_sec, 2) +
         (minutes < 0 ? "-" : "+") + zeroPadded(offset / 60, 2) + ":" +
         zeroPadded(offset % 60, 2);
}

float shipDelayFactor(std::uint8_t code, const Warn& warn) {
  static constexpr float kFactors[] = {1.0f, 0.25f, 1.0f / 3.0f,
                                       0.5f, 2.0f,  0.0f};
  if (code < sizeof kFactors / sizeof kFactors[0]) return kFactors[code];
  warn("Invalid ship delay value!");
  return 0.0f;
}

}  // namespace shgs
