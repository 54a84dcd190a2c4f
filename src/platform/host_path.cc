#include "platform/host_path.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>
#include <utility>

#include "platform/ascii_case.h"

namespace shgs {
namespace {

// Folders held for the whole run, so that each is found once; beyond this
// many (a path of thousands of names) they are found as they come.
constexpr int kMaxCachedFolders = 256;
constexpr int kFolderFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;

bool isSeparator(char c) { return c == '\\' || c == '/'; }

bool hasDriveLetter(std::string_view path) {
  const char letter = asciiLower(path.empty() ? '\0' : path[0]);
  return path.size() >= 2 && letter >= 'a' && letter <= 'z' && path[1] == ':';
}

// A single backslash and no drive: the root of the current drive. A slash
// there names the host's own root, and two separators a network share.
bool startsAtDriveRoot(std::string_view path) {
  return !path.empty() && path[0] == '\\' &&
         (path.size() == 1 || !isSeparator(path[1]));
}

// The names of "path" between "separators", with "." dropped and ".."
// taking away the name before it, as Windows does; a relative path keeps
// the ".." that climb above it. Empty names (doubled or trailing
// separators) mean nothing.
std::vector<std::string> namesOf(std::string_view path, bool relative,
                                 std::string_view separators = "\\/") {
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

// The host path "path" with "." and ".." taken away on its names, for
// messages.
std::string lexicallyNormal(const std::string& path) {
  const bool absolute = !path.empty() && path[0] == '/';
  std::string normal = absolute ? "/" : "";
  for (const std::string& name : namesOf(path, !absolute, "/")) {
    normal = joinHostPath(normal, name);
  }
  return normal.empty() ? "." : normal;
}

}  // namespace

HostFolder::HostFolder(int fd, std::string hostPath)
    : fd_(fd), hostPath_(std::move(hostPath)) {}

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

const std::vector<std::string>& HostFolder::entries() const {
  if (entries_) return *entries_;
  entries_.emplace();
  const int fd =
      openat(fd_, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY);
  DIR* listing = fd < 0 ? nullptr : fdopendir(fd);
  if (listing == nullptr) {
    if (fd >= 0) close(fd);
    return *entries_;
  }
  while (const dirent* entry = readdir(listing)) {
    entries_->push_back(entry->d_name);
  }
  closedir(listing);
  return *entries_;
}

HostFolderPtr HostFolder::open(const HostFolder* base,
                               const std::string& path) {
  const int fd = openat(base == nullptr ? AT_FDCWD : base->fd(), path.c_str(),
                        kFolderFlags);
  if (fd < 0) return nullptr;
  const bool absolute = !path.empty() && path[0] == '/';
  return std::make_shared<HostFolder>(
      fd,
      lexicallyNormal(absolute || base == nullptr ? path : base->pathOf(path)));
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

namespace {

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

int openEntry(const HostFolder& folder, const std::string& name, int flags,
              std::string* found) {
  return openFound(folder, name, found, [&](const std::string& entry) {
    return openat(folder.fd(), entry.c_str(), flags);
  });
}

// A folder found under a name; its children are those found below it.
struct HostPaths::Node {
  HostFolderPtr folder;
  std::string rootPath;  // a root's host path, also when it is missing
  int error = 0;         // why a root could not be opened
  std::map<std::string, std::unique_ptr<Node>> children;
};

// Where a path's names are looked up from: a cached root, or "base".
struct HostPaths::Start {
  Node* node = nullptr;
  HostFolderPtr folder;
  std::string rootPath;
  std::string_view rest;
};

HostPaths::HostPaths(std::string winePrefix)
    : winePrefix_(std::move(winePrefix)) {}

HostPaths::~HostPaths() = default;

HostPaths::Start HostPaths::startOf(const std::string& windowsPath,
                                    const HostFolderPtr& base) {
  Start start;
  start.rest = windowsPath;
  if (hasDriveLetter(start.rest)) {
    start.node = driveRoot(asciiLower(start.rest[0]));
    start.rest.remove_prefix(2);
  } else if (startsAtDriveRoot(start.rest)) {
    // "\SHGS" is on the current drive, which for the server is drive C.
    start.node = driveRoot('c');
  } else if (!start.rest.empty() && isSeparator(start.rest[0])) {
    start.node = hostRoot();
  } else {
    start.folder = base;
    return start;
  }
  start.folder = start.node->folder;
  start.rootPath = start.node->rootPath;
  errno = start.node->error;
  return start;
}

// The drive's folder is named in messages as the link in dosdevices leads.
HostPaths::Node* HostPaths::driveRoot(char letter) {
  const std::string drive = std::string(1, letter) + ":";
  std::unique_ptr<Node>& node = roots_[drive];
  if (node != nullptr) return node.get();
  node = std::make_unique<Node>();
  const std::string link = winePrefix_ + "/dosdevices/" + drive;
  char target[PATH_MAX];
  const ssize_t length = readlink(link.c_str(), target, sizeof target - 1);
  std::string shown = link;
  if (length > 0) {
    target[length] = '\0';
    shown = target[0] == '/'
                ? std::string(target)
                : lexicallyNormal(winePrefix_ + "/dosdevices/" + target);
  }
  node->rootPath = shown;
  const int fd = ::open(link.c_str(), kFolderFlags);
  node->error = fd < 0 ? errno : 0;
  if (fd >= 0) node->folder = std::make_shared<HostFolder>(fd, shown);
  return node.get();
}

HostPaths::Node* HostPaths::hostRoot() {
  std::unique_ptr<Node>& node = roots_["/"];
  if (node == nullptr) {
    node = std::make_unique<Node>();
    node->rootPath = "/";
    node->folder = HostFolder::open(nullptr, "/");
    node->error = node->folder == nullptr ? errno : 0;
  }
  return node.get();
}

// The folder "name" of "parent", from the cache below "node" when it was
// found before; "*childNode" is where its own children are cached, or
// nullptr.
HostFolderPtr HostPaths::child(Node* node, const HostFolder& parent,
                               const std::string& name, Node** childNode) {
  *childNode = nullptr;
  if (node != nullptr) {
    const auto cached = node->children.find(name);
    if (cached != node->children.end()) {
      *childNode = cached->second.get();
      return cached->second->folder;
    }
  }
  // Opened through its "." entry, which needs the right to search the
  // folder, as entering it does.
  const auto openFolder = [&parent](const std::string& entry) {
    return openat(parent.fd(), (entry + "/.").c_str(), kFolderFlags);
  };
  std::string found = name;
  const int fd = name == ".." ? openFolder(name)
                              : openFound(parent, name, &found, openFolder);
  if (fd < 0) return nullptr;
  auto folder = std::make_shared<HostFolder>(fd, parent.pathOf(found));
  if (node != nullptr && cachedFolders_ < kMaxCachedFolders) {
    std::unique_ptr<Node>& cached = node->children[name];
    cached = std::make_unique<Node>();
    cached->folder = folder;
    ++cachedFolders_;
    *childNode = cached.get();
  }
  return folder;
}

HostFolderPtr HostPaths::findFolder(const std::string& windowsPath,
                                    const HostFolderPtr& base,
                                    std::string* why) {
  if (windowsPath.empty()) {
    *why = std::string("\"\": ") + std::strerror(ENOENT);
    return nullptr;
  }
  Start start = startOf(windowsPath, base);
  const std::vector<std::string> names =
      namesOf(start.rest, start.node == nullptr);
  HostFolderPtr folder = start.folder;
  Node* node = start.node;
  std::size_t i = 0;
  for (; folder != nullptr && i < names.size(); ++i) {
    Node* childNode = nullptr;
    HostFolderPtr next = child(node, *folder, names[i], &childNode);
    if (next == nullptr) break;
    folder = std::move(next);
    node = childNode;
  }
  if (folder != nullptr && i == names.size()) return folder;
  const int error = errno;
  std::string path = folder == nullptr ? start.rootPath : folder->hostPath();
  for (; i < names.size(); ++i) path = joinHostPath(path, names[i]);
  *why = path + ": " + std::strerror(error);
  return nullptr;
}

}  // namespace shgs
