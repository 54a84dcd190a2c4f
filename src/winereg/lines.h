#ifndef SHGS_WINEREG_LINES_H_
#define SHGS_WINEREG_LINES_H_

#include <cstddef>
#include <memory>
#include <string_view>

#include "winereg/listing.h"

namespace shgs::winereg {

// A line of system.reg without its line end (LF or CRLF) and leading blanks.
struct Line {
  // The line; of a line too long for the buffer only its first character,
  // which tells a section from a value.
  std::string_view text;
  bool cut = false;
  // Ends with a backslash: a long value goes on in the next line.
  bool continues = false;
};

inline bool startsSection(std::string_view line) {
  return !line.empty() && line[0] == '[';
}

inline bool isValueLine(std::string_view line) {
  return !line.empty() && (line[0] == '"' || line[0] == '@');
}

// Reads system.reg line by line through a buffer of "lineLimit" bytes that
// the source fills directly, in reads as large as the room left. Leading
// blanks take no room in it.
class LineReader {
 public:
  LineReader(SystemRegSource& source, std::size_t lineLimit);
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // False at the end of the file. "line" points into the buffer and holds
  // until the next call.
  bool next(Line* line);

  // Passes over the lines before the next one whose first character after
  // its blanks is "[", and stops at that "[". False at the end of the file.
  bool skipToSection();

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
  bool startsLine(std::size_t at) const;
  std::size_t findLineEnd(std::size_t from) const;
  bool fill();
  bool skipBlanks();
  bool takeLine(std::size_t lineEnd, Line* line);
  bool skipCutLine(Line* line);

  SystemRegSource& source_;
  const std::size_t size_;
  const std::unique_ptr<char[]> buffer_;
  std::size_t begin_ = 0;  // the bytes not yet read are [begin_, end_)
  std::size_t end_ = 0;
  bool ended_ = false;     // the source has no more
  bool lineStart_ = true;  // only blanks stand between a line start and begin_
  char first_ = 0;         // the first character of a cut line
};

}  // namespace shgs::winereg

#endif  // SHGS_WINEREG_LINES_H_
