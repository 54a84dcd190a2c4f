#ifndef SHGS_WINEREG_SECTION_SKIP_H_
#define SHGS_WINEREG_SECTION_SKIP_H_

#include <string>
#include <string_view>

#include "winereg/key_paths.h"
#include "winereg/lines.h"

// Passing over the parts of system.reg that cannot change the listing, as
// fast as they are found: outside the keys listed only section lines matter,
// and of those only the ones that may name such a key. The rule every part
// of it keeps: it never passes over a line that the full parse (LineReader's
// next(), then the views) would take; what it cannot tell without decoding,
// it leaves to that parse.

namespace shgs::winereg {

// A root key as section lines spell it, for passing over the ones that name
// other keys without decoding them.
class RootSpelling {
 public:
  explicit RootSpelling(const KeyPath& root);

  // Whether the section line that starts with "text" (its "[" first, the
  // line possibly going on past it) surely names no key at or below the
  // root: the first character that differs from the spelling stands for
  // itself, so for another name.
  bool surelyOutside(std::string_view text) const;

 private:
  // In lower case, its names between doubled backslashes. Empty when a name
  // holds a character that does not stand for itself, which only a full
  // decoding can match.
  std::string spelling_;
};

// The listing as the skipping sees it.
class KeysBeingListed {
 public:
  // True while only a section line can change what is written.
  virtual bool outsideKeys() const = 0;

  // Whether the section line that starts with "text" surely lies outside
  // every key listed (see RootSpelling).
  virtual bool surelyOutsideKeys(std::string_view text) const = 0;

 protected:
  ~KeysBeingListed() = default;
};

// Passes over what cannot change "listing" and stops at the next line it
// must read. False at the end of the file.
bool skipToLineToRead(LineReader& reader, const KeysBeingListed& listing);

}  // namespace shgs::winereg

#endif  // SHGS_WINEREG_SECTION_SKIP_H_
