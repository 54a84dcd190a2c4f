#include "platform/posix/interruption.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

#include "platform/posix/folder.h"

namespace shgs {
namespace {

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

int removeOnInterruption(int folder, const std::string& name,
                         const FileIdentity& identity) {
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

void forgetOnInterruption(int entry) {
  if (entry >= 0) slots[entry].used = 0;
}

void removeIfSame(int folder, const char* name, const FileIdentity& identity) {
  struct stat info;
  if (fstatat(folder, name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
      identityOf(info) == identity) {
    unlinkat(folder, name, 0);
  }
}

}  // namespace shgs
