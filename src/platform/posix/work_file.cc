#include "platform/posix/work_file.h"

#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/posix/interruption.h"

namespace shgs {

// A link or a FIFO where a work file is to be makes the open fail with
// errors whose own texts would say little.
std::string reasonOf(int error) {
  switch (error) {
    case 0:
    case ENXIO:
      return "not a regular file";
    case ELOOP:
      return "is a symbolic link";
    default:
      return std::strerror(error);
  }
}

std::unique_ptr<PosixWorkFile> PosixWorkFile::open(HostFolderPtr folder,
                                                   const std::string& name,
                                                   int flags) {
  if (name.size() > NAME_MAX) {
    errno = ENAMETOOLONG;
    return nullptr;
  }
  // No interruption may fall between the file's creation and its entry.
  const InterruptionHold hold;
  // Non-blocking, so that a FIFO in the way fails at once.
  const int fd =
      openat(folder->fd(), name.c_str(),
             flags | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY,
             S_IRUSR | S_IWUSR);
  if (fd < 0) return nullptr;
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    errno = 0;  // not a regular file
    return nullptr;
  }
  const int slot = removeOnInterruption(folder->fd(), name, identityOf(info));
  return std::unique_ptr<PosixWorkFile>(
      new PosixWorkFile(fd, std::move(folder), name, identityOf(info), slot));
}

PosixWorkFile::PosixWorkFile(int fd, HostFolderPtr folder, std::string name,
                             const FileIdentity& identity, int slot)
    : fd_(fd),
      folder_(std::move(folder)),
      name_(std::move(name)),
      identity_(identity),
      slot_(slot) {}

PosixWorkFile::~PosixWorkFile() {
  closeFile();
  forgetOnInterruption(slot_);
}

bool PosixWorkFile::closeFile() {
  if (fd_ < 0) return true;
  const bool closed = close(fd_) == 0 || errno == EINTR;
  fd_ = -1;
  return closed;
}

// Removed before its entry goes: an interruption in between finds nothing
// left to remove.
void PosixWorkFile::remove() {
  closeFile();
  removeIfSame(folder_->fd(), name_.c_str(), identity_);
  keep();
}

void PosixWorkFile::keep() {
  forgetOnInterruption(slot_);
  slot_ = -1;
}

}  // namespace shgs
