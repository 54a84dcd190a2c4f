#include "platform/host_path.h"

#include <dirent.h>
#include <sys/stat.h>

#include <string_view>
#include <vector>

#include "platform/ascii_case.h"

namespace shgs {
namespace {

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

// The components between separators; empty ones (doubled or trailing
// separators) mean nothing.
std::vector<std::string_view> splitComponents(std::string_view path) {
  std::vector<std::string_view> components;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= path.size(); ++i) {
    if (i < path.size() && !isSeparator(path[i])) continue;
    if (i > start) components.push_back(path.substr(start, i - start));
    start = i + 1;
  }
  return components;
}

std::string appendName(std::string path, const std::string& name) {
  if (!path.empty() && path.back() != '/') path += '/';
  return path + name;
}

// The entry of "directory" that "name" denotes on a case-insensitive file
// system: "name" itself when it exists as written, else the first entry in
// sorted order that differs from it only in letter case, else "" (none).
std::string matchEntry(const std::string& directory, const std::string& name) {
  const std::string parent = directory.empty() ? "." : directory;
  struct stat info;
  if (lstat(appendName(parent, name).c_str(), &info) == 0) return name;
  DIR* entries = opendir(parent.c_str());
  if (entries == nullptr) return std::string();
  std::string match;
  while (const dirent* entry = readdir(entries)) {
    const std::string_view entryName = entry->d_name;
    if (equalsIgnoringCase(entryName, name) &&
        (match.empty() || entryName < match)) {
      match = entryName;
    }
  }
  closedir(entries);
  return match;
}

// Windows drops trailing dots and blanks from every name it is given.
std::string withoutTrailingDotsAndBlanks(std::string name) {
  const std::size_t end = name.find_last_not_of(". ");
  name.erase(end == std::string::npos ? 0 : end + 1);
  return name;
}

// The entry that "name" denotes, as Windows would find it; "name" as written
// when nothing matches (so that opening it fails as usual).
std::string findEntry(const std::string& directory, const std::string& name) {
  std::string match = matchEntry(directory, name);
  const std::string trimmed = withoutTrailingDotsAndBlanks(name);
  if (match.empty() && !trimmed.empty() && trimmed != name) {
    match = matchEntry(directory, trimmed);
  }
  return match.empty() ? name : match;
}

struct Mapping {
  std::string base;  // empty for a path relative to the working directory
  std::vector<std::string> names;

  std::string path() const {
    std::string result = base;
    for (const std::string& name : names) result = appendName(result, name);
    return result;
  }

  // ".." is resolved on the names, as Windows does; it does not climb above
  // a drive or the file system's root.
  void add(std::string_view component) {
    if (component == ".") return;
    if (component == "..") {
      if (!names.empty() && names.back() != "..") {
        names.pop_back();
      } else if (base.empty()) {
        names.emplace_back(component);
      }
      return;
    }
    names.push_back(findEntry(path(), std::string(component)));
  }
};

}  // namespace

std::string mapWindowsPath(const std::string& windowsPath,
                           const std::string& winePrefix) {
  std::string_view rest = windowsPath;
  Mapping mapping;
  if (hasDriveLetter(rest)) {
    mapping.base = winePrefix + "/dosdevices/" + asciiLower(rest[0]) + ":";
    rest.remove_prefix(2);
  } else if (startsAtDriveRoot(rest)) {
    // "\SHGS" is on the current drive, which for the server is drive C.
    mapping.base = winePrefix + "/dosdevices/c:";
  } else if (!rest.empty() && isSeparator(rest[0])) {
    mapping.base = "/";
  }
  for (std::string_view component : splitComponents(rest)) {
    mapping.add(component);
  }
  const std::string path = mapping.path();
  return path.empty() && !windowsPath.empty() ? "." : path;
}

}  // namespace shgs
