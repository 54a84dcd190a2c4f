#include "platform/host_path.h"

// Placeholder: the path mapping is being written.
namespace shgs {

std::string mapWindowsPath(const std::string& windowsPath, const std::string&) {
  return windowsPath;
}

}  // namespace shgs
