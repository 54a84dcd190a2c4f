#ifndef SHGS_PLATFORM_POSIX_FOLDER_H_
#define SHGS_PLATFORM_POSIX_FOLDER_H_

#include <fcntl.h>
#include <sys/stat.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
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

// The flags a folder is held open with.
constexpr int kFolderFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;

// "a/b" joined as a host path: "/" and "x" give "/x".
std::string joinHostPath(const std::string& directory, const std::string& name);

// The names of "path" between "separators", with "." dropped and ".."
// taking away the name before it, as Windows does; a relative path keeps
// the ".." that climb above it. Empty names (doubled or trailing
// separators) mean nothing.
std::vector<std::string> namesOf(std::string_view path, bool relative,
                                 std::string_view separators = "\\/");

// The host path "path" with "." and ".." taken away on its names, for
// messages.
std::string lexicallyNormal(const std::string& path);

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

// The folder "name" of "parent", found as findEntry finds it (".." as it
// is) and opened through its "." entry, which needs the right to search it,
// as entering it does. Returns nullptr, errno set, when it cannot.
HostFolderPtr openChildFolder(const HostFolder& parent,
                              const std::string& name);

// Which file "info", as stat() fills it, describes.
FileIdentity identityOf(const struct stat& info);

}  // namespace shgs

#endif  // SHGS_PLATFORM_POSIX_FOLDER_H_
