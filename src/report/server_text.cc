#include "report/server_text.h"

#include <cstddef>

#include "platform/platform.h"

namespace shgs {
namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kControlPictures = 0x2400;
constexpr char32_t kDeletePicture = 0x2421;

// Windows-1252 from 0x80 to 0x9F; the rest of its upper half is Latin-1.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void appendUtf8(char32_t cp, std::string* out) {
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
    return;
  }
  const int length = cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
  static constexpr unsigned char kLeads[] = {0, 0, 0xC0, 0xE0, 0xF0};
  out->push_back(
      static_cast<char>(kLeads[length] | (cp >> (6 * (length - 1)))));
  for (int shift = 6 * (length - 2); shift >= 0; shift -= 6) {
    out->push_back(static_cast<char>(0x80 | ((cp >> shift) & 0x3F)));
  }
}

int sequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

// The code point of the valid UTF-8 sequence at "i" and its length in
// "*length"; 0 in "*length" when no valid sequence starts there (a stray
// byte, an overlong form, a surrogate, a sequence cut short).
char32_t decodeAt(const std::string& text, std::size_t i, int* length) {
  static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  const int n = sequenceLength(static_cast<unsigned char>(text[i]));
  *length = n == 1 ? 1 : 0;
  if (n == 1) return static_cast<unsigned char>(text[i]);
  if (n == 0 || text.size() - i < static_cast<std::size_t>(n)) return 0;
  char32_t cp = static_cast<unsigned char>(text[i]) & (0x7F >> n);
  for (int k = 1; k < n; ++k) {
    const auto next = static_cast<unsigned char>(text[i + k]);
    if ((next & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (next & 0x3F);
  }
  if (cp < kSmallest[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    return 0;
  }
  *length = n;
  return cp;
}

char32_t windows1252(unsigned char byte) {
  return byte >= 0x80 && byte < 0xA0 ? kWindows1252High[byte - 0x80] : byte;
}

bool isNoncharacter(char32_t cp) {
  return (cp >= 0xFDD0 && cp <= 0xFDEF) || (cp & 0xFFFE) == 0xFFFE;
}

char32_t visible(char32_t cp) {
  if (cp == '\t') return cp;
  if (cp < 0x20) return kControlPictures + cp;
  if (cp == 0x7F) return kDeletePicture;
  if ((cp >= 0x80 && cp < 0xA0) || isNoncharacter(cp)) return kReplacement;
  return cp;
}

}  // namespace

std::string serverTextAsUtf8(const std::string& text) {
  std::string converted;
  // Checked even so: the system's conversion may leave what is no UTF-8.
  if (serverCodePageToUtf8(text, &converted)) {
    return utf8OrWindows1252(converted);
  }
  return utf8OrWindows1252(text);
}

std::string utf8OrWindows1252(const std::string& text) {
  std::string utf8;
  for (std::size_t i = 0; i < text.size();) {
    int length = 0;
    decodeAt(text, i, &length);
    if (length == 0) {
      appendUtf8(windows1252(static_cast<unsigned char>(text[i])), &utf8);
      ++i;
    } else {
      utf8.append(text, i, static_cast<std::size_t>(length));
      i += static_cast<std::size_t>(length);
    }
  }
  return utf8;
}

std::string visibleText(const std::string& utf8) {
  std::string shown;
  for (std::size_t i = 0; i < utf8.size();) {
    int length = 0;
    const char32_t cp = decodeAt(utf8, i, &length);
    if (length == 0) {  // not valid UTF-8 after all: one byte, replaced
      length = 1;
      appendUtf8(kReplacement, &shown);
    } else {
      appendUtf8(visible(cp), &shown);
    }
    i += static_cast<std::size_t>(length);
  }
  return shown;
}

}  // namespace shgs
