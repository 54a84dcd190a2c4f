#ifndef SHGS_REGISTRY_REGISTRY_READER_H_
#define SHGS_REGISTRY_REGISTRY_READER_H_

#include "datafiles/data_reader.h"
#include "platform/platform.h"
#include "registry/server_snapshot.h"

namespace shgs {

// Captures the server's registry key tree into a fresh "qil.tmp" in the
// current directory, reads it into a ServerSnapshot and deletes it again.
// Ends the run with "Failed to initialize registry data." when the capture
// cannot be made or written whole, and with the ServerRoot message when it
// holds no ServerRoot value (the capture then stays). Lives for the whole run,
// keeping its error log open in the start directory.
class RegistryReader : public DataReader {
 public:
  // "platform" must outlive the reader.
  explicit RegistryReader(Platform& platform);

  const ServerSnapshot& snapshot() const { return snapshot_; }

 private:
  ServerSnapshot snapshot_;
};

}  // namespace shgs

#endif  // SHGS_REGISTRY_REGISTRY_READER_H_
