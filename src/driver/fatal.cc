#include "driver/fatal.h"

#include <cstdlib>
#include <iostream>

namespace shgs {

void fatal(const std::string& message) {
  std::cout.flush();
  std::cerr << message << std::flush;
  std::_Exit(1);
}

}  // namespace shgs
