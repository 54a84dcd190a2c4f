#include "winereg/escapes.h"

namespace shgs::winereg {
namespace {

int hexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

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

}  // namespace

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

}  // namespace shgs::winereg
