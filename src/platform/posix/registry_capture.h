#ifndef SHGS_PLATFORM_POSIX_REGISTRY_CAPTURE_H_
#define SHGS_PLATFORM_POSIX_REGISTRY_CAPTURE_H_

#include <memory>
#include <optional>
#include <string>

#include "platform/posix/folder.h"
#include "platform/posix/server_account.h"
#include "platform/posix/work_file.h"

// The registry capture on a POSIX host: the listing "reg query" would print
// of the server's key, made from the Wine prefix's system.reg, in a work
// file of the run's own.

namespace shgs {

// Creates "name" anew in "folder", exclusively, removing any entry of
// exactly that name that stands in the way. Returns nullptr, errno set,
// when it cannot.
std::unique_ptr<PosixWorkFile> createCapture(const HostFolderPtr& folder,
                                             const std::string& name);

// What listing the key from system.reg came to.
struct SystemRegListing {
  HostFolderPtr prefix;  // the Wine prefix, when it could be opened
  std::optional<ServerAccount> server;  // once system.reg was opened
  std::string text;                     // the listing; empty when there is none
  // Why there is no listing, for standard error, where reg.exe tells its
  // own errors before the run's message; empty when there is nothing to
  // tell.
  std::string complaint;
  bool outOfMemory = false;  // the listing could not be held whole
};

// The listing of "keyPath" (below HKEY_LOCAL_MACHINE) from system.reg of the
// Wine prefix "winePrefix", which is empty when the environment names none;
// the prefix's folder lists into "listings".
SystemRegListing listSystemReg(const std::string& winePrefix,
                               const std::string& keyPath,
                               const FolderListingsPtr& listings);

enum class CopyResult { kCopied, kFailed, kOutOfMemory };

// Writes "bytes" to the file open on "fd" and reads them back from it into
// "*copy". kFailed, errno set, when writing or reading failed.
CopyResult writeAndReadBack(int fd, const std::string& bytes,
                            std::string* copy);

}  // namespace shgs

#endif  // SHGS_PLATFORM_POSIX_REGISTRY_CAPTURE_H_
