#ifndef SHGS_FUZZ_SNAPSHOT_CHECKS_H_
#define SHGS_FUZZ_SNAPSHOT_CHECKS_H_

#include <string>

namespace shgs {
namespace fuzzing {

// Builds the snapshot of "capture", asks every accessor, and returns the
// first expectation that does not hold, or "" when each answer is what a
// plain, slow reading of the capture gives:
// server values as a lookup from the start finds them (Port and NodeMax as a
// 32-bit strtol reads them), each game's values from the first matching
// line of its own key's listing, no game but for "Server\Games\" and an
// upper-case letter.
std::string snapshotMismatch(const std::string& capture);
// As snapshotMismatch, stopping the run on a mismatch.
void checkSnapshotOf(const std::string& capture);

}  // namespace fuzzing
}  // namespace shgs

#endif  // SHGS_FUZZ_SNAPSHOT_CHECKS_H_
