// Arbitrary bytes as a Wine prefix's system.reg: the listing written from it
// is a capture, and the snapshot built from that must hold up like any
// other.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "platform/wine_registry.h"
#include "snapshot_checks.h"

namespace {

constexpr char kServerKey[] =
    "Software\\Orbital Forge Software\\Starhaul Deluxe Game Server";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  const std::string systemReg(reinterpret_cast<const char*>(data), size);
  std::ostringstream listing;
  shgs::writeRegistryListing(systemReg, kServerKey, listing);
  shgs::fuzzing::checkSnapshotOf(listing.str());
  return 0;
}
