#include "registry/registry_reader.h"

#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "datafiles/work_files.h"
#include "registry/capture_scanner.h"
#include "registry/server_key.h"

namespace shgs {
namespace {

constexpr char kNoCapture[] = "Failed to initialize registry data.";

}  // namespace

RegistryReader::RegistryReader(Platform& platform, WorkFiles workFiles)
    : errorLog_(platform, workFiles),
      why_(errorLog_.why()),
      failure_(errorLog_.failed() ? kErrorLogFailure
                                  : readSnapshot(platform, workFiles)) {}

// The failure message, or the empty text once the snapshot is read.
std::string RegistryReader::readSnapshot(Platform& platform,
                                         WorkFiles workFiles) {
  std::string listing;
  if (workFiles == WorkFiles::kNone) {
    if (!platform.listRegistry(kServerKeyPath, &listing, &why_)) {
      return kNoCapture;
    }
    return takeSnapshot(platform, std::move(listing));
  }
  const std::unique_ptr<WorkFile> capture =
      platform.captureRegistry(kCaptureName, kServerKeyPath, &listing, &why_);
  if (capture == nullptr) return kNoCapture;
  const std::string failure = takeSnapshot(platform, std::move(listing));
  // A capture without ServerRoot stays, as the operator is told.
  if (failure != kNoCapture && !failure.empty()) return failure;
  capture->remove();
  return failure;
}

// Memory running out is no snapshot: never a server with fewer games.
std::string RegistryReader::takeSnapshot(Platform& platform,
                                         std::string listing) {
  const bool keyListed = !listing.empty();
  try {
    snapshot_ = ServerSnapshot::fromCapture(std::move(listing));
  } catch (const std::bad_alloc&) {
    return kNoCapture;
  }
  if (snapshot_.serverRoot() != kNotFound) return std::string();
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

}  // namespace shgs
