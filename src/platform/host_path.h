#ifndef SHGS_PLATFORM_HOST_PATH_H_
#define SHGS_PLATFORM_HOST_PATH_H_

#include <string>

namespace shgs {

// Maps a Windows path onto the POSIX host of a Wine prefix: "X:\a\b" becomes
// "<winePrefix>/dosdevices/x:/a/b", every backslash a slash, and "\a" (one
// backslash, no drive) is on drive C. Other paths without a drive letter stay
// relative, or absolute from the host's root, as they are. Each component
// that does not exist as written is matched case-insensitively against the
// entries of its parent directory, then likewise without its trailing dots
// and blanks, which Windows ignores; components that match nothing are kept
// as written.
std::string mapWindowsPath(const std::string& windowsPath,
                           const std::string& winePrefix);

}  // namespace shgs

#endif  // SHGS_PLATFORM_HOST_PATH_H_
