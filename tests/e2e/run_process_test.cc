// The helper that runs the program as a child process: a sanitized build's
// settings must reach the program, so that it halts on its first error as
// the test binary does.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/test_support.h"

namespace shgs {
namespace {

using testing_support::ProcessResult;
using testing_support::runProcess;

// Sets a variable of this process for the test's lifetime.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : name_(name) {
    const char* old = std::getenv(name);
    if (old != nullptr) old_ = old;
    had_ = old != nullptr;
    setenv(name, value, 1);
  }
  ~ScopedVariable() {
    if (had_) {
      setenv(name_, old_.c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

 private:
  const char* name_;
  std::string old_;
  bool had_ = false;
};

TEST(RunProcess, PassesOnlyTheSanitizerSettingsOfItsOwnEnvironment) {
  const ScopedVariable asan("ASAN_OPTIONS", "halt_on_error=1");
  const ScopedVariable ubsan("UBSAN_OPTIONS", "print_stacktrace=1");
  const ScopedVariable other("SHGS_NOT_PASSED_ON", "1");
  const ProcessResult result = runProcess(
      {"/usr/bin/env"}, "/",
      {{"ASAN_OPTIONS", "verify_asan_link_order=0"}, {"A", "b"}}, "");
  ASSERT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.standardOutput,
            "A=b\n"
            "ASAN_OPTIONS=halt_on_error=1:verify_asan_link_order=0\n"
            "UBSAN_OPTIONS=print_stacktrace=1\n");
}

}  // namespace
}  // namespace shgs
