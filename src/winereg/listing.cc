#include "winereg/listing.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "winereg/lines.h"
#include "winereg/section_skip.h"
#include "winereg/views.h"

namespace shgs {
namespace {

// The text of a system.reg as its source.
class TextSource final : public SystemRegSource {
 public:
  explicit TextSource(std::string_view text) : rest_(text) {}

  std::size_t read(char* buffer, std::size_t size) override {
    const std::size_t count = std::min(size, rest_.size());
    if (count > 0) std::memcpy(buffer, rest_.data(), count);
    rest_.remove_prefix(count);
    return count;
  }

 private:
  std::string_view rest_;
};

}  // namespace

// Memory running out in the standard library's containers is a result like
// any other, told to the caller.
ListingResult writeRegistryListing(SystemRegSource& systemReg,
                                   const std::string& keyPath,
                                   std::ostream& out, std::size_t lineLimit) {
  try {
    winereg::LineReader reader(systemReg, lineLimit);
    winereg::ViewListing listing(keyPath, lineLimit, out);
    winereg::Line line;
    while (skipToLineToRead(reader, listing) && reader.next(&line)) {
      listing.read(line);
    }
    return listing.finish();
  } catch (const std::bad_alloc&) {
    return ListingResult::kOutOfMemory;
  }
}

ListingResult writeRegistryListing(std::string_view systemReg,
                                   const std::string& keyPath,
                                   std::ostream& out, std::size_t lineLimit) {
  TextSource source(systemReg);
  return writeRegistryListing(source, keyPath, out, lineLimit);
}

}  // namespace shgs
