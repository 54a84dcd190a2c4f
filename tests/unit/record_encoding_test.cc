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

TEST(DecodeReal48, DecodesExactValuesAndTruncatesTowardZero) {
  const struct {
    std::uint8_t bytes[6];
    std::int32_t expected;
  } cases[] = {
      {{0x8A, 0x00, 0x00, 0x00, 0x00, 0x7A}, 1000},
      {{0x8A, 0x00, 0x00, 0x00, 0x00, 0xFA}, -1000},
      {{0x81, 0x00, 0x00, 0x00, 0x00, 0x40}, 1},   // 1.5
      {{0x81, 0x00, 0x00, 0x00, 0x00, 0xC0}, -1},  // -1.5
      {{0x80, 0x00, 0x00, 0x00, 0x00, 0x80}, 0},   // -0.5
      {{0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, 0},   // zero exponent byte
      {{0xA0, 0x00, 0x00, 0x00, 0x00, 0x00}, -2147483647 - 1},  // 2^31 wraps
      {{0xA1, 0x00, 0x00, 0x00, 0x00, 0x00}, 0},                // 2^32
      {{0xA0, 0x00, 0x00, 0x00, 0x00, 0x7F}, -16777216},        // 0xFF000000
      {{0xFF, 0x01, 0x00, 0x00, 0x00, 0x00}, 0},  // far beyond 64 bits
  };
  for (const auto& c : cases) {
    EXPECT_EQ(decodeReal48(c.bytes), c.expected)
        << "first byte " << int{c.bytes[0]} << ", last " << int{c.bytes[5]};
  }
}

TEST(DecodeReal48, KeepsTheLowBitsOfIntegersBeyond32Bits) {
  const struct {
    std::int64_t stored;
    std::int32_t expected;
  } cases[] = {
      {2147483647, 2147483647}, {-2147483647 - 1, -2147483647 - 1},
      {4294967296 + 5, 5},      {-(4294967296 + 5), -5},
      {1099511627775, -1},      {(1LL << 62) + (1LL << 31), -2147483647 - 1},
  };
  for (const auto& c : cases) {
    std::uint8_t real[6];
    ASSERT_TRUE(sample::encodeReal48(c.stored, real)) << c.stored;
    EXPECT_EQ(decodeReal48(real), c.expected) << c.stored;
  }
}

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

// Run under UndefinedBehaviorSanitizer too: no exponent may overflow.
TEST(DecodeReal48, IsDefinedForEveryExponentByte) {
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

TEST(ReadIntegers, AreLittleEndianAtAnyOffset) {
  const RecordBytes record = recordWith(4091, 1, "\x02\x03\x04\x05");
  EXPECT_EQ(readU8(record, 4095), 0x05);
  EXPECT_EQ(readU16(record, 4091), 0x0201);
  EXPECT_EQ(readU16(record, 4094), 0x0504);
  EXPECT_EQ(readU32(record, 4092), 0x05040302u);
}

std::tm localTime(std::int64_t t) {
  std::tm local{};
  EXPECT_TRUE(toLocalTime(t, &local)) << t;
  return local;
}

TEST(DayNumberToTime, GivesLocalMidnightOfTheDayInEveryZone) {
  const struct {
    const char* zone;
    std::uint16_t day;
    std::int64_t expected;
    int localHour;
  } cases[] = {
      {"UTC", 1, 567993600, 0},                    // 1988-01-01
      {"UTC", 0, 567907200, 0},                    // 1987-12-31
      {"America/New_York", 11703, 1579064400, 0},  // 2020-01-15, winter
      {"America/New_York", 11885, 1594785600, 0},  // 2020-07-15, summer
      {"Asia/Kolkata", 11703, 1579026600, 0},
      {"Australia/Lord_Howe", 13164, 1705237200, 0},  // summer, +11
      {"Australia/Lord_Howe", 13346, 1720963800, 0},  // winter, +10:30
      {"America/Sao_Paulo", 11266, 1541300400, 1},    // 2018-11-04 skips 00:00
      {"America/New_York", 19053, 2214104400, 0},     // 2040-02-29
      {"America/New_York", 65535, 6230145600, 0},     // 2167-06-05
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.zone) + ", day " + std::to_string(c.day));
    const ScopedTimeZone zone(c.zone);
    const std::int64_t t = dayNumberToTime(c.day);
    EXPECT_EQ(t, c.expected);
    const std::tm local = localTime(t);
    EXPECT_EQ(local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec,
              c.localHour * 3600);
  }
}

// Day after day, across daylight-saving changes: each result is the first
// second of the day's own date, by the sample builder's calendar.
TEST(DayNumberToTime, StartsEachDayOnItsOwnDateAcrossTransitions) {
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
