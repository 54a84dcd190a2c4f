#ifndef SHGS_PLATFORM_POSIX_INTERRUPTION_H_
#define SHGS_PLATFORM_POSIX_INTERRUPTION_H_

#include <string>

#include "platform/platform.h"

namespace shgs {

// From now on every signal that would end the process (Ctrl-C, a hang-up,
// kill, a closed pipe, an exceeded limit, ...) first removes the work files
// that exist, then ends it as the signal would have. A signal that was
// ignored or handled when the program started is left as it was (nohup).
void handleInterruptions();

// Holds off the signals that handleInterruptions handles while the object
// lives; one that comes meanwhile is taken when the outermost hold ends.
// Holds nest, and an inner one costs nothing.
class InterruptionHold {
 public:
  InterruptionHold();
  ~InterruptionHold();
  InterruptionHold(const InterruptionHold&) = delete;
  InterruptionHold& operator=(const InterruptionHold&) = delete;
};

// Takes at once an interruption that a hold keeps waiting: the run ends
// there. Does nothing when none waits.
void takeHeldInterruption();

// Has an interruption remove "name" (at most NAME_MAX bytes) of the folder
// open on "folder" while it is the file "identity". Returns the entry to give
// back to forgetOnInterruption, or -1 when no more entries are free. Call it
// under an InterruptionHold, so no interruption falls between the file's
// creation and its entry.
int removeOnInterruption(int folder, const std::string& name,
                         const FileIdentity& identity);

// Gives back an entry of removeOnInterruption; -1 is none.
void forgetOnInterruption(int entry);

// Removes "name" of the folder open on "folder" when it is still the file
// "identity". Async-signal-safe.
void removeIfSame(int folder, const char* name, const FileIdentity& identity);

}  // namespace shgs

#endif  // SHGS_PLATFORM_POSIX_INTERRUPTION_H_
