#include "driver/options_menu.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "support/fake_platform.h"

namespace shgs {
namespace {

using testing_support::FakePlatform;

struct TestGame {
  char letter;
  std::string title;
  std::string directory;
  std::string deleted = "F";
};

constexpr char kRootKey[] =
    "HKEY_LOCAL_MACHINE\\Software\\Orbital Forge Software\\Starhaul Deluxe "
    "Game Server";

std::string valueLine(const std::string& name, const std::string& text) {
  return "    " + name + "    REG_SZ    " + text + "\n";
}

ServerSnapshot snapshotOf(const std::vector<TestGame>& games) {
  std::string capture = std::string("\n") + kRootKey + "\n" +
                        valueLine("ServerRoot", "C:\\SHGS") + "\n" + kRootKey +
                        "\\Games\n";
  for (const TestGame& game : games) {
    capture += std::string("\n") + kRootKey + "\\Games\\" + game.letter + "\n" +
               valueLine("Deleted", game.deleted) +
               valueLine("Directory", game.directory) +
               valueLine("Title", game.title);
  }
  return ServerSnapshot::fromCapture(capture);
}

std::vector<TestGame> gamesABC() {
  return {{'A', "Alpha", "C:\\SHGS\\GAME\\A"},
          {'B', "Beta", "C:\\SHGS\\GAME\\B"},
          {'C', "Gamma", "C:\\SHGS\\GAME\\C"}};
}

struct MenuRun {
  MenuResult result;
  ExportOptions options;
  std::string console;
  int clears;
};

MenuRun runMenu(const std::vector<TestGame>& games, const std::string& input) {
  const ServerSnapshot snapshot = snapshotOf(games);
  std::istringstream in(input);
  std::ostringstream out;
  FakePlatform platform(&out);
  MenuRun run{MenuResult::kFinished, ExportOptions(), "", 0};
  run.result = runOptionsMenu(snapshot, run.options, in, out, platform);
  run.console = out.str();
  run.clears = platform.clearCount;
  return run;
}

std::string selection(const ExportOptions& options) {
  return std::string(options.selectedGames.begin(),
                     options.selectedGames.end());
}

const char kBanner[] =
    "Welcome to the Starhaul Game Server Game Data Exporter, brought to you "
    "by\n"
    "Dana Whitlock (aka Quillon).  Simply choose the games you wish included "
    "in\n"
    "the output file.\n"
    "\n"
    "    Game                           Directory                              "
    "  \n";

std::string optionLines(const std::string& included, bool global, bool forum,
                        bool stock, const std::string& file) {
  auto word = [](bool b) { return std::string(b ? "true" : "false"); };
  return "\nGame data currently included: " + included +
         "\n\n(^) Toggle all games\n(*) Global data included: " + word(global) +
         "\n(%) Formatted for OFS forum: " + word(forum) +
         "\n(#) Include stock price data: " + word(stock) +
         "\n($) Filename to output: " + file +
         "\n(!) Done entering options. Begin processing.\n\n"
         "Enter game letter(s) to include and/or option(s) to toggle: ";
}

const char kPostingInstructions[] =
    "\nTo post onto the OFS forum:  Open the output file in notepad, press\n"
    "Ctrl-A followed by Ctrl-C to copy the entire file into the clipboard,\n"
    "then (with the cursor in an OFS forum post textbox) press Ctrl-V to\n"
    "paste the table into the forum.\n";

const char kAlignmentHint[] =
    "\nIf the notepad output does not appear properly aligned, change the\n"
    "font to Lucida Console or Terminal.  These are fixed-width fonts\n"
    "and will allow for proper formatting.\n";

TEST(OptionsMenuTest, DrawsTheScreenWithCutAndPaddedColumns) {
  const std::vector<TestGame> games = {
      {'A', "Alpha", "C:\\SHGS\\GAME\\A"},
      {'B', "Gone", "C:\\SHGS\\GAME\\B", "T"},
      {'C', "A title of more than thirty characters",
       "C:\\A directory path of more than forty characters"}};
  const MenuRun run = runMenu(games, "!\n");

  const std::string expected =
      std::string("<cls>") + kBanner +
      "(A) Alpha                          C:\\SHGS\\GAME\\A                    "
      "       \n"
      "(C) A title of more than thirty ch C:\\A directory path of more than "
      "forty c \n" +
      optionLines("None!", true, true, false, "SHGS Game Data.TXT") + "<cls>" +
      kPostingInstructions;
  EXPECT_EQ(run.console, expected);
  EXPECT_EQ(run.result, MenuResult::kFinished);
}

TEST(OptionsMenuTest, ListsNoGameAndIgnoresLettersWhenNoneIsAvailable) {
  const MenuRun run = runMenu({}, "ABZ!\n");
  EXPECT_EQ(run.console,
            std::string("<cls>") + kBanner +
                optionLines("None!", true, true, false, "SHGS Game Data.TXT") +
                "<cls>" + kPostingInstructions);
  EXPECT_TRUE(run.options.selectedGames.empty());
}

TEST(OptionsMenuTest, GameLinesAreSeventySixCharactersLong) {
  const MenuRun run = runMenu(gamesABC(), "!\n");
  std::istringstream lines(run.console);
  std::string line;
  int gameLines = 0;
  while (std::getline(lines, line)) {
    if (line.rfind("(A) ", 0) == 0 || line.rfind("(B) ", 0) == 0 ||
        line.rfind("(C) ", 0) == 0) {
      EXPECT_EQ(line.size(), 76u) << line;
      ++gameLines;
    }
  }
  EXPECT_EQ(gameLines, 3);
}

struct KeyCase {
  const char* input;
  const char* selected;
  int passes;
};

TEST(OptionsMenuTest, ActsOnEveryAcceptedKeyOfAWord) {
  const KeyCase cases[] = {
      {"^!\n", "ABC", 1},    // toggles every listed game
      {"A\n^!\n", "BC", 2},  // toggles, not selects
      {"^^!\n", "", 1},      // twice is no change
      {"aA!\n", "", 1},      // both cases name the same game
      {"a!\n", "A", 1},      //
      {"A!\n", "A", 1},      // finishes in the same pass
      {"!A\n", "A", 1},      // the scan goes on after "!"
      {"A B !\n", "AB", 3},  // one word per pass
      {"D1x?A!\n", "A", 1},  // unlisted letters and other keys ignored
      {"CAB!\n", "ABC", 1},  // held in letter order
  };
  for (const KeyCase& c : cases) {
    SCOPED_TRACE(c.input);
    const MenuRun run = runMenu(gamesABC(), c.input);
    EXPECT_EQ(run.result, MenuResult::kFinished);
    EXPECT_EQ(selection(run.options), c.selected);
    EXPECT_EQ(run.clears, 2 * c.passes);
  }
}

TEST(OptionsMenuTest, OptionKeysToggleTheirOptions) {
  const MenuRun once = runMenu(gamesABC(), "*%#!\n");
  EXPECT_FALSE(once.options.globalDataIncluded);
  EXPECT_FALSE(once.options.forumFormatted);
  EXPECT_TRUE(once.options.includeStockPriceData);

  const MenuRun twice = runMenu(gamesABC(), "**%%##!\n");
  EXPECT_TRUE(twice.options.globalDataIncluded);
  EXPECT_TRUE(twice.options.forumFormatted);
  EXPECT_FALSE(twice.options.includeStockPriceData);
}

TEST(OptionsMenuTest, RedrawsWithTheChoicesOfThePreviousPass) {
  const MenuRun run = runMenu(gamesABC(), "A *\n!\n");
  EXPECT_NE(run.console.find(
                optionLines("A", false, true, false, "SHGS Game Data.TXT")),
            std::string::npos);
}

TEST(OptionsMenuTest, TakesTheFileNameFromTheSameLine) {
  const MenuRun run = runMenu(gamesABC(), "$ report.txt\n!\n");
  EXPECT_EQ(run.options.outputFileName, "report.txt");
  EXPECT_EQ(run.clears, 4);  // "$" and "!" took a pass each
  EXPECT_NE(run.console.find("Enter new output filename: <cls>"),
            std::string::npos);
}

TEST(OptionsMenuTest, GoesOnScanningTheWordAfterTheFileName) {
  const std::vector<TestGame> games = {{'L', "El", "C:\\L"},
                                       {'T', "Tee", "C:\\T"}};
  const MenuRun run = runMenu(games, "$list out.txt !\n");
  EXPECT_EQ(run.options.outputFileName, "out.txt");
  EXPECT_EQ(selection(run.options), "LT");
}

TEST(OptionsMenuTest, WarnsAboutMoreThanFiveGamesInAForumPost) {
  const std::vector<TestGame> games = {{'A', "a", "a"}, {'B', "b", "b"},
                                       {'C', "c", "c"}, {'D', "d", "d"},
                                       {'E', "e", "e"}, {'F', "f", "f"}};
  const std::string warning =
      "\nOver 5 games per output intended for posting on the OFS forum is "
      "not\n"
      "recommended due to OFS forum software limitations.  For best "
      "results,\n"
      "consider producing one file per 5 games, with globals included only\n"
      "in the first file.  Proceed anyway? ";
  struct WarningCase {
    const char* input;
    bool warned;
    int passes;
    bool forum;
    std::size_t selected;
  };
  const WarningCase cases[] = {
      {"ABCDE!\n", false, 1, true, 5},  // five is still fine
      {"ABCDEF!\nyes\n", true, 1, true, 6},
      {"ABCDEF!\nY\n", true, 1, true, 6},
      {"ABCDEF!\nno\n!\nyes\n", true, 2, true, 6},  // back to the menu
      {"ABCDEF!\nx\n%!\n", true, 2, false, 6},      // plain: no warning
      {"%ABCDEF!\n", false, 1, false, 6},
  };
  for (const WarningCase& c : cases) {
    SCOPED_TRACE(c.input);
    const MenuRun run = runMenu(games, c.input);
    EXPECT_EQ(run.result, MenuResult::kFinished);
    EXPECT_EQ(run.console.find(warning) != std::string::npos, c.warned);
    EXPECT_EQ(run.clears, 2 * c.passes);
    EXPECT_EQ(run.options.selectedGames.size(), c.selected);
    EXPECT_EQ(run.options.forumFormatted, c.forum);
  }
}

TEST(OptionsMenuTest, EndsWithTheAlignmentHintInPlainMode) {
  const MenuRun run = runMenu(gamesABC(), "%!\n");
  const std::string hint = kAlignmentHint;
  ASSERT_GE(run.console.size(), hint.size());
  EXPECT_EQ(run.console.substr(run.console.size() - hint.size()), hint);
  EXPECT_EQ(run.console.find(kPostingInstructions), std::string::npos);
}

TEST(OptionsMenuTest, ReportsTheEndOfInputAtEveryPrompt) {
  const std::vector<TestGame> games = {{'A', "a", "a"}, {'B', "b", "b"},
                                       {'C', "c", "c"}, {'D', "d", "d"},
                                       {'E', "e", "e"}, {'F', "f", "f"}};
  for (const char* input : {"", "A B\n", "$", "$ \n", "ABCDEF!\n"}) {
    SCOPED_TRACE(input);
    EXPECT_EQ(runMenu(games, input).result, MenuResult::kInputEnded);
  }
}

TEST(OptionsMenuTest, LeavesTheStreamLeftAlignedWithWordTruthValues) {
  const ServerSnapshot snapshot = snapshotOf(gamesABC());
  std::istringstream in("!\n");
  std::ostringstream out;
  FakePlatform platform;
  ExportOptions options;
  runOptionsMenu(snapshot, options, in, out, platform);
  EXPECT_TRUE(out.flags() & std::ios::left);
  EXPECT_TRUE(out.flags() & std::ios::boolalpha);
}

}  // namespace
}  // namespace shgs
