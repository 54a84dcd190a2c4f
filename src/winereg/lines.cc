#include "winereg/lines.h"

#include <algorithm>
#include <cstring>

namespace shgs::winereg {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

LineReader::LineReader(SystemRegSource& source, std::size_t lineLimit)
    : source_(source),
      size_(std::max<std::size_t>(lineLimit, 1)),
      buffer_(new char[size_]) {}

bool LineReader::next(Line* line) {
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

bool LineReader::skipToSection() {
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

// Whether only blanks stand between the start of a line and "at".
bool LineReader::startsLine(std::size_t at) const {
  while (at > begin_ && isBlank(data()[at - 1])) --at;
  return at == begin_ ? lineStart_ : data()[at - 1] == '\n';
}

std::size_t LineReader::findLineEnd(std::size_t from) const {
  const void* found = std::memchr(data() + from, '\n', end_ - from);
  if (found == nullptr) return end_;
  return static_cast<std::size_t>(static_cast<const char*>(found) - data());
}

// Moves the bytes not yet read to the front and reads more after them;
// false when the file has no more. Called only with room in the buffer.
bool LineReader::fill() {
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
bool LineReader::skipBlanks() {
  for (;;) {
    while (begin_ < end_ && isBlank(data()[begin_])) ++begin_;
    if (begin_ < end_) return true;
    if (!fill()) return false;
  }
}

// The line from begin_ to "lineEnd" (a line end, or the end of the file).
bool LineReader::takeLine(std::size_t lineEnd, Line* line) {
  std::string_view text(data() + begin_, lineEnd - begin_);
  begin_ = std::min(lineEnd + 1, end_);
  if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
  line->text = text;
  line->continues = !text.empty() && text.back() == '\\';
  return true;
}

// The line fills the buffer: its rest is read past, noting only how it ends.
bool LineReader::skipCutLine(Line* line) {
  first_ = data()[begin_];
  char last = 0, beforeLast = 0;
  for (;;) {
    const std::size_t lineEnd = findLineEnd(begin_);
    for (std::size_t i = std::max(begin_ + 2, lineEnd) - 2; i < lineEnd; ++i) {
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

}  // namespace shgs::winereg
