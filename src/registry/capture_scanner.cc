#include "registry/capture_scanner.h"

#include <utility>

namespace shgs {

const char kNotFound[] = "QnF";

namespace {

// The separators and type name of the tab layout, "\tREG_SZ\tText": 8 bytes.
constexpr std::size_t kFixedPrefixLength = 8;
constexpr char kTypePrefix[] = "REG_";
constexpr char kTypeSeparator[] = "    ";
constexpr std::size_t kTypeSeparatorLength = sizeof(kTypeSeparator) - 1;

std::size_t skipWord(const std::string& text, std::size_t pos) {
  while (pos < text.size() && !isCaptureSpace(text[pos])) ++pos;
  return pos;
}

std::string dropFixedPrefix(const std::string& rest) {
  if (rest.size() <= kFixedPrefixLength) return std::string();
  return rest.substr(kFixedPrefixLength);
}

// Current listings set the type word off by runs of four blanks:
// "    Name    REG_SZ    Text". Fills "*value" when "rest" has that layout.
bool valueInBlankLayout(const std::string& rest, std::string* value) {
  const std::size_t typeStart = rest.find_first_not_of(' ');
  if (typeStart == 0 || typeStart == std::string::npos) return false;
  if (rest.compare(typeStart, sizeof(kTypePrefix) - 1, kTypePrefix) != 0) {
    return false;
  }
  const std::size_t typeEnd = skipWord(rest, typeStart);
  if (typeEnd == rest.size()) {
    value->clear();
    return true;
  }
  if (rest.compare(typeEnd, kTypeSeparatorLength, kTypeSeparator) != 0) {
    return false;
  }
  *value = rest.substr(typeEnd + kTypeSeparatorLength);
  return true;
}

}  // namespace

bool isCaptureSpace(char c) {
  switch (c) {
    case ' ':
    case '\t':
    case '\n':
    case '\v':
    case '\f':
    case '\r':
      return true;
    default:
      return false;
  }
}

WordBounds nextWord(const std::string& capture, std::size_t from) {
  std::size_t begin = from;
  while (begin < capture.size() && isCaptureSpace(capture[begin])) ++begin;
  return WordBounds{begin, skipWord(capture, begin)};
}

CaptureScanner::CaptureScanner(std::string captureText)
    : text_(std::move(captureText)) {}

std::string CaptureScanner::lookupValue(const std::string& name,
                                        bool fromStart) {
  if (fromStart) rewind();
  while (!failed_) {
    const WordBounds word = nextWord(text_, position_);
    position_ = word.end;
    // A read that runs into the end of the capture fails before the word is
    // compared, so a word that ends the capture never matches.
    if (word.end == text_.size()) {
      failed_ = true;
      break;
    }
    if (text_.compare(word.begin, word.end - word.begin, name) == 0) {
      return takeValue(word.end);
    }
  }
  return kNotFound;
}

std::string CaptureScanner::takeValue(std::size_t nameEnd) {
  std::string value = valueTextAt(text_, nameEnd);
  const std::size_t lineFeed = text_.find('\n', nameEnd);
  failed_ = lineFeed == std::string::npos;
  position_ = failed_ ? text_.size() : lineFeed + 1;
  return value;
}

void CaptureScanner::rewind() {
  position_ = 0;
  failed_ = false;
}

std::string valueTextAfterName(const std::string& rest) {
  if (rest.empty() || rest[0] == '\t') return dropFixedPrefix(rest);
  std::string value;
  if (valueInBlankLayout(rest, &value)) return value;
  return dropFixedPrefix(rest);
}

std::string restOfLine(const std::string& capture, std::size_t from) {
  if (from >= capture.size()) return std::string();
  std::size_t end = capture.find('\n', from);
  if (end == std::string::npos) return capture.substr(from);
  if (end > from && capture[end - 1] == '\r') --end;
  return capture.substr(from, end - from);
}

std::string valueTextAt(const std::string& capture, std::size_t nameEnd) {
  return valueTextAfterName(restOfLine(capture, nameEnd));
}

}  // namespace shgs
