#ifndef SHGS_REGISTRY_CAPTURE_SCANNER_H_
#define SHGS_REGISTRY_CAPTURE_SCANNER_H_

#include <cstddef>
#include <string>

namespace shgs {

// The text that stands for a registry value that was not found.
extern const char kNotFound[];  // "QnF"

// White space of a capture: what the C locale's isspace says (blank, tab,
// line feed, carriage return, vertical tab, form feed), whatever the locale.
// Every other byte, NUL and bytes from 0x80 up included, is a word byte.
bool isCaptureSpace(char c);

// A word of a capture: the bytes from "begin" up to "end" (exclusive).
struct WordBounds {
  std::size_t begin;
  std::size_t end;
};

// The first word (a longest run of word bytes) at or after "from" in
// "capture". Both bounds are the capture's size when there is none; "end" is
// the size too when the word runs into the end of the capture.
WordBounds nextWord(const std::string& capture, std::size_t from);

// Finds registry values in the text of a registry capture by scanning it for
// the value's name as a whole word. Holds the capture in memory and a current
// position with a failed state, as a stream over the capture would.
class CaptureScanner {
 public:
  explicit CaptureScanner(std::string captureText);

  // The text of the first whole-word, case-sensitive occurrence of "name"
  // after the start point (the start of the capture when "fromStart", else
  // where the previous lookup left off), or "QnF". A word that ends exactly at
  // the end of the capture never matches. The text is valueTextAt the match.
  // Afterwards the position is the start of the line below the match; after
  // "QnF", or a match on the last line when it has no line end, the scanner
  // stays failed (every lookup without "fromStart" gives "QnF") until it is
  // rewound.
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
