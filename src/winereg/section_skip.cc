#include "winereg/section_skip.h"

#include <algorithm>

#include "platform/ascii_case.h"

namespace shgs::winereg {
namespace {

// Characters that stand for themselves in a section line.
bool isPlain(char c) {
  return c != '\\' && c != ']' && c != '\n' &&
         static_cast<unsigned char>(c) < 0x80;
}

std::string plainSpelling(const KeyPath& root) {
  std::string spelling;
  for (const std::string& name : root) {
    if (!std::all_of(name.begin(), name.end(), isPlain)) return std::string();
    if (!spelling.empty()) spelling += "\\\\";
    for (char c : name) spelling.push_back(asciiLower(c));
  }
  return spelling;
}

}  // namespace

RootSpelling::RootSpelling(const KeyPath& root)
    : spelling_(plainSpelling(root)) {}

// After the first backslash of a separator a character starts an escape
// instead, and a backslash, "]" or a byte beyond ASCII is left to the full
// parse, as is a line that matches the whole spelling.
bool RootSpelling::surelyOutside(std::string_view text) const {
  const std::size_t length = std::min(text.size() - 1, spelling_.size());
  std::size_t i = 0;
  while (i < length && asciiLower(text[i + 1]) == spelling_[i]) ++i;
  if (i == length) return false;
  const bool afterEscape = spelling_[i] == '\\' && spelling_[i - 1] == '\\';
  return isPlain(text[i + 1]) && !afterEscape;
}

bool skipToLineToRead(LineReader& reader, const KeysBeingListed& listing) {
  if (!listing.outsideKeys()) return true;
  while (reader.skipToSection()) {
    if (!listing.surelyOutsideKeys(reader.ahead())) return true;
    reader.passOverBracket();
  }
  return false;
}

}  // namespace shgs::winereg
