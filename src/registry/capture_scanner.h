#ifndef SHGS_REGISTRY_CAPTURE_SCANNER_H_
#define SHGS_REGISTRY_CAPTURE_SCANNER_H_

#include <cstddef>
#include <string>

namespace shgs {

// The text that stands for a registry value that was not found.
extern const char kNotFound[];  // "QnF"

// White space of a capture: what the C locale's isspace says, whatever the
// locale. Every other byte, NUL and bytes from 0x80 up too, is a word byte.
bool isCaptureSpace(char c);

// A word of a capture: the bytes from "begin" up to "end" (exclusive).
struct WordBounds {
  std::size_t begin;
  std::size_t end;
};

// The first word (a longest run of word bytes) at or after "from" in
// "capture"; both bounds are the capture's size when there is none.
WordBounds nextWord(const std::string& capture, std::size_t from);

// The reference reading of a registry capture, which the tests and the fuzz
// targets hold ServerSnapshot to; the program reads captures through
// ServerSnapshot alone. It scans for a value's name as a whole word from a
// position that can fail, as a stream over the capture would.
class CaptureScanner {
 public:
  explicit CaptureScanner(std::string captureText);

  // valueTextAt the first whole-word, case-sensitive "name" from the
  // capture's start ("fromStart") or where the last lookup left off, the
  // line below its match; "QnF" when there is none. A word that ends the
  // capture never matches. A "QnF", or a match on a last line without line end,
  // fails the scanner: lookups not "fromStart" give "QnF" until rewind().
  std::string lookupValue(const std::string& name, bool fromStart);

  // Clears the failed state and moves to the start of the capture.
  void rewind();

  const std::string& text() const { return text_; }

 private:
  // The value of the name that ends at "nameEnd"; moves below its line.
  std::string takeValue(std::size_t nameEnd);

  std::string text_;
  std::size_t position_ = 0;
  bool failed_ = false;
};

// The value's text from "rest", the rest of a value line after the value's
// name (its line end excluded): a text starting with a tab loses its first 8
// characters; blanks, a "REG_" type word and exactly four blanks are dropped
// (blanks and a type word alone give the empty text); any other text loses
// its first 8 characters.
std::string valueTextAfterName(const std::string& rest);

// The text of "capture" from "from" to the end of that line: a line feed, a
// carriage return right before it, or the end of the capture.
std::string restOfLine(const std::string& capture, std::size_t from);

// The text of the value whose name ends at "nameEnd" in "capture":
// valueTextAfterName of restOfLine.
std::string valueTextAt(const std::string& capture, std::size_t nameEnd);

}  // namespace shgs

#endif  // SHGS_REGISTRY_CAPTURE_SCANNER_H_
