#include "winereg/values.h"

#include <cstddef>

#include "winereg/encoding.h"
#include "winereg/escapes.h"

namespace shgs::winereg {
namespace {

constexpr std::uint32_t kSz = 1, kExpandSz = 2, kBinary = 3, kDword = 4,
                        kDwordBigEndian = 5, kMultiSz = 7, kQword = 11;

bool startsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

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

}  // namespace

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

}  // namespace shgs::winereg
