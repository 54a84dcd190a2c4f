#include "platform/posix_work_file.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <utility>

namespace shgs {
namespace {

// ---- Interruption --------------------------------------------------------

// The work files that an interruption removes. A signal handler may call
// only async-signal-safe functions, so each entry lives in fixed storage:
// its folder's descriptor, its name and its identity, written before the
// entry is marked used. A run holds at most four at once: the start
// folder's log, a reader's log, the capture and the unfinished report.
struct Slot {
  volatile sig_atomic_t used = 0;
  int folder = -1;
  FileIdentity identity;
  char name[NAME_MAX + 1] = {};
};

constexpr int kSlots = 8;

// Process-wide, as signal handlers are: the one thing they can reach.
Slot slots[kSlots];
sigset_t handledSignals;

// The mask before the outermost hold, and how many holds are in force.
sigset_t maskBeforeHolds;
int holds = 0;

int addSlot(int folder, const std::string& name, const FileIdentity& identity) {
  for (int i = 0; i < kSlots; ++i) {
    Slot& slot = slots[i];
    if (slot.used) continue;
    slot.folder = folder;
    slot.identity = identity;
    std::memcpy(slot.name, name.c_str(), name.size() + 1);
    std::atomic_signal_fence(std::memory_order_release);
    slot.used = 1;
    return i;
  }
  return -1;
}

void dropSlot(int slot) {
  if (slot >= 0) slots[slot].used = 0;
}

// Removes "name" of "folder" when it is still the file "identity".
// Async-signal-safe.
void removeIfSame(int folder, const char* name, const FileIdentity& identity) {
  struct stat info;
  if (fstatat(folder, name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
      identityOf(info) == identity) {
    unlinkat(folder, name, 0);
  }
}

extern "C" void endInterruptedRun(int signal) {
  for (const Slot& slot : slots) {
    if (slot.used) removeIfSame(slot.folder, slot.name, slot.identity);
  }
  // Ends the process as the signal would have, so the parent sees it.
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  sigaction(signal, &fallback, nullptr);
  raise(signal);
}

// The catchable signals whose default action ends the process.
bool endsTheProcess(int signal) {
  switch (signal) {
    case SIGKILL:
    case SIGSTOP:
    case SIGCHLD:
    case SIGCONT:
    case SIGTSTP:
    case SIGTTIN:
    case SIGTTOU:
    case SIGURG:
    case SIGWINCH:
      return false;
    default:
      return true;
  }
}

}  // namespace

void handleInterruptions() {
  struct sigaction handler {};
  handler.sa_handler = endInterruptedRun;
  sigemptyset(&handledSignals);
  for (int signal = 1; signal <= SIGRTMAX; ++signal) {
    if (endsTheProcess(signal)) sigaddset(&handledSignals, signal);
  }
  handler.sa_mask = handledSignals;
  for (int signal = 1; signal <= SIGRTMAX; ++signal) {
    if (!sigismember(&handledSignals, signal)) continue;
    struct sigaction previous {};
    if (sigaction(signal, &handler, &previous) != 0) {
      sigdelset(&handledSignals, signal);  // reserved by the C library
    } else if (previous.sa_handler != SIG_DFL ||
               (previous.sa_flags & SA_SIGINFO) != 0) {
      sigaction(signal, &previous, nullptr);
      sigdelset(&handledSignals, signal);
    }
  }
}

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

InterruptionHold::InterruptionHold() {
  if (holds++ == 0) sigprocmask(SIG_BLOCK, &handledSignals, &maskBeforeHolds);
}

InterruptionHold::~InterruptionHold() {
  if (--holds == 0) sigprocmask(SIG_SETMASK, &maskBeforeHolds, nullptr);
}

void takeHeldInterruption() {
  if (holds == 0) return;
  sigset_t pending;
  if (sigpending(&pending) != 0) return;
  for (int signal = 1; signal <= SIGRTMAX; ++signal) {
    if (sigismember(&handledSignals, signal) && sigismember(&pending, signal)) {
      sigprocmask(SIG_SETMASK, &maskBeforeHolds, nullptr);  // ends the run
      return;
    }
  }
}

FileIdentity identityOf(const struct stat& info) {
  return FileIdentity{static_cast<std::uint64_t>(info.st_dev),
                      static_cast<std::uint64_t>(info.st_ino)};
}

std::unique_ptr<PosixWorkFile> PosixWorkFile::open(HostFolderPtr folder,
                                                   const std::string& name,
                                                   int flags, mode_t mode) {
  if (name.size() > NAME_MAX) {
    errno = ENAMETOOLONG;
    return nullptr;
  }
  // No interruption may fall between the file's creation and its entry.
  const InterruptionHold hold;
  // Non-blocking, so that a FIFO in the way fails at once.
  const int fd = openat(
      folder->fd(), name.c_str(),
      flags | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, mode);
  if (fd < 0) return nullptr;
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    errno = 0;  // not a regular file
    return nullptr;
  }
  const int slot = addSlot(folder->fd(), name, identityOf(info));
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
  dropSlot(slot_);
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
  dropSlot(slot_);
  slot_ = -1;
}

}  // namespace shgs
