#ifndef SHGS_REPORT_SECTION_TEXT_H_
#define SHGS_REPORT_SECTION_TEXT_H_

#include <cstdint>
#include <string>

#include "registry/server_snapshot.h"
#include "report/value_format.h"

namespace shgs {

// The host name the links use, or the IP address where no name is set.
inline std::string serverAddress(const ServerSnapshot& snapshot) {
  const std::string name = snapshot.nameAddress();
  return name.empty() ? snapshot.ipAddress() : name;
}

// A stored 0 means no limit.
inline std::string countOrUnlimited(std::uint16_t count) {
  return count == 0 ? std::string(" Unlim") : withCommas(count);
}

}  // namespace shgs

#endif  // SHGS_REPORT_SECTION_TEXT_H_
