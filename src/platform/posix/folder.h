#ifndef SHGS_PLATFORM_POSIX_FOLDER_H_
#define SHGS_PLATFORM_POSIX_FOLDER_H_

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace shgs {

// The names in each directory a run has listed, kept once per directory
// however many ways lead to it, so that memory does not grow with how often
// a folder is reached (a link to "." walked a thousand times).
class FolderListings {
 public:
  // The entries of the directory open on "fd" with identity "identity",
  // listed the first time it is asked for.
  const std::vector<std::string>& of(int fd, const FileIdentity& identity);

 private:
  std::map<std::pair<std::uint64_t, std::uint64_t>, std::vector<std::string>>
      listings_;
};

using FolderListingsPtr = std::shared_ptr<FolderListings>;

// A directory held open by descriptor (O_PATH): it can be entered and
// looked into however deep it lies, and stays the directory it was when
// found, whatever happens to its name later.
class HostFolder final : public Folder {
 public:
  // Takes over "fd"; its listing is kept in "listings", shared with the
  // folders found from it (new ones when nullptr).
  HostFolder(int fd, std::string hostPath,
             FolderListingsPtr listings = nullptr);
  ~HostFolder() override;
  HostFolder(const HostFolder&) = delete;
  HostFolder& operator=(const HostFolder&) = delete;

  int fd() const { return fd_; }
  const std::string& hostPath() const override { return hostPath_; }
  bool isSameAs(const Folder& other) const override;

  std::string pathOf(const std::string& name) const override;

  // The names of its entries, listed the first time they are asked for:
  // a directory is listed at most once, whichever folder holds it.
  const std::vector<std::string>& entries() const;
  bool isListed() const { return entries_ != nullptr; }
  const FolderListingsPtr& listings() const { return listings_; }

  // Opens "path" (relative to "base", or absolute) as a folder, which
  // shares "base"'s listings, or "listings" without a base. Returns
  // nullptr, errno set, when it is no directory that can be reached.
  static std::shared_ptr<const HostFolder> open(
      const HostFolder* base, const std::string& path,
      FolderListingsPtr listings = nullptr);

 private:
  int fd_;
  std::string hostPath_;
  FolderListingsPtr listings_;
  mutable const std::vector<std::string>* entries_ = nullptr;
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
