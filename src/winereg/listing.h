#ifndef SHGS_WINEREG_LISTING_H_
#define SHGS_WINEREG_LISTING_H_

#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>

namespace shgs {

// The buffer system.reg is read through, so memory does not grow with the
// file. A line that does not fit (leading blanks aside, line end included)
// is read past unkept: as a section line it is outside the key; a value on
// it, or continued over lines that together outgrow the buffer, is left out.
constexpr std::size_t kSystemRegLineLimit = std::size_t{1} << 20;

// The bytes of a Wine prefix's system.reg, read in order.
class SystemRegSource {
 public:
  virtual ~SystemRegSource() = default;

  // Puts the next bytes, at most "size" (at least one), into "buffer" and
  // returns how many; 0 only at the end. The listing reads no further after
  // that, so an error must read as the end here and be told by the source.
  virtual std::size_t read(char* buffer, std::size_t size) = 0;
};

enum class ListingResult {
  kListed,  // the chosen view holds the key (a section at or below it)
  kNoKey,   // neither view does; nothing was written
  // Memory ran out (a buffer could not grow, or "out" went bad because it
  // could not): what "out" holds is not the whole listing.
  kOutOfMemory,
};

// Writes to "out" what "reg query "HKLM\<keyPath>" /s" prints, read in one
// pass from "systemReg", a Wine prefix's system.reg: the key and every key
// below it in the file's order, each as an empty line, its full path and
// one line per value ("    Name    REG_SZ    Text"). "keyPath" is relative to
// HKEY_LOCAL_MACHINE and matched case-insensitively. On a 64-bit prefix the
// 32-bit view (below Software\Wow6432Node) is preferred. Besides the
// buffer, memory holds no more than the listing. "lineLimit" (at least one)
// stands in for kSystemRegLineLimit, so that tests and fuzzing reach the
// buffer's edges with small inputs.
ListingResult writeRegistryListing(SystemRegSource& systemReg,
                                   const std::string& keyPath,
                                   std::ostream& out,
                                   std::size_t lineLimit = kSystemRegLineLimit);

// The same from the whole text of a system.reg.
ListingResult writeRegistryListing(std::string_view systemReg,
                                   const std::string& keyPath,
                                   std::ostream& out,
                                   std::size_t lineLimit = kSystemRegLineLimit);

}  // namespace shgs

#endif  // SHGS_WINEREG_LISTING_H_
