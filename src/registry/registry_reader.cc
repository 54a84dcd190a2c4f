#include "registry/registry_reader.h"

#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "datafiles/work_files.h"
#include "registry/capture_scanner.h"
#include "registry/server_key.h"

namespace shgs {

RegistryReader::RegistryReader(Platform& platform)
    : errorLog_(platform),
      why_(errorLog_.why()),
      failure_(errorLog_.isOpen() ? readSnapshot(platform) : kErrorLogFailure) {
}

// The failure message, or the empty text once the snapshot is read. Memory
// running out is no snapshot: never a server with fewer games.
std::string RegistryReader::readSnapshot(Platform& platform) {
  constexpr char kNoCapture[] = "Failed to initialize registry data.";
  std::string listing;
  const std::unique_ptr<WorkFile> capture =
      platform.captureRegistry(kCaptureName, kServerKeyPath, &listing, &why_);
  if (capture == nullptr) return kNoCapture;
  const bool keyListed = !listing.empty();
  try {
    snapshot_ = ServerSnapshot::fromCapture(std::move(listing));
  } catch (const std::bad_alloc&) {
    capture->remove();
    return kNoCapture;
  }
  if (snapshot_.serverRoot() == kNotFound) {
    // Without a key the platform has said why already.
    const std::vector<FolderEntry> files = platform.registryFiles();
    if (keyListed && !files.empty()) {
      why_ = failureLine(
          files.front().folder->pathOf(files.front().name),
          std::string("no value ServerRoot in HKLM\\") + kServerKeyPath);
    }
    return "Failed to open registry data; ServerRoot key not found.\n"
           "Make sure SHGS is installed on this PC.";
  }
  capture->remove();
  return std::string();
}

}  // namespace shgs
