// The sample generator's record building, checked through the exporter's
// own decoding where one exists.

#include "record_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>

#include "datafiles/config_data.h"
#include "datafiles/global_data.h"

namespace shgs {
namespace {

using sample::RecordBuilder;
using sample::RecordKind;

TEST(EncodeReal48, StoresExactlyTheIntegersOf40SignificantBits) {
  std::uint8_t real[6];
  ASSERT_TRUE(sample::encodeReal48(-1000, real));
  const std::uint8_t minusThousand[6] = {0x8A, 0, 0, 0, 0, 0xFA};
  EXPECT_TRUE(std::equal(real, real + 6, minusThousand));
  EXPECT_TRUE(sample::encodeReal48(1099511627776LL, real));   // 2^40
  EXPECT_FALSE(sample::encodeReal48(1099511627777LL, real));  // 2^40 + 1
  EXPECT_FALSE(sample::encodeReal48(-(1LL << 62) - 1, real));
}

TEST(DayNumberOfDate, CountsDaysFromTheLastDayOf1987) {
  const struct {
    const char* date;
    std::int64_t day;  // -1: refused
  } cases[] = {
      {"1987-12-31", 0},
      {"1988-01-01", 1},
      {"1988-02-29", 60},
      {"1988-03-01", 61},
      {"2000-02-29", 4443},
      {"2038-01-20", 18283},
      {"2167-06-05", 65535},
      {"1987-12-30", -1},
      {"2167-06-06", -1},
      {"1989-02-29", -1},
      {"1988-13-01", -1},
      {"1988-04-31", -1},
      {"1988-1-01", -1},
      {"88-01-01", -1},
      {"1988/01/01", -1},
      {"1988-01-0x", -1},
      {"", -1},
  };
  for (const auto& c : cases) {
    std::int64_t day = -1;
    const bool stored = sample::dayNumberOfDate(c.date, &day);
    EXPECT_EQ(stored ? day : -1, c.day) << c.date;
  }
}

TEST(RecordBuilder, RefusesWhatAFieldCannotHoldAndLeavesTheRecordAlone) {
  const struct {
    const char* name;
    std::int64_t value;
    const char* err;
  } cases[] = {
      {"maxCourseLength", 256, "maxCourseLength: 256 out of range"},
      {"sectors", 65536, "sectors: 65536 out of range"},
      {"sectors", -1, "sectors: -1 out of range"},
      {"photonCost", 4294967296LL, "photonCost: 4294967296 out of range"},
      {"bigBangDay", 70000, "bigBangDay: 70000 out of range"},
      {"startingCredits", (1LL << 41) + 1,
       "startingCredits: not exactly a six-byte real"},
      {"noSuchField", 1, "unknown field noSuchField"}};
  for (const auto& c : cases) {
    RecordBuilder builder(RecordKind::kConfig);
    for (std::size_t offset = 0; offset < 300; ++offset) {
      builder.setByte(offset, 0x5A);
    }
    const sample::SampleRecord before = builder.bytes();
    std::string err;
    EXPECT_FALSE(builder.set(c.name, c.value, &err)) << c.name;
    EXPECT_EQ(err, c.err);
    EXPECT_EQ(builder.bytes(), before) << c.name;
  }
  RecordBuilder global(RecordKind::kGlobal);
  EXPECT_TRUE(global.setText("serverName", std::string(60, 'a')));
  EXPECT_FALSE(global.setText("serverName", std::string(61, 'a')));
  EXPECT_TRUE(global.setText("runningName", std::string(89, 'b')));
  EXPECT_FALSE(global.setText("runningName", std::string(90, 'b')));
  EXPECT_FALSE(global.setText("versionMajor", "2"));
  EXPECT_EQ(GlobalRecord(global.bytes()).serverName(), std::string(60, 'a'));
}

TEST(RecordBuilder, ReadsDescriptionValuesAsTheAccessorsShowThem) {
  RecordBuilder builder(RecordKind::kConfig);
  std::string err;
  for (const auto& [name, value] :
       {std::pair<const char*, const char*>{"stealDelay", "true"},
        {"deathDelay", "false"},
        {"bigBangDay", "1988-01-02"},
        {"gameStartDay", "700"},
        {"startingCredits", "-2500"},
        {"sectors", "+20000"}}) {
    EXPECT_TRUE(builder.setFromText(name, value, &err)) << name << ": " << err;
  }
  const ConfigRecord record(builder.bytes());
  EXPECT_TRUE(record.stealDelay());
  EXPECT_FALSE(record.deathDelay());
  EXPECT_EQ(builder.bytes()[11], 0x20);  // only deathDelay's bit
  EXPECT_EQ(record.bigBangDay(), 2);
  EXPECT_EQ(record.gameStartDay(), 700);
  EXPECT_EQ(record.startingCredits(), -2500);
  EXPECT_EQ(record.sectors(), 20000);
  for (const auto& [name, value] :
       {std::pair<const char*, const char*>{"goldMode", "yes"},
        {"sectors", "12x"},
        {"sectors", ""},
        {"bigBangDay", "1988-02-30"},
        {"startingCredits", "1.5"},
        {"maxUsers", "0x10"}}) {
    EXPECT_FALSE(builder.setFromText(name, value, &err)) << name << value;
  }
}

}  // namespace
}  // namespace shgs
