#ifndef SHGS_TESTS_SUPPORT_FAKE_PLATFORM_H_
#define SHGS_TESTS_SUPPORT_FAKE_PLATFORM_H_

#include <filesystem>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace shgs {
namespace testing_support {

// A platform for in-process tests. Clearing the console writes a visible mark
// to "console" (when given), so tests see where it happened. A Windows path
// names the file below "root" with every backslash a slash and nothing else
// changed, so a test sees the exact path asked for (kept in requestedPaths).
// Nothing else touches the machine.
class FakePlatform : public Platform {
 public:
  explicit FakePlatform(std::ostream* console = nullptr, std::string root = ".")
      : console_(console), root_(std::move(root)) {}

  static constexpr const char* kClearMark = "<cls>";

  void clearConsole() override {
    ++clearCount;
    if (console_ != nullptr) *console_ << kClearMark;
  }
  void captureRegistry() override {}
  bool removeFile(const std::string&) override { return false; }
  std::string currentDirectory() override { return root_; }
  bool changeDirectory(const std::string&) override { return false; }
  std::string hostPath(const std::string& windowsPath) override {
    requestedPaths.push_back(windowsPath);
    std::string path = windowsPath;
    for (char& c : path) c = c == '\\' ? '/' : c;
    return joinPath(root_, path);
  }
  std::string joinPath(const std::string& directory,
                       const std::string& name) override {
    return directory + "/" + name;
  }
  bool isDirectory(const std::string& hostPath) override {
    std::error_code ignored;
    return std::filesystem::is_directory(hostPath, ignored);
  }
  void startViewer(const std::string&) override {}

  int clearCount = 0;
  std::vector<std::string> requestedPaths;

 private:
  std::ostream* console_;
  std::string root_;
};

}  // namespace testing_support
}  // namespace shgs

#endif  // SHGS_TESTS_SUPPORT_FAKE_PLATFORM_H_
