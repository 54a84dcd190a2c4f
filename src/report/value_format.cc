#include "report/value_format.h"

// Placeholder: the value formatting is being written.
namespace shgs {

std::string withCommas(std::uint16_t n) { return toText(n); }
std::string withCommas(std::uint32_t n) { return toText(n); }
std::string dateText(std::int64_t) { return ""; }
float shipDelayFactor(std::uint8_t) { return 0.0f; }

}  // namespace shgs
