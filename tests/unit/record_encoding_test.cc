#include "datafiles/record_encoding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <string>

#include "platform/platform.h"
#include "record_builder.h"
#include "support/scoped_process_state.h"

namespace shgs {
namespace {

using testing_support::ScopedTimeZone;

// The value modulo 2^32, computed exactly in floating point (fmod is exact).
std::int32_t referenceDecode(const std::uint8_t* b) {
  if (b[0] == 0) return 0;
  const double fraction =
      ((b[5] & 0x7F) +
       (b[4] + (b[3] + (b[2] + b[1] / 256.0) / 256) / 256) / 256) /
      128;
  const double value = std::ldexp(1 + fraction, b[0] - 129);
  const auto low =
      static_cast<std::uint32_t>(std::fmod(std::trunc(value), 4294967296.0));
  const std::uint32_t signedLow = (b[5] & 0x80) ? 0u - low : low;
  return static_cast<std::int32_t>(static_cast<std::int64_t>(signedLow) -
                                   (signedLow >> 31) * 4294967296LL);
}

// Every exponent byte agrees with the reference, which a few exact values
// anchor. Run under UndefinedBehaviorSanitizer too: no exponent may overflow.
TEST(DecodeReal48, IsDefinedForEveryExponentByte) {
  const struct {
    std::uint8_t bytes[6];
    std::int32_t expected;
  } anchors[] = {
      {{0x8A, 0x00, 0x00, 0x00, 0x00, 0xFA}, -1000},
      {{0x81, 0x00, 0x00, 0x00, 0x00, 0x40}, 1},  // 1.5 truncated
      {{0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, 0},  // zero exponent byte
      {{0xA0, 0x00, 0x00, 0x00, 0x00, 0x00}, -2147483647 - 1},  // 2^31 wraps
      {{0xA0, 0x00, 0x00, 0x00, 0x00, 0x7F}, -16777216},        // 0xFF000000
  };
  for (const auto& a : anchors) {
    EXPECT_EQ(decodeReal48(a.bytes), a.expected) << int{a.bytes[0]};
  }
  const std::uint8_t mantissas[][5] = {{0, 0, 0, 0, 0x00},
                                       {0xFF, 0xFF, 0xFF, 0xFF, 0x7F},
                                       {0x55, 0xAA, 0x55, 0xAA, 0x2A},
                                       {0x80, 0x00, 0x00, 0x01, 0x40}};
  for (int exponent = 0; exponent <= 255; ++exponent) {
    for (const auto& m : mantissas) {
      for (std::uint8_t sign : {0x00, 0x80}) {
        std::uint8_t real[6] = {0, m[0], m[1], m[2], m[3], m[4]};
        real[0] = static_cast<std::uint8_t>(exponent);
        real[5] |= sign;
        EXPECT_EQ(decodeReal48(real), referenceDecode(real))
            << "exponent byte " << exponent << ", sign " << int{sign};
      }
    }
  }
}

// A record holding a length byte and "text" at "offset", as far as it fits.
RecordBytes recordWith(std::size_t offset, int length,
                       const std::string& text) {
  RecordBytes record{};
  const std::string bytes = std::string(1, static_cast<char>(length)) + text;
  for (std::size_t i = 0; i < bytes.size() && offset + i < record.size(); ++i) {
    record[offset + i] = static_cast<std::uint8_t>(bytes[i]);
  }
  return record;
}

TEST(DecodeLengthPrefixed, TakesTheAnnouncedCharactersWithinTheRecord) {
  const struct {
    std::size_t offset;
    int length;
    std::string stored, expected;
  } cases[] = {
      {0, 0, "ABC", ""},
      {61, 0x80, "ABC", ""},  // a negative length
      {61, 0xFF, "ABC", ""},
      {0, 3, "ABCDEF", "ABC"},
      {0, 3, std::string("A\0B", 3), std::string("A\0B", 3)},
      {55, 10, "abcdefghijkl", "abcdefghij"},  // on past the field
      {0, 127, std::string(130, 'x'), std::string(127, 'x')},
      {4090, 127, "vwxyz", "vwxyz"},  // not past the record
      {4095, 5, "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(decodeLengthPrefixed(recordWith(c.offset, c.length, c.stored),
                                   c.offset),
              c.expected)
        << "length " << c.length << " at " << c.offset;
  }
}

std::tm localTime(std::int64_t t) {
  std::tm local{};
  EXPECT_TRUE(toLocalTime(t, &local)) << t;
  return local;
}

// Day after day, across daylight-saving changes: each result is the first
// second of the day's own date, by the sample builder's calendar. Anchors
// pin the ends of the range and a zone off the whole hour.
TEST(DayNumberToTime, StartsEachDayOnItsOwnDateAcrossTransitions) {
  const struct {
    const char* zone;
    std::uint16_t day;
    std::int64_t expected;
  } anchors[] = {
      {"UTC", 0, 567907200},                    // 1987-12-31
      {"Asia/Kolkata", 11703, 1579026600},      // 2020-01-15
      {"America/New_York", 65535, 6230145600},  // 2167-06-05
  };
  for (const auto& a : anchors) {
    const ScopedTimeZone zone(a.zone);
    EXPECT_EQ(dayNumberToTime(a.day), a.expected) << a.zone;
  }
  for (const char* zone :
       {"America/New_York", "Australia/Lord_Howe", "America/Sao_Paulo",
        "Asia/Beirut", "Europe/Dublin"}) {
    SCOPED_TRACE(zone);
    const ScopedTimeZone scopedZone(zone);
    for (std::uint16_t day = 11000; day < 11800; ++day) {
      const std::int64_t t = dayNumberToTime(day);
      const std::tm start = localTime(t);
      char date[32];
      std::strftime(date, sizeof date, "%Y-%m-%d", &start);
      std::int64_t dayOfDate = -1;
      ASSERT_TRUE(sample::dayNumberOfDate(date, &dayOfDate)) << date;
      ASSERT_EQ(dayOfDate, day);
      ASSERT_NE(localTime(t - 1).tm_mday, start.tm_mday) << "day " << day;
    }
  }
}

}  // namespace
}  // namespace shgs
