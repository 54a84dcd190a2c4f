#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "report/game_section.h"
#include "support/fake_platform.h"
#include "support/test_support.h"

namespace shgs {
namespace {

using testing_support::FakePlatform;
using testing_support::TempDir;
using testing_support::writeFile;

class DescriptionExcerptTest : public ::testing::Test {
 protected:
  std::string excerpt(const std::string& path) {
    std::ostringstream out;
    writeDescriptionExcerpt(out, platform_, path);
    return out.str();
  }

  TempDir dir_;
  FakePlatform platform_{nullptr, dir_.path()};
};

// Four full rows of "c", each after its line end.
std::string fourRows(char c) {
  std::string rows;
  for (int i = 0; i < 4; ++i) rows += "\n" + std::string(80, c);
  return rows;
}

TEST_F(DescriptionExcerptTest, DropsLineEndsButKeepsLoneCarriageReturns) {
  // The carriage return would be the 397th character, the last one shown.
  const std::string full(396, 'c');
  const std::string shown = fourRows('c') + "\n" + std::string(76, 'c');
  const struct {
    std::string content;
    std::string excerpt;
  } cases[] = {
      {"mixed\nends\r\nhere", "\nmixed\nends\nhere"},
      {"a\rb\n", "\na\rb"},
      {"last\r", "\nlast\r"},
      {"one\n\n\r\n\ntwo\n", "\none\ntwo"},
      {"", ""},
      {"\n\n", ""},
      {full + "\rmore\n", shown + "\r..."},
      {full + "\r\nmore\n", shown + "..."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.content));
    writeFile(dir_ / "game.txt", c.content);
    EXPECT_EQ(excerpt("Game.TXT"), c.excerpt);
  }
}

// A reader that took the whole line before cutting it would never finish.
TEST_F(DescriptionExcerptTest, StopsReadingWhereTheBudgetEnds) {
  std::filesystem::create_symlink("/dev/zero", dir_ / "endless.txt");
  EXPECT_EQ(excerpt("endless.txt"),
            fourRows('\0') + "\n" + std::string(77, '\0') + "...");
}

TEST_F(DescriptionExcerptTest, ReadsOnlyFilesWhoseLoweredPathEndsInTxt) {
  writeFile(dir_ / "game1txt", "no dot needed\n");
  writeFile(dir_ / "game1.doc", "a document\n");
  writeFile(dir_ / "game1.txt ", "a blank after\n");
  testing_support::makeDirectories(dir_ / "folder.txt");
  const struct {
    const char* path;
    const char* excerpt;
  } cases[] = {
      {"GAME1TXT", "\nno dot needed"},
      {"Game1.doc", ""},
      {"Game1.txt ", ""},
      {"missing.txt", ""},
      {"Folder.TXT", ""},
      {"INVALID GAME", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(excerpt(c.path), c.excerpt) << c.path;
  }
  EXPECT_EQ(
      platform_.requestedPaths,
      std::vector<std::string>({"game1txt", "missing.txt", "folder.txt"}));
}

}  // namespace
}  // namespace shgs
