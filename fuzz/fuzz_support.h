#ifndef SHGS_FUZZ_FUZZ_SUPPORT_H_
#define SHGS_FUZZ_FUZZ_SUPPORT_H_

#include <cstdio>
#include <cstdlib>

namespace shgs {
namespace fuzzing {

// Stops the run when an expectation about the input's result does not hold.
// The fuzzer reports the abort as a crash and keeps the input that caused it.
inline void fuzzCheck(bool holds, const char* expectation) {
  if (holds) return;
  std::fprintf(stderr, "fuzz check failed: %s\n", expectation);
  std::abort();
}

}  // namespace fuzzing
}  // namespace shgs

#endif  // SHGS_FUZZ_FUZZ_SUPPORT_H_
