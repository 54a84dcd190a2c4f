#ifndef SHGS_REGISTRY_REGISTRY_READER_H_
#define SHGS_REGISTRY_REGISTRY_READER_H_

#include <string>

#include "datafiles/error_log.h"
#include "platform/platform.h"
#include "registry/server_snapshot.h"

namespace shgs {

// The registry's reader, made first and kept for the whole run: when made,
// opens its error log in the current (start) directory, captures the
// server's registry key tree into a fresh "qil.tmp" there, reads it into a
// ServerSnapshot and deletes it again. A reader that could not holds the
// message that ends the run, which the caller acts on while the reader still
// exists; a capture without ServerRoot then stays on disk. A run that makes
// no work files has the listing in memory only, and no log.
class RegistryReader {
 public:
  // "platform" must outlive the reader.
  RegistryReader(Platform& platform, WorkFiles workFiles);

  // Empty, or "Error log failed to open.", "Failed to initialize registry
  // data." (the capture could not be made, written whole or held in memory)
  // or the message for a capture without ServerRoot.
  const std::string& failure() const { return failure_; }
  // Where and why, for the failure (see Platform).
  const std::string& why() const { return why_; }
  const ServerSnapshot& snapshot() const { return snapshot_; }

 private:
  std::string readSnapshot(Platform& platform, WorkFiles workFiles);
  std::string takeSnapshot(Platform& platform, std::string listing);

  ErrorLog errorLog_;
  ServerSnapshot snapshot_;
  std::string why_;
  std::string failure_;
};

}  // namespace shgs

#endif  // SHGS_REGISTRY_REGISTRY_READER_H_
