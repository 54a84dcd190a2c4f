#include "registry/registry_reader.h"

#include <memory>
#include <utility>

#include "datafiles/work_files.h"
#include "registry/capture_scanner.h"
#include "registry/server_key.h"

namespace shgs {

RegistryReader::RegistryReader(Platform& platform)
    : errorLog_(platform),
      failure_(errorLog_.isOpen() ? readSnapshot(platform) : kErrorLogFailure) {
}

// The failure message, or the empty text once the snapshot is read.
std::string RegistryReader::readSnapshot(Platform& platform) {
  std::string listing;
  const std::unique_ptr<WorkFile> capture =
      platform.captureRegistry(kCaptureName, kServerKeyPath, &listing);
  if (capture == nullptr) return "Failed to initialize registry data.";
  snapshot_ = ServerSnapshot::fromCapture(std::move(listing));
  if (snapshot_.serverRoot() == kNotFound) {
    return "Failed to open registry data; ServerRoot key not found.\n"
           "Make sure SHGS is installed on this PC.";
  }
  capture->remove();
  return std::string();
}

}  // namespace shgs
