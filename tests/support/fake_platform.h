#ifndef SHGS_TESTS_SUPPORT_FAKE_PLATFORM_H_
#define SHGS_TESTS_SUPPORT_FAKE_PLATFORM_H_

#include <ostream>
#include <string>

#include "platform/platform.h"

namespace shgs {
namespace testing_support {

// A platform for in-process tests: clearing the console writes a visible
// mark to "console" (when given) so tests can see where it happened; paths
// are used as given; nothing else touches the machine beyond plain files.
class FakePlatform : public Platform {
 public:
  explicit FakePlatform(std::ostream* console = nullptr) : console_(console) {}

  static constexpr const char* kClearMark = "<cls>";

  void clearConsole() override {
    ++clearCount;
    if (console_ != nullptr) *console_ << kClearMark;
  }
  void captureRegistry() override {}
  bool removeFile(const std::string&) override { return true; }
  std::string currentDirectory() override { return "/start"; }
  bool changeDirectory(const std::string&) override { return true; }
  std::string hostPath(const std::string& windowsPath) override {
    return windowsPath;
  }
  std::string joinPath(const std::string& directory,
                       const std::string& name) override {
    return directory + "/" + name;
  }
  bool isDirectory(const std::string&) override { return false; }
  void startViewer(const std::string& fileName) override {
    viewedFile = fileName;
  }

  int clearCount = 0;
  std::string viewedFile;

 private:
  std::ostream* console_;
};

}  // namespace testing_support
}  // namespace shgs

#endif  // SHGS_TESTS_SUPPORT_FAKE_PLATFORM_H_
