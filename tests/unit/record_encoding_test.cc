#include "datafiles/record_encoding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "record_builder.h"

namespace shgs {
namespace {

using Real = std::vector<std::uint8_t>;

TEST(DecodeReal48, DecodesExactValuesAndTruncatesTowardZero) {
  const struct {
    Real bytes;
    std::int32_t expected;
  } cases[] = {
      {{0x8A, 0x00, 0x00, 0x00, 0x00, 0x7A}, 1000},
      {{0x8A, 0x00, 0x00, 0x00, 0x00, 0xFA}, -1000},
      {{0x81, 0x00, 0x00, 0x00, 0x00, 0x40}, 1},   // 1.5
      {{0x81, 0x00, 0x00, 0x00, 0x00, 0xC0}, -1},  // -1.5
      {{0x80, 0x00, 0x00, 0x00, 0x00, 0x80}, 0},   // -0.5
      {{0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, 0},   // zero exponent byte
      {{0x81, 0x00, 0x00, 0x00, 0x00, 0x00}, 1},
      {{0xA0, 0x00, 0x00, 0x00, 0x00, 0x00}, -2147483647 - 1},  // 2^31 wraps
      {{0xA1, 0x00, 0x00, 0x00, 0x00, 0x00}, 0},                // 2^32
      {{0xA0, 0x00, 0x00, 0x00, 0x00, 0x7F}, -16777216},        // 0xFF000000
      {{0xFF, 0x01, 0x00, 0x00, 0x00, 0x00}, 0},  // far beyond 64 bits
  };
  for (const auto& c : cases) {
    EXPECT_EQ(decodeReal48(c.bytes.data()), c.expected)
        << "first byte " << int{c.bytes[0]} << ", last " << int{c.bytes[5]};
  }
}

TEST(DecodeReal48, KeepsTheLowBitsOfIntegersBeyond32Bits) {
  const struct {
    std::int64_t stored;
    std::int32_t expected;
  } cases[] = {
      {2147483647, 2147483647},
      {-2147483647 - 1, -2147483647 - 1},
      {4294967296 + 5, 5},
      {-(4294967296 + 5), -5},
      {1099511627775, -1},
      {549755813888 + 12345, 12345},
      {(1LL << 62) + (1LL << 31), -2147483647 - 1},
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
  const Real mantissas[] = {{0, 0, 0, 0, 0x00},
                            {0xFF, 0xFF, 0xFF, 0xFF, 0x7F},
                            {0x01, 0, 0, 0, 0},
                            {0x55, 0xAA, 0x55, 0xAA, 0x2A},
                            {0x80, 0x00, 0x00, 0x01, 0x40}};
  for (int exponent = 0; exponent <= 255; ++exponent) {
    for (const Real& mantissa : mantissas) {
      for (std::uint8_t sign : {0x00, 0x80}) {
        std::uint8_t real[6] = {static_cast<std::uint8_t>(exponent),
                                mantissa[0],
                                mantissa[1],
                                mantissa[2],
                                mantissa[3],
                                static_cast<std::uint8_t>(mantissa[4] | sign)};
        EXPECT_EQ(decodeReal48(real), referenceDecode(real))
            << "exponent byte " << exponent << ", sign " << int{sign};
      }
    }
  }
}

RecordBytes recordWith(std::size_t offset, const std::string& bytes) {
  RecordBytes record{};
  for (std::size_t i = 0; i < bytes.size() && offset + i < record.size(); ++i) {
    record[offset + i] = static_cast<std::uint8_t>(bytes[i]);
  }
  return record;
}

TEST(DecodeLengthPrefixed, TakesTheAnnouncedCharactersWithinTheRecord) {
  const struct {
    const char* name;
    std::size_t offset;
    std::string stored;
    std::string expected;
  } cases[] = {
      {"length 0", 0, std::string("\0ABC", 4), ""},
      {"length 0x80", 61,
       "\x80"
       "ABC",
       ""},
      {"length 0xFF", 61,
       "\xFF"
       "ABC",
       ""},
      {"3 of six", 0,
       "\x03"
       "ABCDEF",
       "ABC"},
      {"zero byte kept", 0,
       std::string("\x03"
                   "A\0B",
                   4),
       std::string("A\0B", 3)},
      {"past the field", 55,
       "\x0A"
       "abcdefghijkl",
       "abcdefghij"},
      {"127 characters", 0, "\x7F" + std::string(130, 'x'),
       std::string(127, 'x')},
      {"past the record end", 4090,
       "\x7F"
       "vwxyz",
       "vwxyz"},
      {"at the last byte", 4095, "\x05", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(decodeLengthPrefixed(recordWith(c.offset, c.stored), c.offset),
              c.expected)
        << c.name;
  }
}

TEST(ReadIntegers, AreLittleEndianAtAnyOffset) {
  const RecordBytes record = recordWith(4091, "\x01\x02\x03\x04\x05");
  EXPECT_EQ(readU8(record, 4095), 0x05);
  EXPECT_EQ(readU16(record, 4091), 0x0201);
  EXPECT_EQ(readU16(record, 4094), 0x0504);
  EXPECT_EQ(readU32(record, 4092), 0x05040302u);
}

// Sets TZ for one test and puts the previous setting back afterwards.
class DayNumberToTimeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* zone = std::getenv("TZ");
    hadZone_ = zone != nullptr;
    if (hadZone_) savedZone_ = zone;
  }
  void TearDown() override {
    if (hadZone_) {
      setenv("TZ", savedZone_.c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    reloadTimeZone();
  }
  static void useZone(const char* zone) {
    setenv("TZ", zone, 1);
    reloadTimeZone();
  }

 private:
  bool hadZone_ = false;
  std::string savedZone_;
};

std::tm localTime(std::int64_t t) {
  std::tm local{};
  EXPECT_TRUE(toLocalTime(t, &local)) << t;
  return local;
}

TEST_F(DayNumberToTimeTest, GivesLocalMidnightOfTheDayInEveryZone) {
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
      {"America/New_York", 1, 568011600, 0},
      {"Asia/Kolkata", 11703, 1579026600, 0},
      {"Australia/Lord_Howe", 13164, 1705237200, 0},  // summer, +11
      {"Australia/Lord_Howe", 13346, 1720963800, 0},  // winter, +10:30
      {"America/Sao_Paulo", 11266, 1541300400, 1},    // 2018-11-04 skips 00:00
      {"Asia/Beirut", 11413, 1553983200, 1},          // 2019-03-31 skips 00:00
      {"America/New_York", 19053, 2214104400, 0},     // 2040-02-29
      {"America/New_York", 65535, 6230145600, 0},     // 2167-06-05
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.zone) + ", day " + std::to_string(c.day));
    useZone(c.zone);
    const std::int64_t t = dayNumberToTime(c.day);
    EXPECT_EQ(t, c.expected);
    const std::tm local = localTime(t);
    EXPECT_EQ(local.tm_hour, c.localHour);
    EXPECT_EQ(local.tm_min, 0);
    EXPECT_EQ(local.tm_sec, 0);
  }
}

// The day number of the local date in "local", by the sample builder's own
// calendar; -1 when it has none.
std::int64_t dayNumberOf(const std::tm& local) {
  char date[32];
  std::strftime(date, sizeof date, "%Y-%m-%d", &local);
  std::int64_t day = -1;
  return sample::dayNumberOfDate(date, &day) ? day : -1;
}

// Day after day, across daylight-saving changes: each result is the first
// second of the next calendar date, never a time on the day before.
TEST_F(DayNumberToTimeTest, StartsEachDayOnItsOwnDateAcrossTransitions) {
  for (const char* zone :
       {"America/New_York", "Australia/Lord_Howe", "America/Sao_Paulo",
        "Asia/Beirut", "Europe/Dublin"}) {
    SCOPED_TRACE(zone);
    useZone(zone);
    for (std::uint16_t day = 11000; day < 11800; ++day) {
      const std::int64_t t = dayNumberToTime(day);
      const std::tm start = localTime(t);
      const std::tm before = localTime(t - 1);
      ASSERT_EQ(dayNumberOf(start), day) << "local date of day " << day;
      ASSERT_NE(before.tm_mday, start.tm_mday) << "day " << day;
    }
  }
}

}  // namespace
}  // namespace shgs
