#include "registry/server_snapshot.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "registry/capture_scanner.h"
#include "snapshot_checks.h"
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

// Captures of random pieces: the one-pass reading must agree with the
// fuzz target's plain, slow reading.
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
    EXPECT_EQ(fuzzing::snapshotMismatch(capture), "")
        << ::testing::PrintToString(capture);
  }
}

}  // namespace
}  // namespace shgs
