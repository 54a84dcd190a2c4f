#include "winereg/key_paths.h"

#include "platform/ascii_case.h"
#include "winereg/encoding.h"
#include "winereg/escapes.h"

namespace shgs::winereg {

KeyPath splitKeyPath(std::string_view path) {
  KeyPath names;
  while (!path.empty()) {
    const std::size_t separator = path.find('\\');
    const std::string_view name = path.substr(0, separator);
    if (!name.empty()) names.emplace_back(name);
    if (separator == std::string_view::npos) break;
    path.remove_prefix(separator + 1);
  }
  return names;
}

bool parseSectionLine(std::string_view line, KeyPath* path) {
  Units units;
  std::size_t end = 0;
  if (!decodeEscaped(line, 1, ']', &units, &end)) return false;
  *path = splitKeyPath(toUtf8(units));
  return true;
}

std::size_t commonLength(const KeyPath& a, const KeyPath& b) {
  std::size_t n = 0;
  while (n < a.size() && n < b.size() && equalsIgnoringCase(a[n], b[n])) ++n;
  return n;
}

bool isWithin(const KeyPath& path, const KeyPath& root) {
  return commonLength(path, root) == root.size();
}

KeyPath wow64Path(const KeyPath& path) {
  if (path.empty() || !equalsIgnoringCase(path[0], "Software")) return {};
  KeyPath redirected = path;
  redirected.insert(redirected.begin() + 1, "Wow6432Node");
  return redirected;
}

}  // namespace shgs::winereg
