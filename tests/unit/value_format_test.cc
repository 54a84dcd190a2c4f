#include "report/value_format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>

#include "platform/platform.h"
#include "report_test_helpers.h"

namespace shgs {
namespace {

using report_test::CapturedStandardError;

TEST(WithCommas, GroupsDigitsOnlyFromFiveCharactersOn) {
  const struct {
    std::uint32_t n;
    const char* text;
  } cases[] = {
      {0, "0"},
      {999, "999"},
      {1000, "1000"},
      {9999, "9999"},
      {10000, "10,000"},
      {65535, "65,535"},
      {100000, "100,000"},
      {1234567, "1,234,567"},
      {4294967295u, "4,294,967,295"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(withCommas(c.n), c.text) << c.n;
    if (c.n <= 65535) {
      EXPECT_EQ(withCommas(static_cast<std::uint16_t>(c.n)), c.text)
          << "16-bit " << c.n;
    }
  }
}

TEST(ToText, WritesValuesAsADefaultStreamWithWordFlags) {
  EXPECT_EQ(toText(0.33333334f), "0.333333");
  EXPECT_EQ(toText(1.0f), "1");
  EXPECT_EQ(toText(0.25f), "0.25");
  EXPECT_EQ(toText(2.0f), "2");
  EXPECT_EQ(toText(0.0f), "0");
  EXPECT_EQ(toText(std::int32_t{-42}), "-42");
  EXPECT_EQ(toText(std::numeric_limits<std::int32_t>::min()), "-2147483648");
  EXPECT_EQ(toText(std::int64_t{-5000000000}), "-5000000000");
  EXPECT_EQ(toText(true), "true");
  EXPECT_EQ(toText(false), "false");
  EXPECT_EQ(toText(std::string(" Unlim")), " Unlim");
  EXPECT_EQ(toText("cr"), "cr");
}

// Pins the time zone for one test and restores the one before.
class DateTextTest : public ::testing::Test {
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
  void useZone(const char* zone) {
    setenv("TZ", zone, 1);
    reloadTimeZone();
  }

 private:
  bool hadZone_ = false;
  std::string savedZone_;
};

constexpr std::int64_t kOctober1st2007Utc = 1191196800;

TEST_F(DateTextTest, ShowsWeekdayMonthDayAndYearWithoutLeadingZero) {
  useZone("UTC0");
  EXPECT_EQ(dateText(kOctober1st2007Utc), "Mon Oct 1 2007");
  EXPECT_EQ(dateText(kOctober1st2007Utc + 14 * 86400), "Mon Oct 15 2007");
  EXPECT_EQ(dateText(567993600), "Fri Jan 1 1988");
  EXPECT_EQ(dateText(567993600 - 1), "Thu Dec 31 1987");
}

TEST_F(DateTextTest, FollowsTheLocalTimeZone) {
  useZone("EST5");
  EXPECT_EQ(dateText(kOctober1st2007Utc + 5 * 3600), "Mon Oct 1 2007");
  EXPECT_EQ(dateText(kOctober1st2007Utc + 5 * 3600 - 1), "Sun Sep 30 2007");
}

TEST_F(DateTextTest, GivesAFixedTextForATimeThePlatformCannotConvert) {
  useZone("UTC0");
  EXPECT_EQ(dateText(std::numeric_limits<std::int64_t>::max()), "Unknown date");
}

TEST(ShipDelayFactor, MapsEachCodeToItsFactor) {
  const float factors[] = {1.0f, 0.25f, 0.33333334f, 0.5f, 2.0f, 0.0f};
  for (std::uint8_t code = 0; code <= 5; ++code) {
    CapturedStandardError error;
    EXPECT_EQ(shipDelayFactor(code), factors[code]) << int{code};
    EXPECT_EQ(error.text(), "") << int{code};
  }
}

TEST(ShipDelayFactor, ReportsEachInvalidCodeOnStandardError) {
  for (int code : {6, 7, 255}) {
    CapturedStandardError error;
    EXPECT_EQ(shipDelayFactor(static_cast<std::uint8_t>(code)), 0.0f) << code;
    EXPECT_EQ(error.text(), "Invalid ship delay value!") << code;
  }
  CapturedStandardError error;
  shipDelayFactor(6);
  shipDelayFactor(6);
  EXPECT_EQ(error.text(), "Invalid ship delay value!Invalid ship delay value!");
}

}  // namespace
}  // namespace shgs
