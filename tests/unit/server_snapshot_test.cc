#include "registry/server_snapshot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "registry/capture_scanner.h"
#include "unit/capture_builder.h"

namespace shgs {
namespace {

using testing_support::CaptureBuilder;
using testing_support::CaptureStyle;
using testing_support::kCaptureStyles;

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

class ServerSnapshotTest : public ::testing::TestWithParam<CaptureStyle> {
 protected:
  CaptureBuilder capture() const { return CaptureBuilder(GetParam()); }

  // A server key with the six values the exporter reads.
  CaptureBuilder server() const {
    CaptureBuilder builder(GetParam());
    builder.serverKey()
        .value("IPAddr", "10.0.0.7")
        .value("LimitIP", "T")
        .value("NameAddr", "")
        .value("NodeMax", "32")
        .value("Port", "23")
        .value("ServerRoot", "C:\\SHGS");
    return builder;
  }

  // A game key with all five values, in the order the server writes them.
  static void addGame(CaptureBuilder& builder, char letter) {
    const std::string name(1, letter);
    builder.gameKey(letter)
        .value("Deleted", "F")
        .value("Active", "T")
        .value("Directory", "C:\\SHGS\\GAME" + name)
        .value("Description", name + ".txt")
        .value("Title", "Game " + name);
  }
};

TEST_P(ServerSnapshotTest, ReadsTheServerValues) {
  const ServerSnapshot snapshot = ServerSnapshot::fromCapture(server().text());
  EXPECT_EQ("C:\\SHGS", snapshot.serverRoot());
  EXPECT_EQ("10.0.0.7", snapshot.ipAddress());
  EXPECT_EQ("", snapshot.nameAddress());
  EXPECT_EQ(23, snapshot.port());
  EXPECT_EQ(32, snapshot.nodeMax());
  EXPECT_TRUE(snapshot.isIPLimited());
}

TEST_P(ServerSnapshotTest, HoldsEntriesOnlyForTheGamesItFinds) {
  CaptureBuilder builder = server();
  addGame(builder, 'A');
  addGame(builder, 'C');
  // Only upper-case letters name games.
  builder.key(std::string(testing_support::kServerKeyPath) + "\\Games\\d")
      .value("Deleted", "F")
      .value("Title", "Lower");
  const ServerSnapshot snapshot = ServerSnapshot::fromCapture(builder.text());
  EXPECT_FALSE(snapshot.isGameUnavailable('A'));
  EXPECT_FALSE(snapshot.isGameUnavailable('C'));
  EXPECT_EQ("Game A", snapshot.gameTitle('A'));
  EXPECT_EQ("C:\\SHGS\\GAMEC", snapshot.gameDirectory('C'));
  EXPECT_EQ("C.txt", snapshot.gameDescription('C'));
  EXPECT_TRUE(snapshot.isGameUnavailable('B'));
  EXPECT_EQ("INVALID GAME", snapshot.gameTitle('B'));
  EXPECT_EQ("INVALID GAME", snapshot.gameDirectory('B'));
  EXPECT_EQ("INVALID GAME", snapshot.gameDescription('B'));
  for (char letter = 'D'; letter <= 'Z'; ++letter) {
    EXPECT_TRUE(snapshot.isGameUnavailable(letter)) << letter;
  }
  EXPECT_TRUE(snapshot.isGameUnavailable('d'));
  EXPECT_EQ("INVALID GAME", snapshot.gameTitle('d'));
}

TEST_P(ServerSnapshotTest, TakesGameValuesFromTheirOwnKeyInAnyOrder) {
  CaptureBuilder builder = server();
  // Sorted by name, as Wine keeps them.
  builder.gameKey('A')
      .value("Active", "T")
      .value("Deleted", "F")
      .value("Description", "a.txt")
      .value("Directory", "C:\\A")
      .value("Title", "Alpha");
  builder.gameKey('B')
      .value("Title", "Beta")
      .value("Directory", "C:\\B")
      .value("Description", "b.txt")
      .value("Deleted", "F");
  addGame(builder, 'C');
  const ServerSnapshot snapshot = ServerSnapshot::fromCapture(builder.text());
  EXPECT_EQ("Alpha", snapshot.gameTitle('A'));
  EXPECT_EQ("C:\\A", snapshot.gameDirectory('A'));
  EXPECT_EQ("a.txt", snapshot.gameDescription('A'));
  EXPECT_EQ("Beta", snapshot.gameTitle('B'));
  EXPECT_EQ("C:\\B", snapshot.gameDirectory('B'));
  EXPECT_EQ("b.txt", snapshot.gameDescription('B'));
  EXPECT_FALSE(snapshot.isGameUnavailable('B'));
  EXPECT_EQ("Game C", snapshot.gameTitle('C'));
}

TEST_P(ServerSnapshotTest, LeavesAValueItsKeyLacksNotFound) {
  CaptureBuilder builder = server();
  builder.gameKey('A').value("Deleted", "F").value("Directory", "C:\\A");
  addGame(builder, 'B');
  const ServerSnapshot snapshot = ServerSnapshot::fromCapture(builder.text());
  EXPECT_EQ(kNotFound, snapshot.gameTitle('A'));
  EXPECT_EQ(kNotFound, snapshot.gameDescription('A'));
  EXPECT_EQ("C:\\A", snapshot.gameDirectory('A'));
  EXPECT_EQ("Game B", snapshot.gameTitle('B'));
}

TEST_P(ServerSnapshotTest, MatchesOnlyTheFirstWordOfAValueLine) {
  CaptureBuilder builder = server();
  builder.gameKey('A')
      .value("Title", "Directory Title of Doom")
      .value("Description", "Title")
      .value("Directory", "C:\\A");
  const ServerSnapshot snapshot = ServerSnapshot::fromCapture(builder.text());
  EXPECT_EQ("Directory Title of Doom", snapshot.gameTitle('A'));
  EXPECT_EQ("C:\\A", snapshot.gameDirectory('A'));
  EXPECT_EQ("Title", snapshot.gameDescription('A'));
}

TEST_P(ServerSnapshotTest, EndsAListingAtAnEmptyLineOrAnUnindentedLine) {
  CaptureBuilder builder = server();
  builder.gameKey('A').value("Deleted", "F").line("").value("Title", "Lost");
  builder.gameKey('B').line("Banner Title").value("Title", "Lost");
  builder.gameKey('C').line("    ").value("Title", "Kept");
  const ServerSnapshot snapshot = ServerSnapshot::fromCapture(builder.text());
  EXPECT_EQ(kNotFound, snapshot.gameTitle('A'));
  EXPECT_EQ(kNotFound, snapshot.gameTitle('B'));
  EXPECT_EQ("Kept", snapshot.gameTitle('C'));
}

TEST_P(ServerSnapshotTest, ReadsTheLastValueLineWithoutLineEnd) {
  CaptureBuilder builder = server();
  builder.gameKey('A').value("Deleted", "F").raw("    Title\tREG_SZ\tLast");
  EXPECT_EQ("Last", ServerSnapshot::fromCapture(builder.text()).gameTitle('A'));
  builder.line("").gameKey('B').raw("    Title");
  EXPECT_EQ(kNotFound,
            ServerSnapshot::fromCapture(builder.text()).gameTitle('B'));
}

TEST_P(ServerSnapshotTest, TakesAServerValueFromItsFirstOccurrence) {
  CaptureBuilder builder = capture();
  builder.serverKey()
      .value("Motd", "Port 1234567890")
      .value("Port", "23")
      .value("ServerRoot", "C:\\SHGS");
  addGame(builder, 'A');
  builder.value("NodeMax", "7");
  const ServerSnapshot snapshot = ServerSnapshot::fromCapture(builder.text());
  EXPECT_EQ(890, snapshot.port());  // " 1234567890" less 8 bytes
  EXPECT_EQ(7, snapshot.nodeMax());
}

TEST_P(ServerSnapshotTest, CallsAGameDeletedOnlyForExactlyT) {
  const struct {
    const char* deleted;  // nullptr: no Deleted value
    bool unavailable;
  } cases[] = {{"T", true},  {"T ", false}, {"F", false},
               {"t", false}, {"", false},   {nullptr, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.deleted == nullptr ? "missing" : c.deleted);
    CaptureBuilder builder = server();
    builder.gameKey('A');
    if (c.deleted != nullptr) builder.value("Deleted", c.deleted);
    builder.value("Title", "Alpha");
    const ServerSnapshot snapshot = ServerSnapshot::fromCapture(builder.text());
    EXPECT_EQ(c.unavailable, snapshot.isGameUnavailable('A'));
    EXPECT_EQ("Alpha", snapshot.gameTitle('A'));
  }
}

TEST_P(ServerSnapshotTest, ReadsPortAndNodeMaxAsClampedDecimals) {
  const struct {
    const char* text;  // nullptr: no value
    std::int32_t number;
  } cases[] = {{"23", 23},
               {nullptr, 0},
               {"  42abc", 42},
               {"-5", -5},
               {"99999999999", kMax},
               {"-99999999999", kMin},
               {"", 0},
               {"x1", 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text == nullptr ? "missing" : c.text);
    CaptureBuilder builder = capture();
    builder.serverKey().value("ServerRoot", "C:\\SHGS");
    if (c.text != nullptr)
      builder.value("Port", c.text).value("NodeMax", c.text);
    const ServerSnapshot snapshot = ServerSnapshot::fromCapture(builder.text());
    EXPECT_EQ(c.number, snapshot.port());
    EXPECT_EQ(c.number, snapshot.nodeMax());
  }
}

TEST_P(ServerSnapshotTest, LimitsIPOnlyForExactlyT) {
  const struct {
    const char* limitIP;  // nullptr: no value
    bool limited;
  } cases[] = {{"T", true}, {"F", false}, {"T ", false}, {nullptr, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.limitIP == nullptr ? "missing" : c.limitIP);
    CaptureBuilder builder = capture();
    builder.serverKey().value("ServerRoot", "C:\\SHGS");
    if (c.limitIP != nullptr) builder.value("LimitIP", c.limitIP);
    EXPECT_EQ(c.limited,
              ServerSnapshot::fromCapture(builder.text()).isIPLimited());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, ServerSnapshotTest, ::testing::ValuesIn(kCaptureStyles),
    [](const ::testing::TestParamInfo<CaptureStyle>& info) {
      return std::string(info.param.name);
    });

TEST(ServerSnapshot, HoldsOnlyNotFoundForAnEmptyCapture) {
  for (const ServerSnapshot& snapshot :
       {ServerSnapshot(), ServerSnapshot::fromCapture("")}) {
    EXPECT_EQ(kNotFound, snapshot.serverRoot());
    EXPECT_EQ(kNotFound, snapshot.ipAddress());
    EXPECT_EQ(kNotFound, snapshot.nameAddress());
    EXPECT_EQ(0, snapshot.port());
    EXPECT_FALSE(snapshot.isIPLimited());
    EXPECT_TRUE(snapshot.isGameUnavailable('A'));
  }
}

TEST(ReadDecimal, ReadsAsA32BitStrtol) {
  const struct {
    const char* text;
    std::int32_t number;
  } cases[] = {
      {"0", 0},
      {"+7", 7},
      {" \t\v\f\r\n12", 12},
      {"-", 0},
      {"+-3", 0},
      {"- 3", 0},
      {"QnF", 0},
      {"007", 7},
      {"12 34", 12},
      {"2147483647", kMax},
      {"2147483648", kMax},
      {"-2147483648", kMin},
      {"-2147483649", kMin},
      {"000000000000000000042", 42},
      {"123456789012345678901234567890", kMax},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.number, readDecimal(c.text)) << '"' << c.text << '"';
  }
}

// A plain, line-by-line reading of a game key's listing, to check the
// snapshot's one-pass reading against on arbitrary captures.
struct Line {
  std::string text;  // without the line end
  bool ended;        // a line feed follows
};

std::vector<Line> splitLines(const std::string& capture) {
  std::vector<Line> lines;
  std::size_t begin = 0;
  while (begin < capture.size()) {
    const std::size_t end = capture.find('\n', begin);
    if (end == std::string::npos) {
      lines.push_back({capture.substr(begin), false});
      break;
    }
    std::string text = capture.substr(begin, end - begin);
    if (!text.empty() && text.back() == '\r') text.pop_back();
    lines.push_back({text, true});
    begin = end + 1;
  }
  return lines;
}

// The words of "line", less one that ends the capture.
std::vector<std::string> wordsOf(const Line& line) {
  std::vector<std::string> words;
  std::size_t end = 0;
  while (true) {
    std::size_t begin = end;
    while (begin < line.text.size() && isCaptureSpace(line.text[begin]))
      ++begin;
    end = begin;
    while (end < line.text.size() && !isCaptureSpace(line.text[end])) ++end;
    if (begin == end || (!line.ended && end == line.text.size())) break;
    words.push_back(line.text.substr(begin, end - begin));
  }
  return words;
}

// The game's value as its key's listing gives it, or "no entry".
std::string referenceGameValue(const std::vector<Line>& lines, char letter,
                               const std::string& name) {
  const std::string key = std::string("Server\\Games\\") + letter;
  std::size_t keyLine = 0;
  while (keyLine < lines.size()) {
    const std::vector<std::string> words = wordsOf(lines[keyLine]);
    if (std::find(words.begin(), words.end(), key) != words.end()) break;
    ++keyLine;
  }
  if (keyLine == lines.size()) return "no entry";
  for (std::size_t i = keyLine + 1; i < lines.size(); ++i) {
    const std::string& text = lines[i].text;
    if (text.empty() || (text[0] != ' ' && text[0] != '\t')) break;
    const std::vector<std::string> words = wordsOf(lines[i]);
    if (!words.empty() && words[0] == name) {
      return valueTextAfterName(text.substr(text.find(name) + name.size()));
    }
  }
  return kNotFound;
}

std::string randomCapture(std::mt19937& random) {
  static const char* const kPieces[] = {"Server\\Games\\A",
                                        "Server\\Games\\B",
                                        "Server\\Games\\C",
                                        "Title",
                                        "Directory",
                                        "Deleted",
                                        "Port",
                                        "ServerRoot",
                                        "REG_SZ",
                                        "x",
                                        "T",
                                        " ",
                                        "    ",
                                        "\t",
                                        "\n",
                                        "\n    ",
                                        "\r\n",
                                        "\r",
                                        "\v",
                                        "\xff"};
  std::uniform_int_distribution<std::size_t> piece(0, std::size(kPieces) - 1);
  std::uniform_int_distribution<int> length(0, 60);
  std::string capture;
  for (int i = length(random); i > 0; --i) capture += kPieces[piece(random)];
  return capture;
}

TEST(ServerSnapshot, AgreesWithPlainLookupsOnArbitraryCaptures) {
  std::mt19937 random(20240611);
  for (int round = 0; round < 3000; ++round) {
    const std::string capture = randomCapture(random);
    SCOPED_TRACE(::testing::PrintToString(capture));
    const ServerSnapshot snapshot = ServerSnapshot::fromCapture(capture);
    CaptureScanner scanner(capture);
    EXPECT_EQ(scanner.lookupValue("ServerRoot", true), snapshot.serverRoot());
    EXPECT_EQ(readDecimal(scanner.lookupValue("Port", true)), snapshot.port());
    const std::vector<Line> lines = splitLines(capture);
    for (char letter : {'A', 'B', 'C'}) {
      const std::string title = referenceGameValue(lines, letter, "Title");
      const bool entry = title != "no entry";
      EXPECT_EQ(entry ? title : "INVALID GAME", snapshot.gameTitle(letter));
      if (entry) {
        EXPECT_EQ(referenceGameValue(lines, letter, "Directory"),
                  snapshot.gameDirectory(letter));
      }
    }
  }
}

}  // namespace
}  // namespace shgs
