#ifndef SHGS_PLATFORM_HOST_PATH_H_
#define SHGS_PLATFORM_HOST_PATH_H_

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace shgs {

// A directory held open by descriptor (O_PATH): it can be entered and
// looked into however deep it lies, and stays the directory it was when
// found, whatever happens to its name later.
class HostFolder final : public Folder {
 public:
  // Takes over "fd".
  HostFolder(int fd, std::string hostPath);
  ~HostFolder() override;
  HostFolder(const HostFolder&) = delete;
  HostFolder& operator=(const HostFolder&) = delete;

  int fd() const { return fd_; }
  const std::string& hostPath() const override { return hostPath_; }
  bool isSameAs(const Folder& other) const override;

  std::string pathOf(const std::string& name) const override;

  // The names of its entries, listed the first time they are asked for:
  // a folder is listed at most once.
  const std::vector<std::string>& entries() const;
  bool isListed() const { return entries_.has_value(); }

  // Opens "path" (relative to "base", or absolute) as a folder. Returns
  // nullptr, errno set, when it is no directory that can be reached.
  static std::shared_ptr<const HostFolder> open(const HostFolder* base,
                                                const std::string& path);

 private:
  int fd_;
  std::string hostPath_;
  mutable std::optional<std::vector<std::string>> entries_;
};

using HostFolderPtr = std::shared_ptr<const HostFolder>;

// "a/b" joined as a host path: "/" and "x" give "/x".
std::string joinHostPath(const std::string& directory, const std::string& name);

// The entry of "folder" that "name" denotes on a case-insensitive file
// system, as Windows finds it: "name" itself when it exists as written, else
// the first entry in sorted order that differs from it only in letter case,
// else likewise without the trailing dots and blanks that Windows ignores;
// "name" when nothing matches. The folder is listed only when "name" does
// not exist as written.
std::string findEntry(const HostFolder& folder, const std::string& name);

// Opens the entry "name" of "folder" with the flags of openat, found as
// findEntry finds it; "*found" (when given) is then the entry's name.
// Returns -1, errno set, when it cannot.
int openEntry(const HostFolder& folder, const std::string& name, int flags,
              std::string* found = nullptr);

// Maps the paths the server's registry names Windows-style onto the POSIX
// host of a Wine prefix: "X:\a\b" is "<winePrefix>/dosdevices/x:/a/b", every
// backslash a slash, and "\a" (one backslash, no drive) is on drive C; two
// separators, or a slash, start at the host's root; other paths are relative.
// ".." is resolved on the names, as Windows does, never above a drive or the
// root; each name is found as findEntry finds it. Every directory is found
// once per object, in time linear in the path's names.
class HostPaths {
 public:
  explicit HostPaths(std::string winePrefix);
  ~HostPaths();
  HostPaths(const HostPaths&) = delete;
  HostPaths& operator=(const HostPaths&) = delete;

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
  std::map<std::string, std::unique_ptr<Node>> roots_;
  int cachedFolders_ = 0;
};

}  // namespace shgs

#endif  // SHGS_PLATFORM_HOST_PATH_H_
