#include "platform/wine_registry.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ascii_case.h"

namespace shgs {
namespace {

// system.reg stores names and strings as escaped UTF-16; the listing is
// UTF-8.
using Units = std::u16string;
// A key's path as its names, outermost first, without separators.
using KeyPath = std::vector<std::string>;

constexpr char16_t kReplacement = 0xFFFD;
constexpr char32_t kInvalid = 0x110000;
constexpr char kHiveName[] = "HKEY_LOCAL_MACHINE\\";
constexpr char kSeparator[] = "    ";
constexpr std::uint32_t kSz = 1, kExpandSz = 2, kBinary = 3, kDword = 4,
                        kDwordBigEndian = 5, kMultiSz = 7, kQword = 11;
// Keys that hold no values but have subkeys are not stored; the listing
// shows them as reg.exe does. A file of deep paths could make those lines
// grow quadratically, so they may take at most this much beyond the size of
// the key's own lines.
constexpr std::size_t kImpliedKeySlack = 64 * 1024;

bool startsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

int hexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads up to "maxDigits" hex digits at "*pos"; false when there is none.
bool readHexNumber(std::string_view text, std::size_t* pos, int maxDigits,
                   std::uint32_t* value) {
  int digits = 0;
  *value = 0;
  while (digits < maxDigits && *pos < text.size() &&
         hexDigitValue(text[*pos]) >= 0) {
    *value =
        *value * 16 + static_cast<std::uint32_t>(hexDigitValue(text[*pos]));
    ++*pos;
    ++digits;
  }
  return digits > 0;
}

// ---- UTF-8 and UTF-16 ----------------------------------------------------

void appendCodePoint(char32_t cp, Units* out) {
  if (cp < 0x10000) {
    out->push_back(static_cast<char16_t>(cp));
    return;
  }
  cp -= 0x10000;
  out->push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
  out->push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
}

int utf8SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

// The code point of the UTF-8 sequence of "length" bytes at "i", or kInvalid
// when the sequence is malformed.
char32_t utf8CodePoint(std::string_view text, std::size_t i, int length) {
  static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  char32_t cp = static_cast<unsigned char>(text[i]) & (0x7F >> length);
  for (int k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(text[i + k]);
    if ((next & 0xC0) != 0x80) return kInvalid;
    cp = (cp << 6) | (next & 0x3F);
  }
  const bool surrogate = cp >= 0xD800 && cp <= 0xDFFF;
  if (cp < kSmallest[length] || cp > 0x10FFFF || surrogate) return kInvalid;
  return cp;
}

// Decodes the UTF-8 character at "i"; a malformed one becomes U+FFFD and
// takes one byte. Returns the index after it.
std::size_t decodeUtf8(std::string_view text, std::size_t i, Units* out) {
  const auto lead = static_cast<unsigned char>(text[i]);
  const int length = utf8SequenceLength(lead);
  if (length == 1) {
    out->push_back(lead);
    return i + 1;
  }
  const bool complete =
      length != 0 && text.size() - i >= static_cast<std::size_t>(length);
  const char32_t cp = complete ? utf8CodePoint(text, i, length) : kInvalid;
  if (cp == kInvalid) {
    out->push_back(kReplacement);
    return i + 1;
  }
  appendCodePoint(cp, out);
  return i + length;
}

void appendUtf8(char32_t cp, std::string* out) {
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

bool isHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool isLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// Surrogate pairs become one character; a lone surrogate becomes U+FFFD.
std::string toUtf8(std::u16string_view units) {
  std::string out;
  for (std::size_t i = 0; i < units.size(); ++i) {
    char32_t cp = units[i];
    if (isHighSurrogate(units[i]) && i + 1 < units.size() &&
        isLowSurrogate(units[i + 1])) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (units[i + 1] - 0xDC00);
      ++i;
    } else if (isHighSurrogate(units[i]) || isLowSurrogate(units[i])) {
      cp = kReplacement;
    }
    appendUtf8(cp, &out);
  }
  return out;
}

// ---- Escaped text --------------------------------------------------------

// Octal escapes ("\0", "\37") stand for control characters; Wine pads them
// to three digits when a digit follows.
std::size_t decodeOctalEscape(std::string_view text, std::size_t i,
                              Units* out) {
  char16_t value = 0;
  for (int digits = 0;
       digits < 3 && i < text.size() && text[i] >= '0' && text[i] <= '7';
       ++digits, ++i) {
    value = static_cast<char16_t>(value * 8 + (text[i] - '0'));
  }
  out->push_back(value);
  return i;
}

// Decodes the escape whose letter is at "i"; returns the index after it.
std::size_t decodeEscape(std::string_view text, std::size_t i, Units* out) {
  static constexpr std::string_view kLetters = "abefnrtv";
  static constexpr char16_t kCodes[] = {7, 8, 27, 12, 10, 13, 9, 11};
  const char letter = text[i];
  const std::size_t known = kLetters.find(letter);
  if (known != std::string_view::npos) {
    out->push_back(kCodes[known]);
    return i + 1;
  }
  std::uint32_t unit = 0;
  std::size_t after = i + 1;
  if (letter == 'x' && readHexNumber(text, &after, 4, &unit)) {
    out->push_back(static_cast<char16_t>(unit));
    return after;
  }
  if (letter >= '0' && letter <= '7') return decodeOctalEscape(text, i, out);
  // "\\", "\"" and any other escaped character stand for themselves.
  return decodeUtf8(text, i, out);
}

// Decodes the escaped text from "from" up to the first unescaped
// "terminator" and sets "*end" after it. False when the text ends first.
bool decodeEscaped(std::string_view text, std::size_t from, char terminator,
                   Units* out, std::size_t* end) {
  std::size_t i = from;
  while (i < text.size()) {
    if (text[i] == terminator) {
      *end = i + 1;
      return true;
    }
    if (text[i] == '\\') {
      if (i + 1 == text.size()) return false;
      i = decodeEscape(text, i + 1, out);
    } else {
      i = decodeUtf8(text, i, out);
    }
  }
  return false;
}

// ---- Values --------------------------------------------------------------

struct Value {
  std::string name;
  std::uint32_t type = 0;
  std::string data;  // the value's bytes, as the registry holds them
};

// Strings are stored without their terminating NUL.
std::string stringData(const Units& units) {
  std::string data;
  for (char16_t unit : units) {
    data.push_back(static_cast<char>(unit & 0xFF));
    data.push_back(static_cast<char>(unit >> 8));
  }
  data.append(2, '\0');
  return data;
}

bool parseQuotedData(std::string_view text, std::size_t from, Value* value) {
  Units units;
  std::size_t end = 0;
  if (!decodeEscaped(text, from, '"', &units, &end)) return false;
  value->data = stringData(units);
  return true;
}

// Hex bytes separated by commas; blanks left over from continued lines are
// skipped, and the bytes end at the first other character.
std::string parseHexBytes(std::string_view text) {
  std::string bytes;
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] == ',' || text[i] == ' ' || text[i] == '\t') {
      ++i;
      continue;
    }
    std::uint32_t byte = 0;
    if (!readHexNumber(text, &i, 2, &byte)) break;
    bytes.push_back(static_cast<char>(byte));
  }
  return bytes;
}

// "(N):" after "hex" or "str", N the type number in hex.
bool parseTypeNumber(std::string_view text, std::size_t* pos,
                     std::uint32_t* type) {
  if (!readHexNumber(text, pos, 8, type)) return false;
  if (!startsWith(text.substr(*pos), "):")) return false;
  *pos += 2;
  return true;
}

std::string littleEndianBytes(std::uint32_t number) {
  std::string bytes;
  for (int i = 0; i < 4; ++i, number >>= 8) {
    bytes.push_back(static_cast<char>(number & 0xFF));
  }
  return bytes;
}

// `str(N):"text"`, N the type number in hex.
bool parseTypedString(std::string_view text, Value* value) {
  std::size_t pos = 4;
  return parseTypeNumber(text, &pos, &value->type) && pos < text.size() &&
         text[pos] == '"' && parseQuotedData(text, pos + 1, value);
}

bool parseDword(std::string_view text, Value* value) {
  std::size_t pos = 6;
  std::uint32_t number = 0;
  if (!readHexNumber(text, &pos, 8, &number)) return false;
  value->type = kDword;
  value->data = littleEndianBytes(number);
  return true;
}

// `hex:ab,cd` (binary) or `hex(N):ab,cd`.
bool parseHexData(std::string_view text, Value* value) {
  std::size_t pos = 4;
  value->type = kBinary;
  if (!startsWith(text, "hex:") &&
      !(startsWith(text, "hex(") &&
        parseTypeNumber(text, &pos, &value->type))) {
    return false;
  }
  value->data = parseHexBytes(text.substr(pos));
  return true;
}

// The text after "=" of a value line.
bool parseData(std::string_view text, Value* value) {
  value->type = kSz;
  if (startsWith(text, "\"")) return parseQuotedData(text, 1, value);
  if (startsWith(text, "str(")) return parseTypedString(text, value);
  if (startsWith(text, "dword:")) return parseDword(text, value);
  return parseHexData(text, value);
}

// "line" is `"Name"=data` or `@=data`; the empty name is the default value.
bool parseValueLine(std::string_view line, Value* value) {
  std::size_t pos = 1;
  if (line[0] == '"') {
    Units name;
    if (!decodeEscaped(line, 1, '"', &name, &pos)) return false;
    value->name = toUtf8(name);
  }
  if (value->name.empty()) value->name = "(Default)";
  if (pos >= line.size() || line[pos] != '=') return false;
  return parseData(line.substr(pos + 1), value);
}

// ---- Value text as reg.exe shows it --------------------------------------

Units unitsOf(const std::string& data) {
  Units units;
  for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
    units.push_back(
        static_cast<char16_t>(static_cast<unsigned char>(data[i]) |
                              (static_cast<unsigned char>(data[i + 1]) << 8)));
  }
  return units;
}

std::string firstString(const std::string& data) {
  const Units units = unitsOf(data);
  return toUtf8(std::u16string_view(units).substr(0, units.find(u'\0')));
}

// The strings with "\0" between them; the terminators of the last string and
// of the list are not shown.
std::string multiString(const std::string& data) {
  const Units all = unitsOf(data);
  std::u16string_view units = all;
  for (int i = 0; i < 2 && !units.empty() && units.back() == u'\0'; ++i) {
    units.remove_suffix(1);
  }
  std::string text;
  for (std::size_t nul = units.find(u'\0'); nul != std::u16string_view::npos;
       nul = units.find(u'\0')) {
    text += toUtf8(units.substr(0, nul)) + "\\0";
    units.remove_prefix(nul + 1);
  }
  return text + toUtf8(units);
}

std::string upperHexBytes(const std::string& data) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (char c : data) {
    const auto byte = static_cast<unsigned char>(c);
    text.push_back(kDigits[byte >> 4]);
    text.push_back(kDigits[byte & 0xF]);
  }
  return text;
}

// "0x" and the lower-case hex of the number the bytes hold; numbers of the
// wrong size are shown as their bytes.
std::string numberText(const std::string& data, std::size_t size,
                       bool bigEndian) {
  if (data.size() != size) return upperHexBytes(data);
  std::uint64_t number = 0;
  for (std::size_t i = 0; i < size; ++i) {
    const std::size_t index = bigEndian ? i : size - 1 - i;
    number = (number << 8) | static_cast<unsigned char>(data[index]);
  }
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string digits;
  do {
    digits.insert(digits.begin(), kDigits[number & 0xF]);
    number >>= 4;
  } while (number != 0);
  return "0x" + digits;
}

std::string valueText(const Value& value) {
  switch (value.type) {
    case kSz:
    case kExpandSz:
      return firstString(value.data);
    case kMultiSz:
      return multiString(value.data);
    case kDword:
      return numberText(value.data, 4, false);
    case kDwordBigEndian:
      return numberText(value.data, 4, true);
    case kQword:
      return numberText(value.data, 8, false);
    default:
      return upperHexBytes(value.data);
  }
}

std::string typeName(std::uint32_t type) {
  static constexpr const char* kNames[] = {"REG_NONE",
                                           "REG_SZ",
                                           "REG_EXPAND_SZ",
                                           "REG_BINARY",
                                           "REG_DWORD",
                                           "REG_DWORD_BIG_ENDIAN",
                                           "REG_LINK",
                                           "REG_MULTI_SZ",
                                           "REG_RESOURCE_LIST",
                                           "REG_FULL_RESOURCE_DESCRIPTOR",
                                           "REG_RESOURCE_REQUIREMENTS_LIST",
                                           "REG_QWORD"};
  if (type < sizeof kNames / sizeof kNames[0]) return kNames[type];
  return "REG_UNKNOWN";
}

// ---- Keys ----------------------------------------------------------------

KeyPath splitKeyPath(std::string_view path) {
  KeyPath names;
  while (!path.empty()) {
    const std::size_t separator = path.find('\\');
    const std::string_view name = path.substr(0, separator);
    if (!name.empty()) names.emplace_back(name);
    if (separator == std::string_view::npos) break;
    path.remove_prefix(separator + 1);
  }
  return names;
}

// "[Name\\Name] 1733500000"; false when the closing bracket is missing.
bool parseSectionLine(std::string_view line, KeyPath* path) {
  Units units;
  std::size_t end = 0;
  if (!decodeEscaped(line, 1, ']', &units, &end)) return false;
  *path = splitKeyPath(toUtf8(units));
  return true;
}

std::size_t commonLength(const KeyPath& a, const KeyPath& b) {
  std::size_t n = 0;
  while (n < a.size() && n < b.size() && equalsIgnoringCase(a[n], b[n])) ++n;
  return n;
}

bool isWithin(const KeyPath& path, const KeyPath& root) {
  return commonLength(path, root) == root.size();
}

// Characters that stand for themselves in a section line.
bool isPlain(char c) {
  return c != '\\' && c != ']' && c != '\n' &&
         static_cast<unsigned char>(c) < 0x80;
}

// "root" as a section line spells it, in lower case: its names between
// doubled backslashes. Empty when a name holds a character that is not
// plain, which only a full decoding can match.
std::string plainSpelling(const KeyPath& root) {
  std::string spelling;
  for (const std::string& name : root) {
    if (!std::all_of(name.begin(), name.end(), isPlain)) return std::string();
    if (!spelling.empty()) spelling += "\\\\";
    for (char c : name) spelling.push_back(asciiLower(c));
  }
  return spelling;
}

// Whether the section line that starts with "text" (its "[" first, the line
// possibly going on past it) surely names no key at or below the root that
// "spelling" (see plainSpelling()) spells, told without decoding: the first
// character that differs is plain and so stands for another name. After
// the first backslash of a separator it starts an escape instead, and a
// backslash, "]" or a byte beyond ASCII is left to parseSectionLine, as is
// a line that matches the whole spelling.
bool surelyOutside(std::string_view text, std::string_view spelling) {
  const std::size_t length = std::min(text.size() - 1, spelling.size());
  std::size_t i = 0;
  while (i < length && asciiLower(text[i + 1]) == spelling[i]) ++i;
  if (i == length) return false;
  const bool afterEscape = spelling[i] == '\\' && spelling[i - 1] == '\\';
  return isPlain(text[i + 1]) && !afterEscape;
}

// Where a 32-bit program finds the key on a 64-bit prefix; empty when the
// key is not below Software.
KeyPath wow64Path(const KeyPath& path) {
  if (path.empty() || !equalsIgnoringCase(path[0], "Software")) return {};
  KeyPath redirected = path;
  redirected.insert(redirected.begin() + 1, "Wow6432Node");
  return redirected;
}

// ---- Lines ---------------------------------------------------------------

// A line of system.reg without its line end (LF or CRLF) and leading blanks.
struct Line {
  // The line; of a line too long for the buffer only its first character,
  // which tells a section from a value.
  std::string_view text;
  bool cut = false;
  // Ends with a backslash: a long value goes on in the next line.
  bool continues = false;
};

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// Reads system.reg line by line through a buffer of "lineLimit" bytes that
// the source fills directly, in reads as large as the room left. Leading
// blanks take no room in it.
class LineReader {
 public:
  LineReader(SystemRegSource& source, std::size_t lineLimit)
      : source_(source),
        size_(std::max<std::size_t>(lineLimit, 1)),
        buffer_(new char[size_]) {}

  // False at the end of the file. "line" points into the buffer and holds
  // until the next call.
  bool next(Line* line) {
    if (begin_ == end_ && !fill()) return false;
    *line = Line();
    lineStart_ = true;
    if (!skipBlanks()) return true;  // only blanks before the end
    std::size_t scanned = 0;         // bytes after begin_ that hold no line end
    for (;;) {
      const std::size_t lineEnd = findLineEnd(begin_ + scanned);
      if (lineEnd < end_) return takeLine(lineEnd, line);
      scanned = end_ - begin_;
      if (scanned == size_) return skipCutLine(line);
      if (!fill()) return takeLine(end_, line);
    }
  }

  // Passes over the lines before the next one whose first character after
  // its blanks is "[", and stops at that "[". False at the end of the file.
  bool skipToSection() {
    for (;;) {
      const void* found = std::memchr(data() + begin_, '[', end_ - begin_);
      if (found != nullptr) {
        const std::size_t bracket =
            static_cast<std::size_t>(static_cast<const char*>(found) - data());
        if (startsLine(bracket)) {
          begin_ = bracket;
          return true;
        }
        begin_ = bracket + 1;
        lineStart_ = false;
        continue;
      }
      lineStart_ = startsLine(end_);
      begin_ = end_;
      if (!fill()) return false;
    }
  }

  // The bytes not yet read, from where skipToSection() stopped; the line
  // may go on past them.
  std::string_view ahead() const {
    return std::string_view(data() + begin_, end_ - begin_);
  }

  // Passes over the "[" that skipToSection() stopped at: its line is to be
  // read past.
  void passOverBracket() {
    ++begin_;
    lineStart_ = false;
  }

 private:
  const char* data() const { return buffer_.get(); }

  // Whether only blanks stand between the start of a line and "at".
  bool startsLine(std::size_t at) const {
    while (at > begin_ && isBlank(data()[at - 1])) --at;
    return at == begin_ ? lineStart_ : data()[at - 1] == '\n';
  }

  std::size_t findLineEnd(std::size_t from) const {
    const void* found = std::memchr(data() + from, '\n', end_ - from);
    if (found == nullptr) return end_;
    return static_cast<std::size_t>(static_cast<const char*>(found) - data());
  }

  // Moves the bytes not yet read to the front and reads more after them;
  // false when the file has no more. Called only with room in the buffer.
  bool fill() {
    std::memmove(buffer_.get(), data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
    if (ended_) return false;
    const std::size_t room = size_ - end_;
    const std::size_t got =
        std::min(source_.read(buffer_.get() + end_, room), room);
    ended_ = got == 0;
    end_ += got;
    return !ended_;
  }

  // False when only blanks are left.
  bool skipBlanks() {
    for (;;) {
      while (begin_ < end_ && isBlank(data()[begin_])) ++begin_;
      if (begin_ < end_) return true;
      if (!fill()) return false;
    }
  }

  // The line from begin_ to "lineEnd" (a line end, or the end of the
  // file).
  bool takeLine(std::size_t lineEnd, Line* line) {
    std::string_view text(data() + begin_, lineEnd - begin_);
    begin_ = std::min(lineEnd + 1, end_);
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    line->text = text;
    line->continues = !text.empty() && text.back() == '\\';
    return true;
  }

  // The line fills the buffer: its rest is read past, noting only how it
  // ends.
  bool skipCutLine(Line* line) {
    first_ = data()[begin_];
    char last = 0, beforeLast = 0;
    for (;;) {
      const std::size_t lineEnd = findLineEnd(begin_);
      for (std::size_t i = std::max(begin_ + 2, lineEnd) - 2; i < lineEnd;
           ++i) {
        beforeLast = last;
        last = data()[i];
      }
      begin_ = std::min(lineEnd + 1, end_);
      if (lineEnd < end_ || !fill()) break;
    }
    line->text = std::string_view(&first_, 1);
    line->cut = true;
    line->continues = (last == '\r' ? beforeLast : last) == '\\';
    return true;
  }

  SystemRegSource& source_;
  const std::size_t size_;
  const std::unique_ptr<char[]> buffer_;
  std::size_t begin_ = 0;  // the bytes not yet read are [begin_, end_)
  std::size_t end_ = 0;
  bool ended_ = false;     // the source has no more
  bool lineStart_ = true;  // only blanks stand between a line start and begin_
  char first_ = 0;         // the first character of a cut line
};

bool startsSection(std::string_view line) {
  return !line.empty() && line[0] == '[';
}

bool isValueLine(std::string_view line) {
  return !line.empty() && (line[0] == '"' || line[0] == '@');
}

// ---- The listing ---------------------------------------------------------

class ListingWriter {
 public:
  ListingWriter(const std::string& rootText, const KeyPath& root,
                std::ostream& out)
      : rootText_(rootText), root_(root), out_(out) {}

  // Implied keys may take as many bytes as the key's own lines read so far,
  // and kImpliedKeySlack more.
  void allowImpliedKeyBytes(std::size_t bytes) { budget_ += bytes; }

  // "path" lies within the root; its values follow.
  void enterKey(const KeyPath& path) {
    const std::size_t shared = listed_ ? commonLength(path, previous_) : 0;
    std::size_t depth = listed_ ? shared + 1 : root_.size();
    for (; depth < path.size(); ++depth) {
      if (!writeImpliedKey(path, depth)) break;
    }
    const bool same =
        listed_ && shared == path.size() && previous_.size() == path.size();
    if (!same) writeKeyLine(path, path.size());
    previous_ = path;
    listed_ = true;
  }

  void writeValue(const Value& value) {
    out_ << kSeparator << value.name << kSeparator << typeName(value.type)
         << kSeparator << valueText(value) << '\n';
  }

  // reg.exe ends its listing with an empty line.
  void finish() {
    if (listed_) out_ << '\n';
  }

  bool listed() const { return listed_; }

 private:
  std::string keyLine(const KeyPath& path, std::size_t depth) const {
    std::string line = kHiveName + rootText_;
    for (std::size_t i = root_.size(); i < depth; ++i) line += "\\" + path[i];
    return line;
  }

  void writeKeyLine(const KeyPath& path, std::size_t depth) {
    out_ << '\n' << keyLine(path, depth) << '\n';
  }

  bool writeImpliedKey(const KeyPath& path, std::size_t depth) {
    const std::string line = keyLine(path, depth);
    if (line.size() > budget_) return false;
    budget_ -= line.size();
    out_ << '\n' << line << '\n';
    return true;
  }

  const std::string& rootText_;
  const KeyPath& root_;
  std::size_t budget_ = kImpliedKeySlack;
  std::ostream& out_;
  bool listed_ = false;
  KeyPath previous_;
};

// Lists the keys at or below "root" from the lines of system.reg as they
// come; other lines are passed over.
class KeyLister {
 public:
  KeyLister(const std::string& rootText, const KeyPath& root,
            std::size_t valueLimit, std::ostream& out)
      : root_(root), valueLimit_(valueLimit), writer_(rootText, root, out) {}
  KeyLister(const KeyLister&) = delete;
  KeyLister& operator=(const KeyLister&) = delete;

  void read(const Line& line) {
    if (!joining_ && startsSection(line.text)) {
      readSectionLine(line);
      return;
    }
    if (!inside_) return;
    writer_.allowImpliedKeyBytes(line.text.size());
    if (joining_) {
      continueValue(line);
    } else if (isValueLine(line.text)) {
      startValue(line);
    }
  }

  // Writes a value that the end of the file left open, and the closing
  // line.
  void finish() {
    if (joining_) endValue();
    writer_.finish();
  }

  bool listed() const { return writer_.listed(); }

  // Only a section line can change what this lister writes.
  bool outside() const { return !inside_ && !joining_; }

 private:
  void readSectionLine(const Line& line) {
    KeyPath path;
    inside_ = !line.cut && parseSectionLine(line.text, &path) &&
              isWithin(path, root_);
    if (!inside_) return;
    writer_.allowImpliedKeyBytes(line.text.size());
    writer_.enterKey(path);
  }

  // A value line too long for the buffer, or one whose continued lines
  // together outgrow it, is left out like any damaged value: a cut value
  // would show what the server does not hold. No value the exporter reads
  // comes near that size.
  void startValue(const Line& line) {
    damaged_ = line.cut;
    if (!line.continues) {
      if (!damaged_) writeValue(line.text);
      return;
    }
    joining_ = true;
    joined_.clear();
    if (!damaged_) joined_.assign(line.text.substr(0, line.text.size() - 1));
  }

  void continueValue(const Line& line) {
    const std::string_view part =
        line.text.substr(0, line.text.size() - (line.continues ? 1 : 0));
    damaged_ =
        damaged_ || line.cut || joined_.size() + part.size() > valueLimit_;
    if (damaged_) {
      joined_.clear();
    } else {
      joined_.append(part);
    }
    if (!line.continues) endValue();
  }

  void endValue() {
    joining_ = false;
    if (!damaged_) writeValue(joined_);
  }

  void writeValue(std::string_view line) {
    Value value;
    if (parseValueLine(line, &value)) writer_.writeValue(value);
  }

  const KeyPath& root_;
  const std::size_t valueLimit_;
  ListingWriter writer_;
  bool inside_ = false;
  bool joining_ = false;  // within a value continued over several lines
  bool damaged_ = false;
  std::string joined_;
};

// Lists the key from the view a 32-bit program sees. Which view that is
// shows only as the file goes on: on a 64-bit prefix the requested key's
// listing is held back until the key below Wow6432Node turns up (then it is
// dropped) or the file ends (then it is written).
class ViewListing {
 public:
  ViewListing(const std::string& keyPath, std::size_t valueLimit,
              std::ostream& out)
      : keyPath_(keyPath),
        requested_(splitKeyPath(keyPath)),
        redirected_(wow64Path(requested_)),
        requestedSpelling_(plainSpelling(requested_)),
        redirectedSpelling_(plainSpelling(redirected_)),
        valueLimit_(valueLimit),
        out_(out) {}
  ViewListing(const ViewListing&) = delete;
  ViewListing& operator=(const ViewListing&) = delete;

  void read(const Line& line) {
    if (inHeader_) readHeaderLine(line);
    if (inHeader_) return;
    if (requestedView_) requestedView_->read(line);
    if (!wowView_) return;
    wowView_->read(line);
    if (requestedView_ && wowView_->listed()) {
      requestedView_.reset();
      held_.reset();  // its memory goes back at once
    }
  }

  // Until a section line at or below a listed key, lines change nothing.
  bool outsideKeys() const {
    return !inHeader_ && (!requestedView_ || requestedView_->outside()) &&
           (!wowView_ || wowView_->outside());
  }

  // Whether the section line that starts with "text" surely lies outside
  // every key listed (see surelyOutside()).
  bool surelyOutsideKeys(std::string_view text) const {
    return (!requestedView_ || surelyOutside(text, requestedSpelling_)) &&
           (!wowView_ || surelyOutside(text, redirectedSpelling_));
  }

  ListingResult finish() {
    if (!writeChosenView()) return ListingResult::kNoKey;
    return out_ ? ListingResult::kListed : ListingResult::kOutOfMemory;
  }

 private:
  // The lines before the first section tell the prefix's architecture.
  void readHeaderLine(const Line& line) {
    if (line.text == "#arch=win64") win64_ = true;
    if (!startsSection(line.text)) return;
    inHeader_ = false;
    const bool bothViews = win64_ && !redirected_.empty();
    if (bothViews) held_.emplace();
    requestedView_.emplace(keyPath_, requested_, valueLimit_,
                           bothViews ? *held_ : out_);
    if (bothViews) wowView_.emplace(keyPath_, redirected_, valueLimit_, out_);
  }

  // False when no view holds the key.
  bool writeChosenView() {
    if (wowView_ && wowView_->listed()) {
      wowView_->finish();
      return true;
    }
    if (!requestedView_) return false;  // the file has no section
    requestedView_->finish();
    if (!requestedView_->listed()) return false;
    if (held_) writeHeld();
    return true;
  }

  void writeHeld() {
    // A held listing that could not grow is short.
    if (!*held_) throw std::bad_alloc();
    const std::string text = held_->str();
    out_.write(text.data(), static_cast<std::streamsize>(text.size()));
  }

  const std::string& keyPath_;
  const KeyPath requested_;
  const KeyPath redirected_;
  const std::string requestedSpelling_;
  const std::string redirectedSpelling_;
  const std::size_t valueLimit_;
  std::ostream& out_;
  bool inHeader_ = true;
  bool win64_ = false;
  std::optional<std::ostringstream> held_;  // the requested key's listing
  std::optional<KeyLister> requestedView_;
  std::optional<KeyLister> wowView_;
};

// Outside the keys listed only section lines matter, and of those only the
// ones that may name such a key: the others are passed over as fast as
// they are found. False at the end of the file.
bool skipToLineToRead(LineReader& reader, const ViewListing& listing) {
  if (!listing.outsideKeys()) return true;
  while (reader.skipToSection()) {
    if (!listing.surelyOutsideKeys(reader.ahead())) return true;
    reader.passOverBracket();
  }
  return false;
}

// The text of a system.reg as its source.
class TextSource final : public SystemRegSource {
 public:
  explicit TextSource(std::string_view text) : rest_(text) {}

  std::size_t read(char* buffer, std::size_t size) override {
    const std::size_t count = std::min(size, rest_.size());
    if (count > 0) std::memcpy(buffer, rest_.data(), count);
    rest_.remove_prefix(count);
    return count;
  }

 private:
  std::string_view rest_;
};

}  // namespace

ListingResult writeRegistryListing(SystemRegSource& systemReg,
                                   const std::string& keyPath,
                                   std::ostream& out, std::size_t lineLimit) {
  try {
    LineReader reader(systemReg, lineLimit);
    ViewListing listing(keyPath, lineLimit, out);
    Line line;
    while (skipToLineToRead(reader, listing) && reader.next(&line)) {
      listing.read(line);
    }
    return listing.finish();
  } catch (const std::bad_alloc&) {
    return ListingResult::kOutOfMemory;
  }
}

ListingResult writeRegistryListing(std::string_view systemReg,
                                   const std::string& keyPath,
                                   std::ostream& out, std::size_t lineLimit) {
  TextSource source(systemReg);
  return writeRegistryListing(source, keyPath, out, lineLimit);
}

}  // namespace shgs
