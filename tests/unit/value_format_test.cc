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

TEST(ShipDelayFactor, ReportsEachDecodingOfAnInvalidCode) {
  const float factors[] = {1.0f, 0.25f, 0.33333334f, 0.5f, 2.0f, 0.0f};
  for (int code = 0; code <= 255; ++code) {
    CapturedStandardError error;
    const float factor = shipDelayFactor(static_cast<std::uint8_t>(code));
    EXPECT_EQ(factor, code <= 5 ? factors[code] : 0.0f) << code;
    EXPECT_EQ(error.text(), code <= 5 ? "" : "Invalid ship delay value!")
        << code;
  }
}

}  // namespace
}  // namespace shgs
