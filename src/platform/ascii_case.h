#ifndef SHGS_PLATFORM_ASCII_CASE_H_
#define SHGS_PLATFORM_ASCII_CASE_H_

#include <cstddef>
#include <string_view>

namespace shgs {

// Windows compares registry key names and file names without regard to the
// case of ASCII letters; other bytes must match exactly, whatever the locale.
inline char asciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (asciiLower(a[i]) != asciiLower(b[i])) return false;
  }
  return true;
}

}  // namespace shgs

#endif  // SHGS_PLATFORM_ASCII_CASE_H_
