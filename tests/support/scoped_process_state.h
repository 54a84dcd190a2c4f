#ifndef SHGS_TESTS_SUPPORT_SCOPED_PROCESS_STATE_H_
#define SHGS_TESTS_SUPPORT_SCOPED_PROCESS_STATE_H_

#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "support/test_support.h"

namespace shgs {
namespace testing_support {

// Enters "directory" for the object's lifetime.
class ScopedWorkingDirectory {
 public:
  explicit ScopedWorkingDirectory(const std::string& directory) {
    std::vector<char> buffer(4096);
    if (getcwd(buffer.data(), buffer.size()) != nullptr) saved_ = buffer.data();
    entered_ = chdir(directory.c_str()) == 0;
  }
  ~ScopedWorkingDirectory() {
    if (!saved_.empty() && chdir(saved_.c_str()) != 0) std::abort();
  }
  ScopedWorkingDirectory(const ScopedWorkingDirectory&) = delete;
  ScopedWorkingDirectory& operator=(const ScopedWorkingDirectory&) = delete;

  bool entered() const { return entered_; }

 private:
  std::string saved_;
  bool entered_ = false;
};

// Sets (or, with no value, removes) an environment variable for the object's
// lifetime.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const std::string& name, std::optional<std::string> value)
      : name_(name) {
    if (const char* old = std::getenv(name.c_str())) saved_ = old;
    set(value);
  }
  ~ScopedEnvironment() { set(saved_); }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  void set(const std::optional<std::string>& value) {
    if (value) {
      setenv(name_.c_str(), value->c_str(), 1);
    } else {
      unsetenv(name_.c_str());
    }
  }

  std::string name_;
  std::optional<std::string> saved_;
};

// Sets the time zone (TZ) for the object's lifetime; conversions follow it at
// once, and follow the zone before again afterwards.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const std::string& zone) : zone_("TZ", zone) {
    reloadTimeZone();
  }

 private:
  // Destroyed after "zone_", so it reloads the zone that was restored.
  struct Reload {
    ~Reload() { reloadTimeZone(); }
  } reload_;
  ScopedEnvironment zone_;
};

}  // namespace testing_support
}  // namespace shgs

#endif  // SHGS_TESTS_SUPPORT_SCOPED_PROCESS_STATE_H_
