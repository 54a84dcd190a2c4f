#ifndef SHGS_WINEREG_ESCAPES_H_
#define SHGS_WINEREG_ESCAPES_H_

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "winereg/encoding.h"

namespace shgs::winereg {

// Reads up to "maxDigits" hex digits at "*pos" of "text" into "*value" and
// moves "*pos" past them; false when there is none.
bool readHexNumber(std::string_view text, std::size_t* pos, int maxDigits,
                   std::uint32_t* value);

// Decodes the escaped text of a name or string, as Wine writes it, from
// "from" up to the first unescaped "terminator" and sets "*end" after it.
// False when the text ends first.
bool decodeEscaped(std::string_view text, std::size_t from, char terminator,
                   Units* out, std::size_t* end);

}  // namespace shgs::winereg

#endif  // SHGS_WINEREG_ESCAPES_H_
