#ifndef SHGS_WINEREG_ENCODING_H_
#define SHGS_WINEREG_ENCODING_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace shgs::winereg {

// system.reg stores names and strings as escaped UTF-16; the listing is
// UTF-8.
using Units = std::u16string;

// Decodes the UTF-8 character at "i" of "text" into "*out"; a malformed one
// becomes U+FFFD and takes one byte. Returns the index after it.
std::size_t decodeUtf8(std::string_view text, std::size_t i, Units* out);

// "units" as UTF-8. Surrogate pairs become one character; a lone surrogate
// becomes U+FFFD.
std::string toUtf8(std::u16string_view units);

}  // namespace shgs::winereg

#endif  // SHGS_WINEREG_ENCODING_H_
