#include "report/game_section.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>

#include "support/text_input.h"

namespace shgs {
namespace {

using testing_support::TextInput;

std::string excerptOf(const std::string& content) {
  DescriptionFile description(std::make_unique<TextInput>(content));
  std::ostringstream out;
  const auto writer = makeReportWriter(out, ReportFormat::kPlain, 0, "");
  writeDescriptionExcerpt(*writer, &description);
  return out.str();
}

// Four full rows of "c", each after its line end.
std::string fourRows(char c) {
  std::string rows;
  for (int i = 0; i < 4; ++i) rows += "\n" + std::string(80, c);
  return rows;
}

// A written line costs its length, inserted line breaks included, but never
// less than 80; empty lines cost nothing; the budget is 397.
TEST(DescriptionExcerpt, ShowsLinesWhileTheBudgetLasts) {
  const std::string full(396, 'c');
  const std::string shown = fourRows('c') + "\n" + std::string(76, 'c');
  const struct {
    std::string content;
    std::string excerpt;
  } cases[] = {
      {"one\n\n\r\n\ntwo\n", "\none\ntwo"},
      {"", ""},
      {"\n\n", ""},
      {std::string(100, 'x'),
       "\n" + std::string(80, 'x') + "\n" + std::string(20, 'x')},
      {"1\n2\n3\n4\n", "\n1\n2\n3\n4"},
      {"1\n2\n3\n4\n5\n6\n", "\n1\n2\n3\n4\n5..."},
      // 393 characters and their four line breaks spend the budget exactly.
      {std::string(393, 'x'),
       fourRows('x') + "\n" + std::string(73, 'x') + "..."},
      // The carriage return is the 397th character, the last one shown.
      {full + "\rmore\n", shown + "\r..."},
      {full + "\r\nmore\n", shown + "..."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.content));
    EXPECT_EQ(excerptOf(c.content), c.excerpt);
  }
}

}  // namespace
}  // namespace shgs
