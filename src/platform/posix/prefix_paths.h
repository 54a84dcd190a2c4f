#ifndef SHGS_PLATFORM_POSIX_PREFIX_PATHS_H_
#define SHGS_PLATFORM_POSIX_PREFIX_PATHS_H_

#include <map>
#include <memory>
#include <string>

#include "platform/posix/folder.h"

namespace shgs {

// Maps the paths the server's registry names Windows-style onto the POSIX
// host of a Wine prefix: "X:\a\b" is "<winePrefix>/dosdevices/x:/a/b", every
// backslash a slash, and "\a" (one backslash, no drive) is on drive C; two
// separators, or a slash, start at the host's root; other paths are relative.
// ".." is resolved on the names, as Windows does, never above a drive or the
// root; each name is found as findEntry finds it. Every directory is found
// once per object, in time linear in the path's names.
class PrefixPaths {
 public:
  // Folders found are listed into "listings" (their own when nullptr).
  explicit PrefixPaths(std::string winePrefix,
                       FolderListingsPtr listings = nullptr);
  ~PrefixPaths();
  PrefixPaths(const PrefixPaths&) = delete;
  PrefixPaths& operator=(const PrefixPaths&) = delete;

  const std::string& winePrefix() const { return winePrefix_; }

  // The directory "windowsPath" names, a relative path taken from "base".
  // Returns nullptr, "*why" set, when there is none.
  HostFolderPtr findFolder(const std::string& windowsPath,
                           const HostFolderPtr& base, std::string* why);

 private:
  struct Node;
  struct Start;

  Start startOf(const std::string& windowsPath, const HostFolderPtr& base);
  Node* driveRoot(char letter);
  Node* hostRoot();
  HostFolderPtr child(Node* node, const HostFolder& parent,
                      const std::string& name, Node** childNode);

  std::string winePrefix_;
  FolderListingsPtr listings_;
  std::map<std::string, std::unique_ptr<Node>> roots_;
  int cachedFolders_ = 0;
};

}  // namespace shgs

#endif  // SHGS_PLATFORM_POSIX_PREFIX_PATHS_H_
