#ifndef SHGS_PLATFORM_WINE_REGISTRY_H_
#define SHGS_PLATFORM_WINE_REGISTRY_H_

#include <ostream>
#include <string>

namespace shgs {

// Writes to "out" the listing that "reg query "HKLM\<keyPath>" /s" prints,
// taken from the text of a Wine prefix's system.reg (which holds
// HKEY_LOCAL_MACHINE): the key and every key below it, in the file's order,
// each as an empty line, its full path line and one line per value in
// reg.exe's layout ("    Name    REG_SZ    Text"). "keyPath" is relative to
// HKEY_LOCAL_MACHINE, single backslashes, matched case-insensitively. On a
// 64-bit prefix the key below Software\Wow6432Node is preferred (the 32-bit
// view). Writes nothing when the key is absent.
void writeRegistryListing(const std::string& systemRegText,
                          const std::string& keyPath, std::ostream& out);

}  // namespace shgs

#endif  // SHGS_PLATFORM_WINE_REGISTRY_H_
