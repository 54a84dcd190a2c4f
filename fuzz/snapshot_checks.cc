// The slow reading that a snapshot built from a capture must agree with.
#include "snapshot_checks.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>

#include "fuzz_support.h"
#include "registry/capture_scanner.h"
#include "registry/server_snapshot.h"

namespace shgs {
namespace fuzzing {
namespace {

constexpr char kInvalidGame[] = "INVALID GAME";
constexpr std::size_t kGameValueCount = 5;
constexpr std::array<const char*, kGameValueCount> kGameValueNames = {
    "Deleted", "Active", "Directory", "Description", "Title"};

struct GameValues {
  bool found = false;
  std::array<bool, kGameValueCount> given{};
  std::array<std::string, kGameValueCount> values{
      kNotFound, kNotFound, kNotFound, kNotFound, kNotFound};
};

// What a 32-bit strtol makes of "text": the C library's own strtol, clamped.
std::int32_t strtol32(const std::string& text) {
  const long value = std::strtol(text.c_str(), nullptr, 10);
  return static_cast<std::int32_t>(
      std::clamp<long>(value, std::numeric_limits<std::int32_t>::min(),
                       std::numeric_limits<std::int32_t>::max()));
}

// Where the first occurrence of "word" ends, npos without one. A word that
// ends the capture does not count.
std::size_t firstWordEnd(const std::string& capture, const std::string& word) {
  for (WordBounds w = nextWord(capture, 0); w.end < capture.size();
       w = nextWord(capture, w.end)) {
    if (capture.compare(w.begin, w.end - w.begin, word) == 0) return w.end;
  }
  return std::string::npos;
}

std::size_t lineEndFrom(const std::string& capture, std::size_t from) {
  return std::min(capture.find('\n', from), capture.size());
}

// Whether the first word of a value line stands where a value's name does:
// after an indent of four blanks or a tab, before a tab, blanks and a type
// word, or the line's end.
bool standsAsAName(const std::string& indent, const std::string& after) {
  if (indent != "    " && indent != "\t") return false;
  if (after.empty() || after[0] == '\t' || after[0] == '\r') return true;
  const std::size_t type = after.find_first_not_of(' ');
  return type != std::string::npos && after.compare(type, 4, "REG_") == 0;
}

// Takes the value line from "line" to "lineEnd" when its name is that of a
// game value not given yet.
void takeValueLine(const std::string& capture, std::size_t line,
                   std::size_t lineEnd, GameValues* game) {
  std::size_t start = line;
  while (start < lineEnd && isCaptureSpace(capture[start])) ++start;
  if (start == lineEnd) return;
  const WordBounds name = nextWord(capture, start);
  if (name.end == capture.size()) return;
  if (!standsAsAName(capture.substr(line, start - line),
                     capture.substr(name.end, lineEnd - name.end))) {
    return;
  }
  for (std::size_t i = 0; i < kGameValueCount; ++i) {
    if (game->given[i] || capture.compare(name.begin, name.end - name.begin,
                                          kGameValueNames[i]) != 0) {
      continue;
    }
    game->given[i] = true;
    game->values[i] = valueTextAt(capture, name.end);
  }
}

// The game's key word, then its listing: the lines below it that begin with
// a blank or a tab.
GameValues readGameSlowly(const std::string& capture, char letter) {
  GameValues game;
  const std::size_t keyEnd =
      firstWordEnd(capture, std::string("Server\\Games\\") + letter);
  if (keyEnd == std::string::npos) return game;
  game.found = true;
  std::size_t line = lineEndFrom(capture, keyEnd);
  if (line < capture.size()) ++line;
  while (line < capture.size() &&
         (capture[line] == ' ' || capture[line] == '\t')) {
    const std::size_t lineEnd = lineEndFrom(capture, line);
    takeValueLine(capture, line, lineEnd, &game);
    line = lineEnd == capture.size() ? lineEnd : lineEnd + 1;
  }
  return game;
}

// Keeps the first expectation that does not hold.
struct Mismatch {
  void expect(bool holds, const char* expectation) {
    if (!holds && first.empty()) first = expectation;
  }
  std::string first;
};

void checkGame(const ServerSnapshot& snapshot, const std::string& capture,
               char letter, Mismatch* found) {
  const GameValues expected = readGameSlowly(capture, letter);
  if (!expected.found) {
    found->expect(snapshot.isGameUnavailable(letter),
                  "absent game unavailable");
    found->expect(snapshot.gameTitle(letter) == kInvalidGame &&
                      snapshot.gameDirectory(letter) == kInvalidGame &&
                      snapshot.gameDescription(letter) == kInvalidGame,
                  "absent game's values are INVALID GAME");
    return;
  }
  found->expect(
      snapshot.isGameUnavailable(letter) == (expected.values[0] == "T"),
      "game available unless Deleted is T");
  found->expect(snapshot.gameDirectory(letter) == expected.values[2],
                "Directory from the game's own listing");
  found->expect(snapshot.gameDescription(letter) == expected.values[3],
                "Description from the game's own listing");
  found->expect(snapshot.gameTitle(letter) == expected.values[4],
                "Title from the game's own listing");
}

void checkServerValues(const ServerSnapshot& snapshot,
                       const std::string& capture, Mismatch* found) {
  CaptureScanner scanner(capture);
  found->expect(
      snapshot.serverRoot() == scanner.lookupValue("ServerRoot", true),
      "ServerRoot as a lookup from the start finds it");
  found->expect(snapshot.isIPLimited() ==
                    (scanner.lookupValue("LimitIP", true) == std::string("T")),
                "LimitIP as a lookup from the start finds it");
  found->expect(snapshot.ipAddress() == scanner.lookupValue("IPAddr", true),
                "IPAddr as a lookup from the start finds it");
  found->expect(snapshot.nameAddress() == scanner.lookupValue("NameAddr", true),
                "NameAddr as a lookup from the start finds it");
  found->expect(snapshot.port() == strtol32(scanner.lookupValue("Port", true)),
                "Port read as a 32-bit strtol reads it");
  found->expect(
      snapshot.nodeMax() == strtol32(scanner.lookupValue("NodeMax", true)),
      "NodeMax read as a 32-bit strtol reads it");
}

}  // namespace

std::string snapshotMismatch(const std::string& capture) {
  const ServerSnapshot snapshot = ServerSnapshot::fromCapture(capture);
  Mismatch found;
  checkServerValues(snapshot, capture, &found);
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    checkGame(snapshot, capture, letter, &found);
  }
  for (char other : {'a', 'z', '@', '[', '\0', '\xff'}) {
    found.expect(snapshot.isGameUnavailable(other) &&
                     snapshot.gameTitle(other) == kInvalidGame,
                 "only upper-case letters name games");
  }
  return found.first;
}

void checkSnapshotOf(const std::string& capture) {
  const std::string mismatch = snapshotMismatch(capture);
  fuzzCheck(mismatch.empty(), mismatch.c_str());
}

}  // namespace fuzzing
}  // namespace shgs
