#include "driver/messages.h"

#include <cstdlib>
#include <iostream>

#include "driver/fatal.h"
#include "platform/platform.h"

namespace shgs {

void Messages::warn(const std::string& text) const {
  if (style_ == MessageStyle::kLog) {
    std::cerr << logLine("", text) << std::flush;
  } else {
    std::cerr << text << std::flush;
  }
}

void Messages::line(const std::string& text) const {
  const std::string shown = consoleText(text);
  std::cerr << (style_ == MessageStyle::kLog ? logLine("", shown)
                                             : shown + '\n')
            << std::flush;
}

void Messages::fatal(const std::string& why, const std::string& message) const {
  if (style_ == MessageStyle::kConsole) shgs::fatal(why, message);
  std::cout.flush();
  std::cerr << logLine(why, message) << std::flush;
  std::_Exit(1);
}

// The system's reason usually ends without a full stop (POSIX), sometimes
// with one (Windows); a message of two lines becomes one.
std::string logLine(const std::string& why, const std::string& message) {
  std::string line = "shgs-exporter: ";
  if (!why.empty()) {
    line += consoleText(why);
    line += line.back() == '.' ? " " : ". ";
  }
  for (const char c : message) line += c == '\n' ? ' ' : c;
  return line + '\n';
}

}  // namespace shgs
