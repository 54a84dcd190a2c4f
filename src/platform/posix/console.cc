// The console on a POSIX host: standard input, standard error's terminal
// and what the terminal may be shown.
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <streambuf>
#include <string>

#include "platform/platform.h"

namespace shgs {
namespace {

// Standard input read straight from its descriptor. One left non-blocking
// by another program is waited on, not taken as ended.
class StandardInputBuffer final : public std::streambuf {
 protected:
  int_type underflow() override {
    if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
    for (;;) {
      const ssize_t n = read(STDIN_FILENO, buffer_, sizeof buffer_);
      if (n > 0) {
        setg(buffer_, buffer_, buffer_ + n);
        return traits_type::to_int_type(*gptr());
      }
      if (n == 0) return traits_type::eof();
      if (errno == EAGAIN || errno == EWOULDBLOCK) {
        pollfd input{STDIN_FILENO, POLLIN, 0};
        poll(&input, 1, -1);
      } else if (errno != EINTR) {
        return traits_type::eof();
      }
    }
  }

 private:
  char buffer_[4096];
};

}  // namespace

std::streambuf* standardInput() {
  static StandardInputBuffer buffer;
  return &buffer;
}

bool terminalNeedsFinalLineEnd() { return isatty(STDERR_FILENO) != 0; }

// Control characters are C0, DEL and, in UTF-8, C1; a byte that begins no
// character of UTF-8 stands for itself, but one of C1's range is shown as
// "?" too.
std::string consoleText(const std::string& text, std::size_t maxBytes) {
  std::string shown;
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 1;
    if (lead >= 0xC2 && lead <= 0xF4) {
      length = lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
      for (std::size_t k = 1; k < length; ++k) {
        if (i + k >= text.size() || (text[i + k] & 0xC0) != 0x80) length = 1;
      }
    }
    if (i + length > maxBytes) break;
    const bool c1 = (length == 2 && lead == 0xC2 &&
                     static_cast<unsigned char>(text[i + 1]) < 0xA0) ||
                    (length == 1 && lead >= 0x80 && lead < 0xA0);
    if (lead < 0x20 || lead == 0x7F || c1) {
      shown += '?';
    } else {
      shown.append(text, i, length);
    }
    i += length;
  }
  return shown;
}

}  // namespace shgs
