#include "platform/posix/prefix_paths.h"

#include <limits.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/ascii_case.h"

namespace shgs {
namespace {

// Folders held for the whole run, so that each is found once; beyond this
// many (a path of thousands of names) they are found as they come.
constexpr int kMaxCachedFolders = 256;

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

}  // namespace

// A folder found under a name; its children are those found below it.
struct PrefixPaths::Node {
  HostFolderPtr folder;
  std::string rootPath;  // a root's host path, also when it is missing
  int error = 0;         // why a root could not be opened
  std::map<std::string, std::unique_ptr<Node>> children;
};

// Where a path's names are looked up from: a cached root, or "base".
struct PrefixPaths::Start {
  Node* node = nullptr;
  HostFolderPtr folder;
  std::string rootPath;
  std::string_view rest;
};

PrefixPaths::PrefixPaths(std::string winePrefix, FolderListingsPtr listings)
    : winePrefix_(std::move(winePrefix)), listings_(std::move(listings)) {}

PrefixPaths::~PrefixPaths() = default;

PrefixPaths::Start PrefixPaths::startOf(const std::string& windowsPath,
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
PrefixPaths::Node* PrefixPaths::driveRoot(char letter) {
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
  if (fd >= 0) {
    node->folder = std::make_shared<HostFolder>(fd, shown, listings_);
  }
  return node.get();
}

PrefixPaths::Node* PrefixPaths::hostRoot() {
  std::unique_ptr<Node>& node = roots_["/"];
  if (node == nullptr) {
    node = std::make_unique<Node>();
    node->rootPath = "/";
    node->folder = HostFolder::open(nullptr, "/", listings_);
    node->error = node->folder == nullptr ? errno : 0;
  }
  return node.get();
}

// The folder "name" of "parent", from the cache below "node" when it was
// found before; "*childNode" is where its own children are cached, or
// nullptr.
HostFolderPtr PrefixPaths::child(Node* node, const HostFolder& parent,
                                 const std::string& name, Node** childNode) {
  *childNode = nullptr;
  if (node != nullptr) {
    const auto cached = node->children.find(name);
    if (cached != node->children.end()) {
      *childNode = cached->second.get();
      return cached->second->folder;
    }
  }
  HostFolderPtr folder = openChildFolder(parent, name);
  if (folder == nullptr) return nullptr;
  if (node != nullptr && cachedFolders_ < kMaxCachedFolders) {
    std::unique_ptr<Node>& cached = node->children[name];
    cached = std::make_unique<Node>();
    cached->folder = folder;
    ++cachedFolders_;
    *childNode = cached.get();
  }
  return folder;
}

HostFolderPtr PrefixPaths::findFolder(const std::string& windowsPath,
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
