#include "report/game_section.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>

#include "support/test_support.h"

namespace shgs {
namespace {

using testing_support::TempDir;
using testing_support::writeFile;

std::string excerptOf(std::unique_ptr<std::streambuf> text) {
  DescriptionFile description(std::move(text));
  std::ostringstream out;
  ReportWriter writer(out, false);
  writeDescriptionExcerpt(writer, &description);
  return out.str();
}

std::string excerptOf(const std::string& content) {
  return excerptOf(std::make_unique<std::stringbuf>(content));
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
      // The carriage return is the 397th character, the last one shown.
      {full + "\rmore\n", shown + "\r..."},
      {full + "\r\nmore\n", shown + "..."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.content));
    EXPECT_EQ(excerptOf(c.content), c.excerpt);
  }
}

// A reader that took the whole line before cutting it would never finish:
// a sparse gigabyte of zero bytes on one line is cheap to make and slow to
// read through.
TEST(DescriptionExcerpt, StopsReadingWhereTheBudgetEnds) {
  TempDir dir;
  writeFile(dir / "endless.txt", "");
  std::filesystem::resize_file(dir / "endless.txt", std::uintmax_t{1} << 30);
  std::unique_ptr<std::streambuf> file =
      makeHostPlatform()->openForReading(dir / "endless.txt");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(excerptOf(std::move(file)),
            fourRows('\0') + "\n" + std::string(77, '\0') + "...");
}

TEST(DescriptionExcerpt, IsEmptyWithoutADescription) {
  std::ostringstream out;
  ReportWriter writer(out, true);
  writeDescriptionExcerpt(writer, nullptr);
  EXPECT_EQ(out.str(), "");
}

}  // namespace
}  // namespace shgs
