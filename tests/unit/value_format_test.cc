#include "report/value_format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <iostream>
#include <limits>
#include <sstream>
#include <string>

#include "support/scoped_process_state.h"

namespace shgs {
namespace {

using testing_support::ScopedTimeZone;

// Standard error captured for the lifetime of the object.
class CapturedStandardError {
 public:
  CapturedStandardError() : saved_(std::cerr.rdbuf(text_.rdbuf())) {}
  ~CapturedStandardError() { std::cerr.rdbuf(saved_); }

  std::string text() const { return text_.str(); }

 private:
  std::ostringstream text_;
  std::streambuf* saved_;
};

TEST(WithCommas, GroupsDigitsOnlyFromFiveCharactersOn) {
  const struct {
    std::uint32_t n;
    const char* text;
  } cases[] = {
      {0, "0"},
      {999, "999"},
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
      EXPECT_EQ(withCommas(static_cast<std::uint16_t>(c.n)), c.text) << c.n;
    }
  }
}

TEST(ToText, WritesValuesAsADefaultStreamWithWordFlags) {
  EXPECT_EQ(toText(0.33333334f), "0.333333");
  EXPECT_EQ(toText(1.0f), "1");
  EXPECT_EQ(toText(0.25f), "0.25");
  EXPECT_EQ(toText(std::int32_t{-42}), "-42");
  EXPECT_EQ(toText(std::numeric_limits<std::int32_t>::min()), "-2147483648");
  EXPECT_EQ(toText(std::int64_t{-5000000000}), "-5000000000");
  EXPECT_EQ(toText(false), "false");
}

TEST(DateText, ShowsTheLocalDateWithoutLeadingZero) {
  constexpr std::int64_t kOctober1st2007Utc = 1191196800;
  const struct {
    const char* zone;
    std::int64_t t;
    const char* text;
  } cases[] = {
      {"UTC0", kOctober1st2007Utc, "Mon Oct 1 2007"},
      {"UTC0", kOctober1st2007Utc + 14 * 86400, "Mon Oct 15 2007"},
      {"UTC0", kOctober1st2007Utc - 1, "Sun Sep 30 2007"},
      {"EST5", kOctober1st2007Utc + 5 * 3600, "Mon Oct 1 2007"},
      {"EST5", kOctober1st2007Utc + 5 * 3600 - 1, "Sun Sep 30 2007"},
      {"UTC0", std::numeric_limits<std::int64_t>::max(), "Unknown date"},
  };
  for (const auto& c : cases) {
    const ScopedTimeZone zone(c.zone);
    EXPECT_EQ(dateText(c.t), c.text) << c.zone << " " << c.t;
  }
}

// The codes stand for a quarter, a third, half and twice the normal delay,
// and for none; each factor is the single-precision value nearest to its
// fraction, and the report shows it as such.
TEST(ShipDelayFactor, GivesTheFractionOfEachCode) {
  const struct {
    int numerator, denominator;
    const char* shown;
  } fractions[] = {{1, 1, "1"},   {1, 4, "0.25"}, {1, 3, "0.333333"},
                   {1, 2, "0.5"}, {2, 1, "2"},    {0, 1, "0"}};
  for (int code = 0; code < 6; ++code) {
    SCOPED_TRACE(code);
    CapturedStandardError error;
    const float factor = shipDelayFactor(static_cast<std::uint8_t>(code));
    EXPECT_EQ(factor, static_cast<float>(fractions[code].numerator) /
                          static_cast<float>(fractions[code].denominator));
    EXPECT_EQ(toText(factor), fractions[code].shown);
    EXPECT_EQ(error.text(), "");
  }
}

TEST(ShipDelayFactor, ReportsEachDecodingOfAnInvalidCode) {
  for (int code = 6; code <= 255; ++code) {
    CapturedStandardError error;
    EXPECT_EQ(shipDelayFactor(static_cast<std::uint8_t>(code)), 0.0f) << code;
    EXPECT_EQ(error.text(), "Invalid ship delay value!") << code;
  }
}

}  // namespace
}  // namespace shgs
