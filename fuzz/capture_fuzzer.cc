// Arbitrary bytes as the registry capture.
#include <cstddef>
#include <cstdint>
#include <string>

#include "snapshot_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  shgs::fuzzing::checkSnapshotOf(
      std::string(reinterpret_cast<const char*>(data), size));
  return 0;
}
