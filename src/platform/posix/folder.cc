#include "platform/posix/folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

#include "platform/ascii_case.h"

namespace shgs {
namespace {

std::string withoutTrailingDotsAndBlanks(const std::string& name) {
  const std::size_t end = name.find_last_not_of(". ");
  return name.substr(0, end == std::string::npos ? 0 : end + 1);
}

// Keeps "candidate" in "*best" when it comes first in sorted order.
void keepFirst(const std::string& candidate, std::string* best) {
  if (best->empty() || candidate < *best) *best = candidate;
}

// The entry of "folder" that differs from "name" only in letter case, or
// failing that from "name" without its trailing dots and blanks; empty when
// none does, or when "name" itself is there (a link that leads nowhere).
std::string matchInListing(const HostFolder& folder, const std::string& name) {
  const std::string trimmed = withoutTrailingDotsAndBlanks(name);
  const bool tryTrimmed = !trimmed.empty() && trimmed != name;
  std::string sameName, sameTrimmed;
  bool exact = false, trimmedExact = false;
  for (const std::string& entryName : folder.entries()) {
    exact = exact || entryName == name;
    if (equalsIgnoringCase(entryName, name)) keepFirst(entryName, &sameName);
    if (!tryTrimmed) continue;
    trimmedExact = trimmedExact || entryName == trimmed;
    if (equalsIgnoringCase(entryName, trimmed)) {
      keepFirst(entryName, &sameTrimmed);
    }
  }
  if (exact) return std::string();
  if (!sameName.empty()) return sameName;
  return trimmedExact ? trimmed : sameTrimmed;
}

// Opens the entry of "folder" that "name" denotes with "open" (given an
// entry's name), as findEntry finds it. A folder listed before tells
// whether the name exists as written without asking again.
template <typename Open>
int openFound(const HostFolder& folder, const std::string& name,
              std::string* found, Open open) {
  const std::vector<std::string>* listed =
      folder.isListed() ? &folder.entries() : nullptr;
  if (listed == nullptr ||
      std::find(listed->begin(), listed->end(), name) != listed->end()) {
    const int fd = open(name);
    if (fd >= 0 || errno != ENOENT) return fd;
  }
  const std::string match = matchInListing(folder, name);
  if (match.empty()) {
    errno = ENOENT;
    return -1;
  }
  if (found != nullptr) *found = match;
  return open(match);
}

}  // namespace

const std::vector<std::string>& FolderListings::of(
    int fd, const FileIdentity& identity) {
  const auto [found, isNew] =
      listings_.try_emplace({identity.volume, identity.index});
  std::vector<std::string>& names = found->second;
  if (!isNew) return names;
  const int listed =
      openat(fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY);
  DIR* listing = listed < 0 ? nullptr : fdopendir(listed);
  if (listing == nullptr) {
    if (listed >= 0) close(listed);
    return names;
  }
  while (const dirent* entry = readdir(listing)) names.push_back(entry->d_name);
  closedir(listing);
  return names;
}

HostFolder::HostFolder(int fd, std::string hostPath, FolderListingsPtr listings)
    : fd_(fd),
      hostPath_(std::move(hostPath)),
      listings_(listings != nullptr ? std::move(listings)
                                    : std::make_shared<FolderListings>()) {}

HostFolder::~HostFolder() { close(fd_); }

bool HostFolder::isSameAs(const Folder& other) const {
  const auto* host = dynamic_cast<const HostFolder*>(&other);
  if (host == nullptr) return false;
  if (host == this) return true;
  struct stat mine, theirs;
  return fstat(fd_, &mine) == 0 && fstat(host->fd_, &theirs) == 0 &&
         mine.st_dev == theirs.st_dev && mine.st_ino == theirs.st_ino;
}

std::string HostFolder::pathOf(const std::string& name) const {
  return joinHostPath(hostPath_, name);
}

// A folder that cannot be told apart from others lists as empty.
const std::vector<std::string>& HostFolder::entries() const {
  static const std::vector<std::string> kNone;
  if (entries_ != nullptr) return *entries_;
  struct stat info;
  entries_ =
      fstat(fd_, &info) == 0 ? &listings_->of(fd_, identityOf(info)) : &kNone;
  return *entries_;
}

HostFolderPtr HostFolder::open(const HostFolder* base, const std::string& path,
                               FolderListingsPtr listings) {
  const int fd = openat(base == nullptr ? AT_FDCWD : base->fd(), path.c_str(),
                        kFolderFlags);
  if (fd < 0) return nullptr;
  const bool absolute = !path.empty() && path[0] == '/';
  return std::make_shared<HostFolder>(
      fd,
      lexicallyNormal(absolute || base == nullptr ? path : base->pathOf(path)),
      base != nullptr ? base->listings() : std::move(listings));
}

std::string joinHostPath(const std::string& directory,
                         const std::string& name) {
  if (directory.empty()) return name;
  if (directory.back() == '/') return directory + name;
  return directory + "/" + name;
}

std::string findEntry(const HostFolder& folder, const std::string& name) {
  struct stat info;
  if (fstatat(folder.fd(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0) {
    return name;
  }
  const std::string match = matchInListing(folder, name);
  return match.empty() ? name : match;
}

std::vector<std::string> namesOf(std::string_view path, bool relative,
                                 std::string_view separators) {
  std::vector<std::string> names;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= path.size(); ++i) {
    if (i < path.size() && separators.find(path[i]) == std::string_view::npos) {
      continue;
    }
    const std::string_view name = path.substr(start, i - start);
    start = i + 1;
    if (name.empty() || name == ".") continue;
    if (name != "..") {
      names.emplace_back(name);
    } else if (!names.empty() && names.back() != "..") {
      names.pop_back();
    } else if (relative) {
      names.emplace_back(name);
    }
  }
  return names;
}

std::string lexicallyNormal(const std::string& path) {
  const bool absolute = !path.empty() && path[0] == '/';
  std::string normal = absolute ? "/" : "";
  for (const std::string& name : namesOf(path, !absolute, "/")) {
    normal = joinHostPath(normal, name);
  }
  return normal.empty() ? "." : normal;
}

int openEntry(const HostFolder& folder, const std::string& name, int flags,
              std::string* found) {
  return openFound(folder, name, found, [&](const std::string& entry) {
    return openat(folder.fd(), entry.c_str(), flags);
  });
}

HostFolderPtr openChildFolder(const HostFolder& parent,
                              const std::string& name) {
  const auto openFolder = [&parent](const std::string& entry) {
    return openat(parent.fd(), (entry + "/.").c_str(), kFolderFlags);
  };
  std::string found = name;
  const int fd = name == ".." ? openFolder(name)
                              : openFound(parent, name, &found, openFolder);
  if (fd < 0) return nullptr;
  return std::make_shared<HostFolder>(fd, parent.pathOf(found),
                                      parent.listings());
}

FileIdentity identityOf(const struct stat& info) {
  return FileIdentity{static_cast<std::uint64_t>(info.st_dev),
                      static_cast<std::uint64_t>(info.st_ino)};
}

}  // namespace shgs
