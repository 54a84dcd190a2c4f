#include "datafiles/record_encoding.h"

#include <ctime>
#include <limits>
#include <memory>
#include <streambuf>

#include "platform/platform.h"

namespace shgs {
namespace {

// Two's complement, without relying on the implementation-defined
// conversion of an out-of-range unsigned value.
std::int32_t toSigned(std::uint32_t value) {
  if (value <=
      static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max())) {
    return static_cast<std::int32_t>(value);
  }
  return -static_cast<std::int32_t>(~value) - 1;
}

struct CivilDate {
  std::int64_t year;
  int month;  // 1 to 12
  int day;    // 1 to 31
};

// The proleptic Gregorian date of "days" after 1970-01-01.
CivilDate civilFromDays(std::int64_t days) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t dayOfEra = days - era * 146097;
  const std::int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear =
      dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;  // March = 0
  const int day =
      static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
  const int month =
      static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
  return {yearOfEra + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

// -1, 0 or 1 as the local date of "t" lies before, on or after "date".
// A time the platform cannot convert counts as lying after it.
int compareLocalDate(std::int64_t t, const CivilDate& date) {
  std::tm local{};
  if (!toLocalTime(t, &local)) return 1;
  const std::int64_t year = local.tm_year + std::int64_t{1900};
  if (year != date.year) return year < date.year ? -1 : 1;
  if (local.tm_mon + 1 != date.month)
    return local.tm_mon + 1 < date.month ? -1 : 1;
  if (local.tm_mday != date.day) return local.tm_mday < date.day ? -1 : 1;
  return 0;
}

}  // namespace

std::uint8_t readU8(const RecordBytes& record, std::size_t offset) {
  return record[offset];
}

std::uint16_t readU16(const RecordBytes& record, std::size_t offset) {
  return static_cast<std::uint16_t>(record[offset] | (record[offset + 1] << 8));
}

std::uint32_t readU32(const RecordBytes& record, std::size_t offset) {
  return static_cast<std::uint32_t>(record[offset]) |
         (static_cast<std::uint32_t>(record[offset + 1]) << 8) |
         (static_cast<std::uint32_t>(record[offset + 2]) << 16) |
         (static_cast<std::uint32_t>(record[offset + 3]) << 24);
}

// The value is the 40-bit mantissa (a leading one, then the 39 bits of
// bytes 5 to 1) times 2^(b0 - 168), so it is computed in integers, exactly.
// Truncated toward zero and reduced modulo 2^64 before its low 32 bits are
// kept; from 2^(b0 - 168) >= 2^32 on those bits are all zero, also where the
// value no longer fits 64 bits.
std::int32_t decodeReal48(const std::uint8_t* bytes) {
  if (bytes[0] == 0) return 0;
  std::uint64_t mantissa = std::uint64_t{1} << 39;
  mantissa |= static_cast<std::uint64_t>(bytes[5] & 0x7F) << 32;
  for (int i = 4; i >= 1; --i) {
    mantissa |= static_cast<std::uint64_t>(bytes[i]) << (8 * (i - 1));
  }
  const int shift = bytes[0] - 168;
  std::uint64_t magnitude = 0;
  if (shift >= 0) {
    magnitude = shift < 64 ? mantissa << shift : 0;
  } else {
    magnitude = -shift < 64 ? mantissa >> -shift : 0;
  }
  std::uint32_t low = static_cast<std::uint32_t>(magnitude);
  if (bytes[5] & 0x80) low = 0u - low;
  return toSigned(low);
}

// Searches for the first second whose local date is the day's date, within
// two days of the day's UTC midnight (more than any zone's offset). Where the
// clocks jump over midnight that second is the first valid time of the day;
// where they fall back across it the date begins twice, and either start is
// local midnight.
std::int64_t dayNumberToTime(std::uint16_t day) {
  constexpr std::int64_t kSecondsPerDay = 86400;
  constexpr std::int64_t kDaysFrom1970To1987End = 6573;
  const std::int64_t daysSince1970 = day + kDaysFrom1970To1987End;
  const CivilDate date = civilFromDays(daysSince1970);
  const std::int64_t utcMidnight = daysSince1970 * kSecondsPerDay;
  std::int64_t before = utcMidnight - 2 * kSecondsPerDay;  // date still ahead
  std::int64_t after = utcMidnight + 2 * kSecondsPerDay;   // date reached
  if (compareLocalDate(before, date) >= 0 ||
      compareLocalDate(after, date) < 0) {
    return utcMidnight;  // the platform cannot tell local dates here
  }
  while (after - before > 1) {
    const std::int64_t middle = before + (after - before) / 2;
    (compareLocalDate(middle, date) < 0 ? before : after) = middle;
  }
  return after;
}

std::string decodeLengthPrefixed(const RecordBytes& record,
                                 std::size_t offset) {
  if (offset >= record.size()) return std::string();
  const std::uint8_t lengthByte = record[offset];
  // The length is a signed byte: 0x80 and above are negative.
  if (lengthByte == 0 || lengthByte >= 0x80) return std::string();
  const std::size_t available = record.size() - offset - 1;
  const std::size_t length =
      lengthByte < available ? std::size_t{lengthByte} : available;
  const auto first = record.begin() + static_cast<std::ptrdiff_t>(offset + 1);
  return std::string(first, first + static_cast<std::ptrdiff_t>(length));
}

bool readRecordFile(Platform& platform, const std::string& fileName,
                    RecordBytes* record, std::string* why) {
  record->fill(0);
  bool missing = false;
  const std::unique_ptr<InputFile> in = platform.openForReading(
      {platform.currentFolder(), fileName}, why, &missing);
  if (in == nullptr) return false;
  // A short file leaves the rest of the record zero.
  in->sgetn(reinterpret_cast<char*>(record->data()),
            static_cast<std::streamsize>(record->size()));
  if (!in->failed(why)) return true;
  record->fill(0);
  return false;
}

}  // namespace shgs
