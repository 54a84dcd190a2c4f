#ifndef SHGS_PLATFORM_POSIX_ENVIRONMENT_H_
#define SHGS_PLATFORM_POSIX_ENVIRONMENT_H_

#include <cstdlib>
#include <string>

namespace shgs {

// The value of the environment variable "name"; empty when it is not set.
inline std::string environmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

}  // namespace shgs

#endif  // SHGS_PLATFORM_POSIX_ENVIRONMENT_H_
