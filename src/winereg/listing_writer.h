#ifndef SHGS_WINEREG_LISTING_WRITER_H_
#define SHGS_WINEREG_LISTING_WRITER_H_

#include <cstddef>
#include <ostream>
#include <string>

#include "winereg/key_paths.h"
#include "winereg/values.h"

namespace shgs::winereg {

// Writes the keys at or below "root" (spelled "rootText" as asked for) and
// their values to "out" in reg.exe's layout. Keys that hold no values but
// have subkeys are not stored in system.reg; their lines are implied, as
// reg.exe shows them. "rootText", "root" and "out" must outlive the writer.
class ListingWriter {
 public:
  ListingWriter(const std::string& rootText, const KeyPath& root,
                std::ostream& out)
      : rootText_(rootText), root_(root), out_(out) {}

  // Implied keys may take as many bytes as the key's own lines read so far,
  // and kImpliedKeySlack more.
  void allowImpliedKeyBytes(std::size_t bytes) { budget_ += bytes; }

  // "path" lies within the root; its values follow.
  void enterKey(const KeyPath& path);

  void writeValue(const Value& value);

  // reg.exe ends its listing with an empty line.
  void finish() {
    if (listed_) out_ << '\n';
  }

  bool listed() const { return listed_; }

 private:
  // A file of deep paths could make implied keys' lines grow quadratically,
  // so they may take at most this much beyond the size of the key's own
  // lines.
  static constexpr std::size_t kImpliedKeySlack = 64 * 1024;

  std::string keyLine(const KeyPath& path, std::size_t depth) const;
  void writeKeyLine(const KeyPath& path, std::size_t depth);
  bool writeImpliedKey(const KeyPath& path, std::size_t depth);

  const std::string& rootText_;
  const KeyPath& root_;
  std::size_t budget_ = kImpliedKeySlack;
  std::ostream& out_;
  bool listed_ = false;
  KeyPath previous_;
};

}  // namespace shgs::winereg

#endif  // SHGS_WINEREG_LISTING_WRITER_H_
