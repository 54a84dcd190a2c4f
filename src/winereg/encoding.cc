#include "winereg/encoding.h"

namespace shgs::winereg {
namespace {

constexpr char16_t kReplacement = 0xFFFD;
constexpr char32_t kInvalid = 0x110000;

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

}  // namespace

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

}  // namespace shgs::winereg
