// Arbitrary bytes as a Wine prefix's system.reg: the listing written from it
// is a capture, and the snapshot built from that must hold up like any
// other. Read again through a buffer just big enough for its lines, the file
// must list the same.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "snapshot_checks.h"
#include "winereg/listing.h"

namespace {

// A value line of the listing may be some times longer than its line in the
// file ("@=\"\"" lists as "(Default)" with its type), and the keys that the
// file implies may add a fixed amount; nothing may grow faster than that.
constexpr std::size_t kGrowthFactor = 8;
constexpr std::size_t kGrowthAllowance = 128 * 1024;

constexpr char kServerKey[] =
    "Software\\Orbital Forge Software\\Starhaul Deluxe Game Server";

struct Listing {
  bool listed;
  std::string text;
};

Listing listKey(const std::string& systemReg, std::size_t lineLimit) {
  std::ostringstream out;
  const shgs::ListingResult result = shgs::writeRegistryListing(
      systemReg, kServerKey, out,
      lineLimit == 0 ? shgs::kSystemRegLineLimit : lineLimit);
  return {result == shgs::ListingResult::kListed, out.str()};
}

// The smallest buffer that takes every line, and every value continued over
// lines, whole (with room for a line end).
std::size_t smallestWholeBuffer(std::string_view text) {
  std::size_t largest = 0, continued = 0;
  for (std::size_t start = 0; start <= text.size();) {
    std::size_t end = std::min(text.find('\n', start), text.size());
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    continued += end - start + 1;
    largest = std::max(largest, continued);
    if (line.empty() || line.back() != '\\') continued = 0;
    start = end + 1;
  }
  return largest + 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  const std::string systemReg(reinterpret_cast<const char*>(data), size);
  const Listing listing = listKey(systemReg, 0);
  shgs::fuzzing::fuzzCheck(
      listing.text.size() <= kGrowthFactor * size + kGrowthAllowance,
      "the listing grows at most linearly with system.reg");
  shgs::fuzzing::fuzzCheck(listing.listed == !listing.text.empty(),
                           "a key is reported listed when it was");
  const Listing small = listKey(systemReg, smallestWholeBuffer(systemReg));
  shgs::fuzzing::fuzzCheck(
      small.text == listing.text && small.listed == listing.listed,
      "the listing does not depend on the size of the buffer");
  shgs::fuzzing::checkSnapshotOf(listing.text);
  return 0;
}
