#ifndef SHGS_PLATFORM_HOST_PATH_H_
#define SHGS_PLATFORM_HOST_PATH_H_

#include <string>

namespace shgs {

// Maps a Windows path onto the POSIX host of a Wine prefix: "X:\a\b" becomes
// "<winePrefix>/dosdevices/x:/a/b", every backslash a slash; a path without
// a drive letter stays relative (or absolute) as it is. Each component that
// does not exist as written is matched case-insensitively against the entries
// of its parent directory; components that match nothing are kept as written.
std::string mapWindowsPath(const std::string& windowsPath,
                           const std::string& winePrefix);

}  // namespace shgs

#endif  // SHGS_PLATFORM_HOST_PATH_H_
