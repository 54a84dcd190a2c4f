#include <gtest/gtest.h>

#include <string>

#include "report/game_section.h"
#include "report_test_helpers.h"
#include "support/test_support.h"

namespace shgs {
namespace {

using report_test::DirectoryPlatform;
using testing_support::makeDirectories;
using testing_support::TempDir;
using testing_support::writeFile;

constexpr char kDescriptionPath[] = "C:\\SHGS\\DescFile\\Game1.txt";

// Ten characters that tell the lines apart.
std::string tenCharacters(int line) {
  return "line " + std::to_string(line) + std::string(4, '-');
}

std::string tenCharacterLines(int count) {
  std::string text;
  for (int i = 1; i <= count; ++i) text += tenCharacters(i) + "\n";
  return text;
}

class DescriptionExcerptTest : public ::testing::Test {
 protected:
  DescriptionExcerptTest() : platform_(dir_.path()) {
    makeDirectories(dir_ / "c:/shgs/descfile");
  }

  // Writes "content" as the file that "path" names, once lowered.
  void describe(const std::string& content,
                const std::string& fileName = "game1.txt") {
    writeFile(dir_ / ("c:/shgs/descfile/" + fileName), content);
  }

  std::string excerpt(const std::string& path = kDescriptionPath) {
    std::ostringstream out;
    writeDescriptionExcerpt(out, platform_, path);
    return out.str();
  }

  TempDir dir_;
  DirectoryPlatform platform_;
};

TEST_F(DescriptionExcerptTest, ShowsShortLinesUntilTheBudgetIsSpent) {
  const struct {
    int lines;
    int shown;
    bool cut;
  } cases[] = {{1, 1, false}, {4, 4, false}, {5, 5, true}, {6, 5, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.lines);
    describe(tenCharacterLines(c.lines));
    std::string expected;
    for (int i = 1; i <= c.shown; ++i) expected += "\n" + tenCharacters(i);
    if (c.cut) expected += "...";
    EXPECT_EQ(excerpt(), expected);
  }
}

TEST_F(DescriptionExcerptTest, BreaksLongLinesAfterEvery80Characters) {
  const std::string line(100, 'x');
  describe(line + "\n");
  EXPECT_EQ(excerpt(), "\n" + line.substr(0, 80) + "\n" + line.substr(80));

  describe(std::string(80, 'y'));
  EXPECT_EQ(excerpt(), "\n" + std::string(80, 'y'));
}

TEST_F(DescriptionExcerptTest, CutsAFirstLineOf500To397Characters) {
  std::string line;
  for (int i = 0; i < 500; ++i) line += static_cast<char>('a' + i % 26);
  describe(line + "\n" + tenCharacterLines(2));
  EXPECT_EQ(excerpt(), "\n" + line.substr(0, 80) + "\n" + line.substr(80, 80) +
                           "\n" + line.substr(160, 80) + "\n" +
                           line.substr(240, 80) + "\n" + line.substr(320, 77) +
                           "...");
}

TEST_F(DescriptionExcerptTest, StopsExactlyAtTheBudget) {
  // Three short lines cost 240; 156 characters and their break cost 157.
  const std::string last(156, 'z');
  describe(tenCharacterLines(3) + last + "\n" + "never shown\n");
  EXPECT_EQ(excerpt(), "\n" + tenCharacters(1) + "\n" + tenCharacters(2) +
                           "\n" + tenCharacters(3) + "\n" + last.substr(0, 80) +
                           "\n" + last.substr(80) + "...");
}

TEST_F(DescriptionExcerptTest, DropsLineEndsButKeepsLoneCarriageReturns) {
  const struct {
    const char* content;
    const char* excerpt;
  } cases[] = {
      {"first\r\nsecond\r\n", "\nfirst\nsecond"},
      {"mixed\nends\r\nhere", "\nmixed\nends\nhere"},
      {"a\rb\n", "\na\rb"},
      {"last\r", "\nlast\r"},
      {"one\n\n\r\n\ntwo\n", "\none\ntwo"},
      {"", ""},
      {"\n\n", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.content);
    describe(c.content);
    EXPECT_EQ(excerpt(), c.excerpt);
  }
}

TEST_F(DescriptionExcerptTest, EmptyLinesCostNothing) {
  std::string content;
  for (int i = 1; i <= 4; ++i) content += tenCharacters(i) + "\r\n\r\n\n";
  describe(content);
  EXPECT_EQ(excerpt(), "\n" + tenCharacters(1) + "\n" + tenCharacters(2) +
                           "\n" + tenCharacters(3) + "\n" + tenCharacters(4));
}

TEST_F(DescriptionExcerptTest, KeepsACutCarriageReturnOnlyWithoutLineFeed) {
  const std::string body(396, 'c');
  const std::string rows = "\n" + body.substr(0, 80) + "\n" +
                           body.substr(80, 80) + "\n" + body.substr(160, 80) +
                           "\n" + body.substr(240, 80) + "\n" +
                           body.substr(320);
  describe(body + "\rmore\n");
  EXPECT_EQ(excerpt(), rows + "\r...");
  describe(body + "\r\nmore\n");
  EXPECT_EQ(excerpt(), rows + "...");
}

TEST_F(DescriptionExcerptTest, OpensTheFileUnderTheLoweredPath) {
  describe("upper\n");
  EXPECT_EQ(excerpt("C:\\SHGS\\DescFile\\GAME1.TXT"), "\nupper");
  ASSERT_EQ(platform_.requestedPaths.size(), 1u);
  EXPECT_EQ(platform_.requestedPaths[0], "c:\\shgs\\descfile\\game1.txt");
}

TEST_F(DescriptionExcerptTest, ReadsOnlyPathsEndingInTxt) {
  describe("no dot needed\n", "game1txt");
  EXPECT_EQ(excerpt("C:\\SHGS\\DescFile\\Game1txt"), "\nno dot needed");
  describe("a document\n", "game1.doc");
  EXPECT_EQ(excerpt("C:\\SHGS\\DescFile\\Game1.doc"), "");
  describe("a text\n", "game1.txt ");
  EXPECT_EQ(excerpt("C:\\SHGS\\DescFile\\Game1.txt "), "");
  EXPECT_EQ(excerpt("INVALID GAME"), "");
  EXPECT_EQ(platform_.requestedPaths.size(), 1u);
}

TEST_F(DescriptionExcerptTest, WritesNothingForAFileThatCannotBeOpened) {
  EXPECT_EQ(excerpt("C:\\SHGS\\DescFile\\missing.txt"), "");
  makeDirectories(dir_ / "c:/shgs/descfile/folder.txt");
  EXPECT_EQ(excerpt("C:\\SHGS\\DescFile\\Folder.txt"), "");
}

TEST_F(DescriptionExcerptTest, ReadsOnlyTheStartOfAHugeOneLineFile) {
  std::string content(4 << 20, 'h');
  for (std::size_t i = 0; i < content.size(); i += 7) content[i] = 'q';
  describe(content);
  EXPECT_EQ(excerpt(), "\n" + content.substr(0, 80) + "\n" +
                           content.substr(80, 80) + "\n" +
                           content.substr(160, 80) + "\n" +
                           content.substr(240, 80) + "\n" +
                           content.substr(320, 77) + "...");
}

}  // namespace
}  // namespace shgs
