#ifndef SHGS_TESTS_SUPPORT_SYSTEM_REG_TEXT_H_
#define SHGS_TESTS_SUPPORT_SYSTEM_REG_TEXT_H_

#include <cstddef>
#include <sstream>
#include <string>
#include <vector>

#include "winereg/listing.h"

// A Wine prefix's system.reg written as text, and its listing, for the
// winereg tests.

namespace shgs {
namespace testing_support {

inline constexpr char kServerKey[] =
    "Software\\Orbital Forge Software\\Starhaul Deluxe Game Server";
// The server key as a section line of system.reg writes it, and as the
// listing shows it.
inline const std::string kStored =
    "Software\\\\Orbital Forge Software\\\\Starhaul Deluxe Game Server";
inline const std::string kWowStored =
    "Software\\\\Wow6432Node\\\\Orbital Forge Software\\\\Starhaul Deluxe "
    "Game Server";
inline const std::string kListed =
    std::string("HKEY_LOCAL_MACHINE\\") + kServerKey;

// The head of a system.reg as Wine writes it.
inline std::string head(const std::string& arch) {
  return "WINE REGISTRY Version 2\n;; All keys relative to "
         "REGISTRY\\\\Machine\n\n#arch=" +
         arch + "\n";
}

// A section of value "lines" for the key "storedPath" (backslashes doubled).
inline std::string section(const std::string& storedPath,
                           const std::vector<std::string>& lines) {
  std::string text = "\n[" + storedPath + "] 1733500000\n#time=1db47c4e1f\n";
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

struct Listing {
  ListingResult result;
  std::string text;
};

// "lineLimit" 0 reads through the program's own buffer.
inline Listing listKey(const std::string& systemReg,
                       const std::string& keyPath = kServerKey,
                       std::size_t lineLimit = 0) {
  std::ostringstream out;
  const ListingResult result =
      writeRegistryListing(systemReg, keyPath, out,
                           lineLimit == 0 ? kSystemRegLineLimit : lineLimit);
  return {result, out.str()};
}

inline std::string listing(const std::string& systemReg,
                           const std::string& keyPath = kServerKey) {
  return listKey(systemReg, keyPath).text;
}

// One listed key with its value lines, as the listing prints it.
inline std::string listed(const std::string& path,
                          const std::vector<std::string>& values = {}) {
  std::string text = "\n" + path + "\n";
  for (const std::string& value : values) text += "    " + value + "\n";
  return text;
}

inline std::string withCrLf(const std::string& text) {
  std::string converted;
  for (char c : text) {
    converted += c == '\n' ? std::string("\r\n") : std::string(1, c);
  }
  return converted;
}

}  // namespace testing_support
}  // namespace shgs

#endif  // SHGS_TESTS_SUPPORT_SYSTEM_REG_TEXT_H_
