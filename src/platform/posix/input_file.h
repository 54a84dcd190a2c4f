#ifndef SHGS_PLATFORM_POSIX_INPUT_FILE_H_
#define SHGS_PLATFORM_POSIX_INPUT_FILE_H_

#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <utility>

#include "platform/platform.h"
#include "platform/posix/folder.h"

namespace shgs {

// Reads a regular file up to the size it had when it was opened: a file
// that grows meanwhile, or one the kernel makes up as it is read, gives no
// more than that; one that shrinks, or cannot be read, fails.
class PosixInputFile final : public InputFile {
 public:
  // Takes over "fd"; "hostPath" names the file in "why" lines.
  PosixInputFile(int fd, std::uint64_t size, std::string hostPath)
      : fd_(fd), remaining_(size), hostPath_(std::move(hostPath)) {}
  ~PosixInputFile() override;
  PosixInputFile(const PosixInputFile&) = delete;
  PosixInputFile& operator=(const PosixInputFile&) = delete;

  bool failed(std::string* why) const override;

 protected:
  int_type underflow() override;
  std::streamsize xsgetn(char* out, std::streamsize count) override;

 private:
  static constexpr int kShrank = -1;

  std::size_t readSome(char* out, std::size_t wanted);

  int fd_;
  std::uint64_t remaining_;
  std::string hostPath_;
  int error_ = 0;
  char buffer_[8192];
};

// Opens "name" of "folder" (found as findEntry finds it, or exactly as
// written when "matchCase") for reading when it is a regular file; a FIFO
// does not block the open. Returns -1 with "*error" set to errno, or to 0
// for a file that is not regular.
int openRegularFile(const HostFolder& folder, const std::string& name,
                    struct stat* info, int* error, bool matchCase = false);

}  // namespace shgs

#endif  // SHGS_PLATFORM_POSIX_INPUT_FILE_H_
