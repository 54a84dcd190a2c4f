// The clock and the machine's time zone on a POSIX host.
#include <time.h>

#include <ctime>
#include <limits>

#include "platform/platform.h"

namespace shgs {

std::int64_t currentTime() {
  return static_cast<std::int64_t>(std::time(nullptr));
}

bool toLocalTime(std::int64_t t, std::tm* out) {
  if (t < std::numeric_limits<time_t>::min() ||
      t > std::numeric_limits<time_t>::max()) {
    return false;
  }
  const time_t value = static_cast<time_t>(t);
  return localtime_r(&value, out) != nullptr;
}

void reloadTimeZone() { tzset(); }

}  // namespace shgs
