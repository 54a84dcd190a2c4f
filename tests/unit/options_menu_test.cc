#include "driver/options_menu.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "support/capture_builder.h"
#include "support/test_support.h"

namespace shgs {
namespace {

using testing_support::CaptureBuilder;

struct TestGame {
  char letter;
  std::string title;
  std::string directory;
  std::string deleted = "F";
};

struct MenuRun {
  MenuResult result;
  ExportOptions options;
  std::string console;  // "<cls>" where the console was cleared
  std::ios::fmtflags flags;
  int clears;
};

MenuRun runMenu(const std::vector<TestGame>& games, const std::string& input) {
  CaptureBuilder capture(testing_support::kCaptureStyles[2]);
  capture.serverKey().value("ServerRoot", "C:\\SHGS");
  for (const TestGame& game : games) {
    capture.gameKey(game.letter)
        .value("Deleted", game.deleted)
        .value("Directory", game.directory)
        .value("Title", game.title);
  }
  const ServerSnapshot snapshot = ServerSnapshot::fromCapture(capture.text());
  std::istringstream in(input);
  std::ostringstream out;
  MenuRun run{MenuResult::kFinished, ExportOptions(), "", {}, 0};
  // A visible mark shows where the console was cleared.
  run.result = runOptionsMenu(snapshot, run.options, in, out, [&] {
    ++run.clears;
    out << "<cls>";
  });
  run.console = out.str();
  run.flags = out.flags();
  return run;
}

const std::vector<TestGame> kGamesABC = {{'A', "Alpha", "C:\\SHGS\\GAME\\A"},
                                         {'B', "Beta", "C:\\SHGS\\GAME\\B"},
                                         {'C', "Gamma", "C:\\SHGS\\GAME\\C"}};

// The whole console, "<cls>" where it was cleared, as the file
// tests/testdata/menu/<name> holds it.
TEST(OptionsMenu, DrawsTheScreenByteForByte) {
  const std::vector<TestGame> games = {
      {'A', "Alpha", "C:\\SHGS\\GAME\\A"},
      {'B', "Gone", "C:\\SHGS\\GAME\\B", "T"},
      {'C', "A title of more than thirty characters",
       "C:\\A directory path of more than forty characters"}};
  const struct {
    std::vector<TestGame> games;
    const char* input;
    const char* file;
  } cases[] = {
      {games, "!\n", "forum.txt"},
      {{}, "ABZ!\n", "no_games.txt"},
      {games, "%cA!\n", "plain.txt"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    const MenuRun run = runMenu(c.games, c.input);
    EXPECT_EQ(run.result, MenuResult::kFinished);
    EXPECT_EQ(run.console,
              testing_support::readFile(SHGS_TESTDATA_DIR "/menu/" +
                                        std::string(c.file)));
    EXPECT_TRUE(run.flags & std::ios::left);
    EXPECT_TRUE(run.flags & std::ios::boolalpha);
  }
}

// Registry values are shown as data: control characters as "?", fields cut
// where a character ends.
TEST(OptionsMenu, ShowsTitlesAndDirectoriesAsData) {
  const std::string thirty(29, 'x');
  const struct {
    char letter;
    std::string title, directory, line;
  } cases[] = {
      {'A', "Red\x1b[31m\x1b]0;t\x07", "C:\\\x7f\t",
       "(A) Red?[31m?]0;t?" + std::string(17, ' ') + "C:\\??"},
      {'Z', thirty + "\xc3\xa9",
       "C:\\\xc2\x9b"
       "1m",
       "(Z) " + thirty + "  C:\\?1m"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    const MenuRun run = runMenu({{c.letter, c.title, c.directory}}, "!\n");
    const std::size_t at = run.console.find(c.line.substr(0, 4));
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(run.console.substr(at, c.line.size()), c.line);
    EXPECT_EQ(run.console.find('\x1b'), std::string::npos);
  }
}

// The selected letters; then "*", "%" and "#" for the options turned from
// their defaults, and a file name other than the default, each after a blank.
std::string stateOf(const ExportOptions& options) {
  std::string state(options.selectedGames.begin(), options.selectedGames.end());
  if (!options.globalDataIncluded) state += " *";
  if (options.format != ReportFormat::kForum) state += " %";
  if (options.includeStockPriceData) state += " #";
  if (options.outputFileName != ExportOptions().outputFileName) {
    state += " " + options.outputFileName;
  }
  return state;
}

// The selection the last screen of "console" showed.
std::string lastShownSelection(const std::string& console) {
  const std::string label = "Game data currently included: ";
  const std::size_t at = console.rfind(label);
  if (at == std::string::npos) return "<no screen>";
  const std::size_t start = at + label.size();
  return console.substr(start, console.find('\n', start) - start);
}

// Each pass shows the choices of the passes before it.
TEST(OptionsMenu, ActsOnEveryAcceptedKeyOfAWord) {
  const struct {
    const char* input;
    int passes;
    const char* state;
    const char* lastShown;  // the selection on the last screen
    const char* alsoShown;  // more text of the console, if any
  } cases[] = {
      {"^!\n", 1, "ABC", "None!", ""},  // every listed game
      {"A\n^!\n", 2, "BC", "A", ""},    // toggles, not selects
      {"^^!\n", 1, "", "None!", ""},
      {"aA!\n", 1, "", "None!", ""},  // either case
      {"A!\n", 1, "A", "None!", ""},
      {"!A\n", 1, "A", "None!", ""},      // the word goes on after "!"
      {"A B !\n", 3, "AB", "AB", ""},     // one word a pass
      {"D1x?A!\n", 1, "A", "None!", ""},  // the rest is ignored
      {"C\nA\nB!\n", 3, "ABC", "AC", ""},
      {"*%#!\n", 1, " * % #", "None!", ""},
      {"**%%##!\n", 1, "", "None!", ""},
      {"A *\n!\n", 3, "A *", "A",
       "included: A\n\n(^) Toggle all games\n(*) Global data included: false"},
      {"$ report.txt\n!\n", 2, " report.txt", "None!",
       "Enter new output filename: <cls>"},
      // The name is the next word; the rest of "$cab" is still read.
      {"$cab out.txt !\n", 2, "ABC out.txt", "ABC",
       "($) Filename to output: out.txt\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    const MenuRun run = runMenu(kGamesABC, c.input);
    EXPECT_EQ(run.result, MenuResult::kFinished);
    EXPECT_EQ(stateOf(run.options), c.state);
    EXPECT_EQ(run.clears, 2 * c.passes);
    EXPECT_EQ(lastShownSelection(run.console), c.lastShown);
    if (*c.alsoShown != '\0') {
      EXPECT_NE(run.console.find(c.alsoShown), std::string::npos);
    }
  }
}

const std::vector<TestGame> kSixGames = {{'A', "a", "a"}, {'B', "b", "b"},
                                         {'C', "c", "c"}, {'D', "d", "d"},
                                         {'E', "e", "e"}, {'F', "f", "f"}};

TEST(OptionsMenu, AsksBeforeMoreThanFiveGamesGoIntoAForumPost) {
  const std::string warning =
      "<cls>\nOver 5 games per output intended for posting on the OFS forum "
      "is not\nrecommended due to OFS forum software limitations.  For best "
      "results,\nconsider producing one file per 5 games, with globals "
      "included only\nin the first file.  Proceed anyway? ";
  const struct {
    const char* input;
    bool warned;
    int passes;
    bool forum;
    std::size_t selected;
  } cases[] = {
      {"ABCDE!\n", false, 1, true, 5},
      {"ABCDEF!\nyes\n", true, 1, true, 6},
      {"ABCDEF!\nY\n", true, 1, true, 6},
      {"ABCDEF!\nno\n!\nyes\n", true, 2, true, 6},  // back to the menu
      {"ABCDEF!\nx\n%!\n", true, 2, false, 6},      // plain: no warning
      {"%ABCDEF!\n", false, 1, false, 6},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    const MenuRun run = runMenu(kSixGames, c.input);
    EXPECT_EQ(run.result, MenuResult::kFinished);
    EXPECT_EQ(run.console.find(warning) != std::string::npos, c.warned);
    EXPECT_EQ(run.clears, 2 * c.passes);
    EXPECT_EQ(run.options.selectedGames.size(), c.selected);
    EXPECT_EQ(run.options.format == ReportFormat::kForum, c.forum);
  }
}

TEST(OptionsMenu, ReportsTheEndOfInputAtEveryPrompt) {
  for (const char* input : {"", "A B\n", "$", "$ \n", "ABCDEF!\n"}) {
    EXPECT_EQ(runMenu(kSixGames, input).result, MenuResult::kInputEnded)
        << input;
  }
}

}  // namespace
}  // namespace shgs
