// Arbitrary bytes as a Wine prefix's system.reg: the listing written from it
// is a capture, and the snapshot built from that must hold up like any
// other.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "fuzz_support.h"
#include "platform/wine_registry.h"
#include "snapshot_checks.h"

namespace {

// A value line of the listing may be some times longer than its line in the
// file ("@=\"\"" lists as "(Default)" with its type), and the keys that the
// file implies may add a fixed amount; nothing may grow faster than that.
constexpr std::size_t kGrowthFactor = 8;
constexpr std::size_t kGrowthAllowance = 128 * 1024;

constexpr char kServerKey[] =
    "Software\\Orbital Forge Software\\Starhaul Deluxe Game Server";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  const std::string systemReg(reinterpret_cast<const char*>(data), size);
  std::ostringstream listing;
  shgs::writeRegistryListing(systemReg, kServerKey, listing);
  shgs::fuzzing::fuzzCheck(
      listing.str().size() <= kGrowthFactor * size + kGrowthAllowance,
      "the listing grows at most linearly with system.reg");
  shgs::fuzzing::checkSnapshotOf(listing.str());
  return 0;
}
