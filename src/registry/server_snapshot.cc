#include "registry/server_snapshot.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <limits>
#include <set>
#include <string_view>
#include <utility>

#include "registry/capture_scanner.h"

namespace shgs {
namespace {

constexpr char kInvalidGame[] = "INVALID GAME";
constexpr std::size_t kNone = std::string::npos;
constexpr int kLetterCount = 26;

// A game key's path line ends in this word followed by the game's letter,
// since the server's root key ends in "Server".
constexpr std::string_view kGameKeyPrefix = "Server\\Games\\";

// The root key's values, in the order of ServerSnapshot's members.
constexpr std::array<std::string_view, 6> kServerValueNames = {
    "ServerRoot", "LimitIP", "IPAddr", "NameAddr", "Port", "NodeMax"};

// A game key's values, in the order of GameEntry's members.
constexpr std::array<std::string_view, 5> kGameValueNames = {
    "Deleted", "Active", "Directory", "Description", "Title"};

// Where the name of each game value ends on its value line, kNone when the
// listing lacks it.
using GameValueEnds = std::array<std::size_t, kGameValueNames.size()>;

// Where the first occurrence of each wanted word ends, kNone without one.
struct FirstWords {
  std::array<std::size_t, kServerValueNames.size()> serverValues;
  std::array<std::size_t, kLetterCount> gameKeys;
};

template <std::size_t N>
int indexOf(const std::array<std::string_view, N>& names,
            std::string_view word) {
  for (std::size_t i = 0; i < N; ++i) {
    if (names[i] == word) return static_cast<int>(i);
  }
  return -1;
}

// The game letter's index when "word" is a game key word, else -1.
int gameKeyIndex(std::string_view word) {
  if (word.size() != kGameKeyPrefix.size() + 1) return -1;
  if (word.substr(0, kGameKeyPrefix.size()) != kGameKeyPrefix) return -1;
  const char letter = word.back();
  return letter >= 'A' && letter <= 'Z' ? letter - 'A' : -1;
}

void keepFirst(std::size_t end, std::size_t* first) {
  if (*first == kNone) *first = end;
}

std::string_view wordText(const std::string& capture, WordBounds word) {
  return std::string_view(capture).substr(word.begin, word.end - word.begin);
}

void recordWord(std::string_view word, std::size_t end, FirstWords* first) {
  const int game = gameKeyIndex(word);
  if (game >= 0) {
    keepFirst(end, &first->gameKeys[game]);
    return;
  }
  const int value = indexOf(kServerValueNames, word);
  if (value >= 0) keepFirst(end, &first->serverValues[value]);
}

// One pass over the capture's words finds what a lookup from the start would
// find for every wanted word. A word that ends the capture never counts.
FirstWords findFirstWords(const std::string& capture) {
  FirstWords first;
  first.serverValues.fill(kNone);
  first.gameKeys.fill(kNone);
  for (WordBounds word = nextWord(capture, 0); word.end < capture.size();
       word = nextWord(capture, word.end)) {
    recordWord(wordText(capture, word), word.end, &first);
  }
  return first;
}

std::string valueOrNotFound(const std::string& capture, std::size_t nameEnd) {
  return nameEnd == kNone ? std::string(kNotFound)
                          : valueTextAt(capture, nameEnd);
}

// Maps each of "positions" to the start of the line below it (the capture's
// size on the last line), in one sweep over the capture.
std::map<std::size_t, std::size_t> lineStartsBelow(
    const std::string& capture, const std::set<std::size_t>& positions) {
  std::map<std::size_t, std::size_t> below;
  std::size_t lineFeed = kNone;
  bool searched = false;
  for (std::size_t position : positions) {
    // The line feed found for an earlier position is the first one after
    // this position too while it lies at or after it.
    if (!searched || (lineFeed != kNone && lineFeed < position)) {
      lineFeed = capture.find('\n', position);
      searched = true;
    }
    below[position] = lineFeed == kNone ? capture.size() : lineFeed + 1;
  }
  return below;
}

// A key's listing goes on while its lines begin with a blank or a tab; the
// next key's path line, a banner or an empty line ends it.
bool continuesListing(const std::string& capture, std::size_t line) {
  return line < capture.size() &&
         (capture[line] == ' ' || capture[line] == '\t');
}

// A value line is indented by four blanks, or a tab; a name with blanks
// before it ("  Directory") is a name of its own.
bool isValueIndent(std::string_view indent) {
  return indent == "    " || indent == "\t";
}

// A value's name ends where the separator before its type begins: a tab, or
// blanks and the type word. A name that goes on ("Directory x") is another.
bool endsValueName(const std::string& capture, std::size_t end,
                   std::size_t lineEnd) {
  if (end >= lineEnd || capture[end] == '\t' || capture[end] == '\r') {
    return true;
  }
  while (end < lineEnd && capture[end] == ' ') ++end;
  return capture.compare(end, 4, "REG_") == 0;
}

// Records the value line from "line" to "lineEnd" when its name is exactly
// that of a game value the listing has not given yet.
void recordValueLine(const std::string& capture, std::size_t line,
                     std::size_t lineEnd, GameValueEnds* ends) {
  std::size_t nameStart = line;
  while (nameStart < lineEnd && isCaptureSpace(capture[nameStart])) {
    ++nameStart;
  }
  if (nameStart == lineEnd) return;
  const std::string_view indent(&capture[line], nameStart - line);
  const WordBounds name = nextWord(capture, nameStart);
  if (name.end == capture.size()) return;  // it ends the capture: no value
  if (!isValueIndent(indent) || !endsValueName(capture, name.end, lineEnd)) {
    return;
  }
  const int value = indexOf(kGameValueNames, wordText(capture, name));
  if (value >= 0) keepFirst(name.end, &(*ends)[value]);
}

// Reads the listing from "begin" until it ends or reaches "stop", where a
// later game's listing starts. Returns true when it reached "stop".
bool scanListing(const std::string& capture, std::size_t begin,
                 std::size_t stop, GameValueEnds* ends) {
  std::size_t line = begin;
  while (line != stop && continuesListing(capture, line)) {
    const std::size_t lineEnd =
        std::min(capture.find('\n', line), capture.size());
    recordValueLine(capture, line, lineEnd, ends);
    line = lineEnd == capture.size() ? lineEnd : lineEnd + 1;
  }
  return line == stop;
}

void takeMissingFrom(const GameValueEnds& tail, GameValueEnds* ends) {
  for (std::size_t i = 0; i < ends->size(); ++i) {
    keepFirst(tail[i], &(*ends)[i]);
  }
}

// The value ends of the listing from each of "starts". A listing that runs
// into a later one's start shares its tail, so each line is read once however
// the game keys lie.
std::map<std::size_t, GameValueEnds> scanListings(
    const std::string& capture, const std::set<std::size_t>& starts) {
  std::map<std::size_t, GameValueEnds> listings;
  std::size_t later = kNone;
  for (auto start = starts.rbegin(); start != starts.rend(); ++start) {
    GameValueEnds ends;
    ends.fill(kNone);
    if (scanListing(capture, *start, later, &ends)) {
      takeMissingFrom(listings.at(later), &ends);
    }
    listings.emplace(*start, ends);
    later = *start;
  }
  return listings;
}

GameEntry gameEntry(const std::string& capture, const GameValueEnds& ends) {
  return GameEntry{
      valueOrNotFound(capture, ends[0]), valueOrNotFound(capture, ends[1]),
      valueOrNotFound(capture, ends[2]), valueOrNotFound(capture, ends[3]),
      valueOrNotFound(capture, ends[4])};
}

// Each found game's values come from its own key's listing: the lines below
// the line of its key word.
std::map<char, GameEntry> readGames(
    const std::string& capture,
    const std::array<std::size_t, kLetterCount>& keyEnds) {
  std::set<std::size_t> found(keyEnds.begin(), keyEnds.end());
  found.erase(kNone);
  const std::map<std::size_t, std::size_t> starts =
      lineStartsBelow(capture, found);
  std::set<std::size_t> listingStarts;
  for (const auto& keyAndStart : starts) {
    listingStarts.insert(keyAndStart.second);
  }
  const auto listings = scanListings(capture, listingStarts);
  std::map<char, GameEntry> games;
  for (int i = 0; i < kLetterCount; ++i) {
    if (keyEnds[i] == kNone) continue;
    const GameValueEnds& ends = listings.at(starts.at(keyEnds[i]));
    games.emplace(static_cast<char>('A' + i), gameEntry(capture, ends));
  }
  return games;
}

}  // namespace

ServerSnapshot::ServerSnapshot()
    : serverRoot_(kNotFound),
      limitIP_(kNotFound),
      ipAddr_(kNotFound),
      nameAddr_(kNotFound),
      port_(kNotFound),
      nodeMax_(kNotFound) {}

ServerSnapshot ServerSnapshot::fromCapture(std::string captureText) {
  const std::string& capture = captureText;
  const FirstWords first = findFirstWords(capture);
  ServerSnapshot snapshot;
  snapshot.serverRoot_ = valueOrNotFound(capture, first.serverValues[0]);
  snapshot.limitIP_ = valueOrNotFound(capture, first.serverValues[1]);
  snapshot.ipAddr_ = valueOrNotFound(capture, first.serverValues[2]);
  snapshot.nameAddr_ = valueOrNotFound(capture, first.serverValues[3]);
  snapshot.port_ = valueOrNotFound(capture, first.serverValues[4]);
  snapshot.nodeMax_ = valueOrNotFound(capture, first.serverValues[5]);
  snapshot.games_ = readGames(capture, first.gameKeys);
  return snapshot;
}

std::int32_t ServerSnapshot::port() const { return readDecimal(port_); }

std::int32_t ServerSnapshot::nodeMax() const { return readDecimal(nodeMax_); }

bool ServerSnapshot::isGameUnavailable(char letter) const {
  const GameEntry* game = findGame(letter);
  return game == nullptr || game->deleted == "T";
}

std::string ServerSnapshot::gameDirectory(char letter) const {
  const GameEntry* game = findGame(letter);
  return game == nullptr ? kInvalidGame : game->directory;
}

std::string ServerSnapshot::gameDescription(char letter) const {
  const GameEntry* game = findGame(letter);
  return game == nullptr ? kInvalidGame : game->description;
}

std::string ServerSnapshot::gameTitle(char letter) const {
  const GameEntry* game = findGame(letter);
  return game == nullptr ? kInvalidGame : game->title;
}

const GameEntry* ServerSnapshot::findGame(char letter) const {
  const auto game = games_.find(letter);
  return game == games_.end() ? nullptr : &game->second;
}

std::int32_t readDecimal(const std::string& text) {
  std::size_t pos = 0;
  while (pos < text.size() && isCaptureSpace(text[pos])) ++pos;
  const bool negative = pos < text.size() && text[pos] == '-';
  if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) ++pos;
  // Magnitudes saturate just past the range, where both ends clamp.
  constexpr std::int64_t kSaturated =
      std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  std::int64_t magnitude = 0;
  for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
    magnitude = std::min(magnitude * 10 + (text[pos] - '0'), kSaturated);
  }
  if (negative) return static_cast<std::int32_t>(-magnitude);
  return static_cast<std::int32_t>(std::min(magnitude, kSaturated - 1));
}

}  // namespace shgs
