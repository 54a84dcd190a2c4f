#ifndef SHGS_WINEREG_VIEWS_H_
#define SHGS_WINEREG_VIEWS_H_

#include <cstddef>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <string_view>

#include "winereg/key_paths.h"
#include "winereg/lines.h"
#include "winereg/listing.h"
#include "winereg/listing_writer.h"
#include "winereg/section_skip.h"

namespace shgs::winereg {

// Lists the keys at or below "root" from the lines of system.reg as they
// come; other lines are passed over. A value whose lines together outgrow
// "valueLimit" bytes is left out.
class KeyLister {
 public:
  KeyLister(const std::string& rootText, const KeyPath& root,
            std::size_t valueLimit, std::ostream& out)
      : root_(root), valueLimit_(valueLimit), writer_(rootText, root, out) {}
  KeyLister(const KeyLister&) = delete;
  KeyLister& operator=(const KeyLister&) = delete;

  void read(const Line& line);

  // Writes a value that the end of the file left open, and the closing
  // line.
  void finish();

  bool listed() const { return writer_.listed(); }

  // Only a section line can change what this lister writes.
  bool outside() const { return !inside_ && !joining_; }

 private:
  void readSectionLine(const Line& line);
  void startValue(const Line& line);
  void continueValue(const Line& line);
  void endValue();
  void writeValue(std::string_view line);

  const KeyPath& root_;
  const std::size_t valueLimit_;
  ListingWriter writer_;
  bool inside_ = false;
  bool joining_ = false;  // within a value continued over several lines
  bool damaged_ = false;
  std::string joined_;
};

// Lists the key "keyPath" from the view a 32-bit program sees. Which view
// that is shows only as the file goes on: on a 64-bit prefix the requested
// key's listing is held back until the key below Wow6432Node turns up (then
// it is dropped) or the file ends (then it is written). "keyPath" and "out"
// must outlive the object.
class ViewListing final : public KeysBeingListed {
 public:
  ViewListing(const std::string& keyPath, std::size_t valueLimit,
              std::ostream& out);
  ViewListing(const ViewListing&) = delete;
  ViewListing& operator=(const ViewListing&) = delete;

  void read(const Line& line);

  bool outsideKeys() const override;
  bool surelyOutsideKeys(std::string_view text) const override;

  // Writes the listing of the view chosen; kOutOfMemory when it could not be
  // written whole.
  ListingResult finish();

 private:
  void readHeaderLine(const Line& line);
  bool writeHeld();
  ListingResult outcome() const;

  const std::string& keyPath_;
  const KeyPath requested_;
  const KeyPath redirected_;
  const RootSpelling requestedSpelling_;
  const RootSpelling redirectedSpelling_;
  const std::size_t valueLimit_;
  std::ostream& out_;
  bool inHeader_ = true;
  bool win64_ = false;
  std::optional<std::ostringstream> held_;  // the requested key's listing
  std::optional<KeyLister> requestedView_;
  std::optional<KeyLister> wowView_;
};

}  // namespace shgs::winereg

#endif  // SHGS_WINEREG_VIEWS_H_
