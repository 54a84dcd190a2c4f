#include "driver/fatal.h"

#include <cstdlib>
#include <iostream>

#include "platform/platform.h"

namespace shgs {

void writeFinalMessage(const std::string& message) {
  std::cerr << message;
  if (terminalNeedsFinalLineEnd() &&
      (message.empty() || message.back() != '\n')) {
    std::cerr << '\n';
  }
  std::cerr.flush();
}

void fatal(const std::string& message) {
  std::cout.flush();
  writeFinalMessage(message);
  std::_Exit(1);
}

void fatal(const std::string& why, const std::string& message) {
  if (!why.empty() && tellsWhereBeforeFatalMessages()) {
    std::cerr << consoleText(why) << '\n';
  }
  fatal(message);
}

}  // namespace shgs
