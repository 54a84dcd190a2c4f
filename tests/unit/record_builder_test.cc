// The sample generator's record building, checked through the exporter's
// own decoding where one exists.

#include "record_builder.h"

#include <gtest/gtest.h>

#include <string>

#include "datafiles/config_data.h"
#include "datafiles/global_data.h"
#include "datafiles/record_encoding.h"

namespace shgs {
namespace {

using sample::RecordBuilder;
using sample::RecordKind;

TEST(EncodeReal48, StoresIntegersThatDecodeToThemselves) {
  for (std::int64_t value :
       {0LL, 1LL, -1LL, 1000LL, -1000LL, 10000LL, 123456789LL, -123456789LL,
        2147483647LL, -2147483648LL, 1099511627775LL}) {
    std::uint8_t real[6];
    ASSERT_TRUE(sample::encodeReal48(value, real)) << value;
    EXPECT_EQ(decodeReal48(real), static_cast<std::int32_t>(value & 0xFFFFFFFF))
        << value;
  }
}

TEST(EncodeReal48, MatchesTheKnownBytesOfOneThousand) {
  std::uint8_t real[6];
  ASSERT_TRUE(sample::encodeReal48(-1000, real));
  const std::uint8_t expected[6] = {0x8A, 0x00, 0x00, 0x00, 0x00, 0xFA};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(real[i], expected[i]) << "byte " << i;
}

TEST(EncodeReal48, RefusesIntegersWithMoreThan40SignificantBits) {
  std::uint8_t real[6];
  EXPECT_FALSE(sample::encodeReal48(1099511627777LL, real));  // 2^40 + 1
  EXPECT_TRUE(sample::encodeReal48(1099511627776LL, real));   // 2^40
  EXPECT_FALSE(sample::encodeReal48(-(1LL << 62) - 1, real));
}

TEST(DayNumberOfDate, CountsDaysFromTheLastDayOf1987) {
  const struct {
    const char* date;
    std::int64_t day;
  } cases[] = {{"1987-12-31", 0},    {"1988-01-01", 1},
               {"1988-02-29", 60},   {"1988-03-01", 61},
               {"2000-02-29", 4443}, {"2038-01-20", 18283},
               {"2167-06-05", 65535}};
  for (const auto& c : cases) {
    std::int64_t day = -1;
    EXPECT_TRUE(sample::dayNumberOfDate(c.date, &day)) << c.date;
    EXPECT_EQ(day, c.day) << c.date;
  }
}

TEST(DayNumberOfDate, RefusesMalformedAndUnstorableDates) {
  for (const char* date :
       {"1987-12-30", "2167-06-06", "1989-02-29", "1988-13-01", "1988-04-31",
        "1988-1-01", "88-01-01", "1988/01/01", "1988-01-0x", ""}) {
    std::int64_t day = 0;
    EXPECT_FALSE(sample::dayNumberOfDate(date, &day)) << date;
  }
}

TEST(RecordBuilder, RefusesWhatAFieldCannotHoldAndLeavesTheRecordAlone) {
  const struct {
    const char* name;
    std::int64_t value;
  } cases[] = {{"maxCourseLength", 256}, {"sectors", 65536},
               {"sectors", -1},          {"photonCost", 4294967296LL},
               {"bigBangDay", 70000},    {"startingCredits", (1LL << 41) + 1},
               {"noSuchField", 1}};
  for (const auto& c : cases) {
    RecordBuilder builder(RecordKind::kConfig);
    for (std::size_t offset = 0; offset < 300; ++offset) {
      builder.setByte(offset, 0x5A);
    }
    const sample::SampleRecord before = builder.bytes();
    std::string err;
    EXPECT_FALSE(builder.set(c.name, c.value, &err)) << c.name;
    EXPECT_NE(err, "") << c.name;
    EXPECT_EQ(builder.bytes(), before) << c.name;
  }
}

TEST(RecordBuilder, RefusesTextsLongerThanTheirField) {
  RecordBuilder builder(RecordKind::kGlobal);
  EXPECT_TRUE(builder.setText("serverName", std::string(60, 'a')));
  EXPECT_FALSE(builder.setText("serverName", std::string(61, 'a')));
  EXPECT_TRUE(builder.setText("runningName", std::string(89, 'b')));
  EXPECT_FALSE(builder.setText("runningName", std::string(90, 'b')));
  EXPECT_FALSE(builder.setText("versionMajor", "2"));
  const GlobalRecord record(builder.bytes());
  EXPECT_EQ(record.serverName(), std::string(60, 'a'));
  EXPECT_EQ(record.runningName(), std::string(89, 'b'));
}

TEST(RecordBuilder, ReadsDescriptionValuesAsTheAccessorsShowThem) {
  RecordBuilder builder(RecordKind::kConfig);
  std::string err;
  for (const auto& [name, value] :
       {std::pair<const char*, const char*>{"stealDelay", "true"},
        {"deathDelay", "false"},
        {"goldMode", "true"},
        {"bigBangDay", "1988-01-02"},
        {"gameStartDay", "700"},
        {"startingCredits", "-2500"},
        {"sectors", "+20000"}}) {
    EXPECT_TRUE(builder.setFromText(name, value, &err)) << name << ": " << err;
  }
  const ConfigRecord record(builder.bytes());
  EXPECT_TRUE(record.stealDelay());
  EXPECT_FALSE(record.deathDelay());
  EXPECT_TRUE(record.goldMode());
  EXPECT_EQ(record.bigBangDay(), 2);
  EXPECT_EQ(record.gameStartDay(), 700);
  EXPECT_EQ(record.startingCredits(), -2500);
  EXPECT_EQ(record.sectors(), 20000);
  EXPECT_EQ(builder.bytes()[11], 0x20);  // only deathDelay's bit
}

TEST(RecordBuilder, RefusesMalformedDescriptionValues) {
  const struct {
    const char* name;
    const char* value;
  } cases[] = {{"goldMode", "yes"},
               {"sectors", "12x"},
               {"sectors", ""},
               {"bigBangDay", "1988-02-30"},
               {"startingCredits", "1.5"},
               {"maxUsers", "0x10"}};
  for (const auto& c : cases) {
    RecordBuilder builder(RecordKind::kConfig);
    std::string err;
    EXPECT_FALSE(builder.setFromText(c.name, c.value, &err))
        << c.name << " = " << c.value;
  }
}

}  // namespace
}  // namespace shgs
