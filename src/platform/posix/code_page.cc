#include <string>

#include "platform/platform.h"

namespace shgs {

// Wine's server writes its files in the prefix's code page, which the host
// does not tell: the report's own rule applies.
bool serverCodePageToUtf8(const std::string&, std::string*) { return false; }

}  // namespace shgs
