#include "platform/platform.h"

namespace shgs {

bool openForReading(Platform& platform, const std::string& windowsPath,
                    std::ios_base::openmode mode, std::ifstream* in) {
  const std::string path = platform.hostPath(windowsPath);
  // Some C runtimes open a directory for reading without complaint, and a
  // FIFO would block the open.
  if (!platform.isRegularFile(path)) return false;
  in->open(path, mode | std::ios_base::in);
  return in->is_open();
}

}  // namespace shgs
