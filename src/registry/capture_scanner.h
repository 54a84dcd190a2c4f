#ifndef SHGS_REGISTRY_CAPTURE_SCANNER_H_
#define SHGS_REGISTRY_CAPTURE_SCANNER_H_

#include <cstddef>
#include <string>

namespace shgs {

// The text that stands for a registry value that was not found.
extern const char kNotFound[];  // "QnF"

// Finds registry values in the text of a registry capture by scanning it for
// the value's name as a whole word. Holds the capture in memory and a current
// position with a failed state, as a stream over the capture would.
class CaptureScanner {
 public:
  explicit CaptureScanner(std::string captureText);

  // The text of the first whole-word, case-sensitive occurrence of "name"
  // after the start point (the start of the capture when "fromStart", else
  // where the previous lookup left off), or "QnF". The text is the rest of
  // the matching line in the value layout of valueTextAfterName. Afterwards
  // the position is the start of the line below the match; after "QnF" the
  // scanner stays failed until it is rewound.
  std::string lookupValue(const std::string& name, bool fromStart);

  // Clears the failed state and moves to the start of the capture.
  void rewind();

  const std::string& text() const { return text_; }

 private:
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

}  // namespace shgs

#endif  // SHGS_REGISTRY_CAPTURE_SCANNER_H_
