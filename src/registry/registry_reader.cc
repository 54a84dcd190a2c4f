#include "registry/registry_reader.h"

#include <memory>
#include <string>

#include "driver/fatal.h"
#include "registry/capture_scanner.h"

namespace shgs {
namespace {

constexpr char kCaptureName[] = "qil.tmp";

}  // namespace

RegistryReader::RegistryReader(Platform& platform) : DataReader(platform) {
  std::string listing;
  const std::unique_ptr<WorkFile> capture =
      platform.captureRegistry(kCaptureName, &listing);
  if (capture == nullptr) fatal("Failed to initialize registry data.");
  snapshot_ = ServerSnapshot::fromCapture(std::move(listing));
  if (snapshot_.serverRoot() == kNotFound) {
    fatal(
        "Failed to open registry data; ServerRoot key not found.\n"
        "Make sure SHGS is installed on this PC.");
  }
  capture->remove();
}

}  // namespace shgs
