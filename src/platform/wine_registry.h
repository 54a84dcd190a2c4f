#ifndef SHGS_PLATFORM_WINE_REGISTRY_H_
#define SHGS_PLATFORM_WINE_REGISTRY_H_

#include <cstddef>
#include <istream>
#include <ostream>
#include <string>

namespace shgs {

// system.reg is read through a buffer of at most this many bytes, so memory
// does not grow with the file. A line that does not fit (its leading blanks
// aside, its line end included) is read past without being kept: as a
// section line it counts as outside the key; a value with such a line, or
// continued over lines that together outgrow the buffer, is left out.
constexpr std::size_t kSystemRegLineLimit = std::size_t{1} << 20;

// Writes to "out" the listing that "reg query "HKLM\<keyPath>" /s" prints,
// read in one pass from "systemReg", a Wine prefix's system.reg (which holds
// HKEY_LOCAL_MACHINE): the key and every key below it, in the file's order,
// each as an empty line, its full path line and one line per value in
// reg.exe's layout ("    Name    REG_SZ    Text"). "keyPath" is relative to
// HKEY_LOCAL_MACHINE, single backslashes, matched case-insensitively. On a
// 64-bit prefix the key below Software\Wow6432Node is preferred (the 32-bit
// view); until the file shows whether that view holds the key, the listing
// of the requested key is held in memory. Nothing else is kept.
// Returns true when the chosen view holds the key (a section at or below
// it); false, having written nothing, when neither view does. A stream that
// cannot be read reads as empty, and a read error as the end of the file.
bool writeRegistryListing(std::istream& systemReg, const std::string& keyPath,
                          std::ostream& out);

// The same with a buffer of "lineLimit" bytes (at least one), so that tests
// and fuzzing reach the buffer's edges with small inputs.
bool writeRegistryListing(std::istream& systemReg, const std::string& keyPath,
                          std::ostream& out, std::size_t lineLimit);

}  // namespace shgs

#endif  // SHGS_PLATFORM_WINE_REGISTRY_H_
