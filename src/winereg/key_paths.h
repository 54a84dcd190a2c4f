#ifndef SHGS_WINEREG_KEY_PATHS_H_
#define SHGS_WINEREG_KEY_PATHS_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace shgs::winereg {

// A key's path as its names, outermost first, without separators.
using KeyPath = std::vector<std::string>;

// The names of "path" between single backslashes; empty names are dropped.
KeyPath splitKeyPath(std::string_view path);

// Reads the key path of a section line, "[Name\\Name] 1733500000"; false
// when the closing bracket is missing.
bool parseSectionLine(std::string_view line, KeyPath* path);

// How many names "a" and "b" share from the start, compared as Windows
// compares them (ASCII letters without regard to case).
std::size_t commonLength(const KeyPath& a, const KeyPath& b);

// Whether "path" is "root" or lies below it.
bool isWithin(const KeyPath& path, const KeyPath& root);

// Where a 32-bit program finds the key on a 64-bit prefix: below
// Software\Wow6432Node. Empty when the key is not below Software.
KeyPath wow64Path(const KeyPath& path);

}  // namespace shgs::winereg

#endif  // SHGS_WINEREG_KEY_PATHS_H_
