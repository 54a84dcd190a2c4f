#ifndef SHGS_WINEREG_VALUES_H_
#define SHGS_WINEREG_VALUES_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace shgs::winereg {

struct Value {
  std::string name;
  std::uint32_t type = 0;
  std::string data;  // the value's bytes, as the registry holds them
};

// Reads a value line of system.reg, `"Name"=data` or `@=data` (the default
// value, whose name shows as "(Default)"), its continued lines joined. False
// when it is damaged.
bool parseValueLine(std::string_view line, Value* value);

// The value's data as "reg query" shows it.
std::string valueText(const Value& value);

// The name of the value type "type" ("REG_SZ"), as "reg query" shows it.
std::string typeName(std::uint32_t type);

}  // namespace shgs::winereg

#endif  // SHGS_WINEREG_VALUES_H_
