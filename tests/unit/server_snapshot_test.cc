#include "registry/server_snapshot.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "registry/capture_scanner.h"
#include "support/capture_builder.h"

namespace shgs {
namespace {

using testing_support::CaptureBuilder;
using testing_support::CaptureStyle;
using testing_support::kCaptureStyles;

// A game key with the values the server writes, in its order.
void addGame(CaptureBuilder& capture, char letter, const char* deleted = "F") {
  const std::string name(1, letter);
  capture.gameKey(letter)
      .value("Deleted", deleted)
      .value("Active", "T")
      .value("Directory", "C:\\" + name)
      .value("Description", name + ".txt")
      .value("Title", "Game " + name);
}

std::string serverCapture(const CaptureStyle& style) {
  CaptureBuilder capture(style);
  capture.serverKey()
      .value("Title", "Port 1234567890")
      .value("IPAddr", "10.0.0.7")
      .value("LimitIP", "T")
      .value("NameAddr", "")
      .value("NodeMax", "32")
      .value("Port", "23")
      .value("ServerRoot", "C:\\SHGS");
  addGame(capture, 'A');
  // B is absent; C lists its values sorted by name, as Wine keeps them.
  capture.gameKey('C')
      .value("Active", "T")
      .value("Deleted", "F")
      .value("Description", "c.txt")
      .value("Directory", "C:\\C")
      .value("Title", "Gamma");
  capture.gameKey('D').value("Directory", "C:\\D");  // E's Title is not D's
  capture.gameKey('E')
      .value("Title", "Directory Title of Doom")
      .value("Description", "Title")
      .value("Directory", "C:\\E");
  capture.gameKey('F').value("Deleted", "F").line("").value("Title", "Lost");
  capture.gameKey('G').line("Banner Title").value("Title", "Lost");
  capture.gameKey('H').line("    ").value("Title", "Kept");
  // Names that only begin or end like a game value's are others.
  capture.gameKey('N')
      .value(" Directory", "C:\\Evil")
      .line("    Directory x\tREG_SZ\tC:\\Evil")
      .value("Directory", "C:\\N");
  addGame(capture, 'I', "T");
  addGame(capture, 'J', "T ");
  addGame(capture, 'K', "t");
  addGame(capture, 'L', "");
  capture.key(std::string(testing_support::kServerKeyPath) + "\\Games\\m")
      .value("Title", "Lower case");
  capture.gameKey('Z').value("Deleted", "F").lastValue("Title", "Last");
  return capture.text();
}

TEST(ServerSnapshot, ReadsServerValuesAndEachGameFromItsOwnKey) {
  const std::string invalid = "INVALID GAME";
  const struct {
    char letter;
    bool unavailable;
    std::string title, directory, description;
  } games[] = {
      {'A', false, "Game A", "C:\\A", "A.txt"},
      {'B', true, invalid, invalid, invalid},
      {'C', false, "Gamma", "C:\\C", "c.txt"},
      {'D', false, kNotFound, "C:\\D", kNotFound},
      {'E', false, "Directory Title of Doom", "C:\\E", "Title"},
      {'F', false, kNotFound, kNotFound, kNotFound},  // an empty line ends it
      {'G', false, kNotFound, kNotFound, kNotFound},  // so does a banner
      {'H', false, "Kept", kNotFound, kNotFound},
      {'I', true, "Game I", "C:\\I", "I.txt"},  // deleted only by "T"
      {'J', false, "Game J", "C:\\J", "J.txt"},
      {'K', false, "Game K", "C:\\K", "K.txt"},
      {'L', false, "Game L", "C:\\L", "L.txt"},
      {'M', true, invalid, invalid, invalid},
      {'N', false, kNotFound, "C:\\N", kNotFound},
      {'m', true, invalid, invalid, invalid},
      {'Z', false, "Last", kNotFound, kNotFound},
  };
  for (const CaptureStyle& style : kCaptureStyles) {
    SCOPED_TRACE(style.name);
    const ServerSnapshot snapshot =
        ServerSnapshot::fromCapture(serverCapture(style));
    EXPECT_EQ(snapshot.serverRoot(), "C:\\SHGS");
    EXPECT_EQ(snapshot.ipAddress(), "10.0.0.7");
    EXPECT_EQ(snapshot.nameAddress(), "");
    EXPECT_EQ(snapshot.port(), 890);  // " 1234567890" less 8 bytes
    EXPECT_EQ(snapshot.nodeMax(), 32);
    EXPECT_TRUE(snapshot.isIPLimited());
    for (const auto& game : games) {
      SCOPED_TRACE(game.letter);
      EXPECT_EQ(snapshot.isGameUnavailable(game.letter), game.unavailable);
      EXPECT_EQ(snapshot.gameTitle(game.letter), game.title);
      EXPECT_EQ(snapshot.gameDirectory(game.letter), game.directory);
      EXPECT_EQ(snapshot.gameDescription(game.letter), game.description);
    }
  }
}

TEST(ReadDecimal, ReadsAsA32BitStrtol) {
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  const struct {
    const char* text;
    std::int32_t number;
  } cases[] = {
      {"", 0},
      {"+7", 7},
      {" \t\v\f\r\n12", 12},
      {"  42abc", 42},
      {"-5", -5},
      {"+-3", 0},
      {"- 3", 0},
      {"QnF", 0},
      {"2147483647", kMax},
      {"2147483648", kMax},
      {"-2147483648", kMin},
      {"-2147483649", kMin},
      {"000000000000000000042", 42},
      {"123456789012345678901234567890", kMax},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(readDecimal(c.text), c.number) << '"' << c.text << '"';
  }
}

// Whether a value line's first word stands as a value's name: after an
// indent of four blanks or a tab, before a tab, blanks and a type, or the
// line's end.
bool isNamePlace(const std::string& indent, const std::string& after) {
  if (indent != "    " && indent != "\t") return false;
  if (after.empty() || after[0] == '\t' || after[0] == '\r') return true;
  const std::size_t type = after.find_first_not_of(' ');
  return type != std::string::npos && after.compare(type, 4, "REG_") == 0;
}

// The value of game "letter" as a plain reading of the capture finds it: the
// first line holding the key word, then the lines below it that begin with a
// blank or a tab, up to the first whose name is "name". "no entry" without
// the key word. A word that ends the capture counts for nothing.
std::string plainGameValue(const std::string& capture, char letter,
                           const std::string& name) {
  const std::string key = std::string("Server\\Games\\") + letter;
  WordBounds word = nextWord(capture, 0);
  while (word.end < capture.size() &&
         capture.compare(word.begin, word.end - word.begin, key) != 0) {
    word = nextWord(capture, word.end);
  }
  if (word.end >= capture.size()) return "no entry";
  std::size_t line = capture.find('\n', word.end);
  while (line != std::string::npos && line + 1 < capture.size() &&
         (capture[line + 1] == ' ' || capture[line + 1] == '\t')) {
    word = nextWord(capture, line + 1);
    const std::size_t lineEnd = capture.find('\n', line + 1);
    const std::size_t end = std::min(lineEnd, capture.size());
    if (word.end < capture.size() && word.end <= lineEnd &&
        capture.compare(word.begin, word.end - word.begin, name) == 0 &&
        isNamePlace(capture.substr(line + 1, word.begin - line - 1),
                    capture.substr(word.end, end - word.end))) {
      return valueTextAt(capture, word.end);
    }
    line = lineEnd;
  }
  return kNotFound;
}

// Captures of random pieces: the one-pass reading of every game must agree
// with the plain reading, and the server values with the scanner's lookups.
TEST(ServerSnapshot, AgreesWithPlainLookupsOnArbitraryCaptures) {
  static const char* const kPieces[] = {"Server\\Games\\A",
                                        "Server\\Games\\B",
                                        "Title",
                                        "Directory",
                                        "Port",
                                        "ServerRoot",
                                        "REG_SZ",
                                        "x",
                                        " ",
                                        "    ",
                                        "\t",
                                        "\n",
                                        "\n    ",
                                        "\r\n",
                                        "\r",
                                        "\v",
                                        "\xff"};
  std::mt19937 random(20240611);
  std::uniform_int_distribution<std::size_t> piece(0, std::size(kPieces) - 1);
  std::uniform_int_distribution<int> length(0, 60);
  for (int round = 0; round < 3000; ++round) {
    std::string capture;
    for (int i = length(random); i > 0; --i) capture += kPieces[piece(random)];
    SCOPED_TRACE(::testing::PrintToString(capture));
    const ServerSnapshot snapshot = ServerSnapshot::fromCapture(capture);
    CaptureScanner scanner(capture);
    EXPECT_EQ(scanner.lookupValue("ServerRoot", true), snapshot.serverRoot());
    EXPECT_EQ(readDecimal(scanner.lookupValue("Port", true)), snapshot.port());
    for (char letter : {'A', 'B'}) {
      const std::string title = plainGameValue(capture, letter, "Title");
      if (title == "no entry") {
        EXPECT_TRUE(snapshot.isGameUnavailable(letter));
        continue;
      }
      EXPECT_EQ(snapshot.gameTitle(letter), title);
      EXPECT_EQ(snapshot.gameDirectory(letter),
                plainGameValue(capture, letter, "Directory"));
    }
  }
}

}  // namespace
}  // namespace shgs
