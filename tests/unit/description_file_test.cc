#include "datafiles/description_file.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "support/fake_platform.h"
#include "support/test_support.h"

namespace shgs {
namespace {

using testing_support::FakePlatform;
using testing_support::TempDir;
using testing_support::writeFile;

DescriptionFile textOf(const std::string& content) {
  return DescriptionFile(std::make_unique<std::stringbuf>(content));
}

// No dot is needed before "txt"; the path is lowered as a whole.
TEST(DescriptionFile, NamesOnlyFilesEndingInTxt) {
  const struct {
    const char* description;
    const char* path;
  } cases[] = {
      {"Game1.TXT", "c:\\shgs\\descfile\\game1.txt"},
      {"GAME1TXT", "c:\\shgs\\descfile\\game1txt"},
      {"Game1.doc", ""},
      {"Game1.txt ", ""},
      {"INVALID GAME", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DescriptionFile::pathOf("C:\\SHGS", c.description), c.path)
        << c.description;
  }
}

TEST(DescriptionFile, OpensOnlyRegularFiles) {
  TempDir dir;
  FakePlatform platform(nullptr, dir.path());
  writeFile(dir / "game1.txt", "text");
  testing_support::makeDirectories(dir / "folder.txt");
  EXPECT_NE(DescriptionFile::open(platform, "game1.txt"), nullptr);
  EXPECT_EQ(DescriptionFile::open(platform, "missing.txt"), nullptr);
  EXPECT_EQ(DescriptionFile::open(platform, "folder.txt"), nullptr);
  EXPECT_EQ(DescriptionFile::open(platform, ""), nullptr);
  EXPECT_EQ(
      platform.requestedPaths,
      std::vector<std::string>({"game1.txt", "missing.txt", "folder.txt"}));
}

// LF and CR-LF end a line, a lone CR does not, and the text ends at Ctrl-Z,
// as the Windows C runtime's text mode reads it.
TEST(DescriptionFile, ReadsLinesAsTextModeDoes) {
  const struct {
    std::string content;
    std::vector<std::string> lines;
  } cases[] = {
      {"mixed\nends\r\nhere", {"mixed", "ends", "here"}},
      {"a\rb\n", {"a\rb"}},
      {"last\r", {"last\r"}},
      {"one\n\n\r\n", {"one", "", ""}},
      {"before\x1a"
       "after\n",
       {"before"}},
      {"\x1a\nafter\n", {}},
      {"", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.content));
    DescriptionFile file = textOf(c.content);
    std::vector<std::string> lines;
    std::string line;
    while (file.readLine(100, &line)) lines.push_back(line);
    EXPECT_EQ(lines, c.lines);
  }
}

TEST(DescriptionFile, LeavesTheRestOfALongLineForTheNextRead) {
  DescriptionFile file = textOf("abcdefg\r\nh");
  std::string line;
  ASSERT_TRUE(file.readLine(3, &line));
  EXPECT_EQ(line, "abc");
  ASSERT_TRUE(file.readLine(100, &line));
  EXPECT_EQ(line, "defg");
  ASSERT_TRUE(file.readLine(100, &line));
  EXPECT_EQ(line, "h");
  EXPECT_FALSE(file.readLine(100, &line));
}

}  // namespace
}  // namespace shgs
