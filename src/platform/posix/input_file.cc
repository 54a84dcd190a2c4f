#include "platform/posix/input_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace shgs {

PosixInputFile::~PosixInputFile() { close(fd_); }

bool PosixInputFile::failed(std::string* why) const {
  if (error_ == 0) return false;
  *why = hostPath_ + ": " +
         (error_ == kShrank ? std::string("shorter than when it was opened")
                            : std::strerror(error_));
  return true;
}

PosixInputFile::int_type PosixInputFile::underflow() {
  if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
  const std::size_t n = readSome(buffer_, sizeof buffer_);
  if (n == 0) return traits_type::eof();
  setg(buffer_, buffer_, buffer_ + n);
  return traits_type::to_int_type(*gptr());
}

// Large reads go straight to the caller.
std::streamsize PosixInputFile::xsgetn(char* out, std::streamsize count) {
  std::streamsize done = 0;
  while (done < count && gptr() < egptr()) {
    out[done++] = *gptr();
    gbump(1);
  }
  while (done < count) {
    const std::size_t n =
        readSome(out + done, static_cast<std::size_t>(count - done));
    if (n == 0) break;
    done += static_cast<std::streamsize>(n);
  }
  return done;
}

std::size_t PosixInputFile::readSome(char* out, std::size_t wanted) {
  if (remaining_ == 0) return 0;
  wanted =
      static_cast<std::size_t>(std::min<std::uint64_t>(wanted, remaining_));
  ssize_t n;
  do {
    n = read(fd_, out, wanted);
  } while (n < 0 && errno == EINTR);
  if (n <= 0) {
    error_ = n < 0 ? errno : kShrank;
    remaining_ = 0;
    return 0;
  }
  remaining_ -= static_cast<std::uint64_t>(n);
  return static_cast<std::size_t>(n);
}

int openRegularFile(const HostFolder& folder, const std::string& name,
                    struct stat* info, int* error, bool matchCase) {
  constexpr int kFlags = O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;
  const int fd = matchCase ? openat(folder.fd(), name.c_str(), kFlags)
                           : openEntry(folder, name, kFlags);
  if (fd < 0) {
    *error = errno;
    return -1;
  }
  if (fstat(fd, info) != 0 || !S_ISREG(info->st_mode)) {
    close(fd);
    *error = 0;
    return -1;
  }
  return fd;
}

}  // namespace shgs
