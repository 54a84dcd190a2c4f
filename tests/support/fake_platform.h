#ifndef SHGS_TESTS_SUPPORT_FAKE_PLATFORM_H_
#define SHGS_TESTS_SUPPORT_FAKE_PLATFORM_H_

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace shgs {
namespace testing_support {

// A platform for in-process tests of the menu: clearing the console writes
// a visible mark to "console" (when given), so tests see where it happened.
// Nothing else reaches the machine: there are no files and no folders.
class FakePlatform : public Platform {
 public:
  explicit FakePlatform(std::ostream* console = nullptr) : console_(console) {}

  static constexpr const char* kClearMark = "<cls>";

  void clearConsole() override {
    ++clearCount;
    if (console_ != nullptr) *console_ << kClearMark;
  }
  std::unique_ptr<WorkFile> captureRegistry(const std::string&,
                                            const std::string&, std::string*,
                                            std::string*) override {
    return nullptr;
  }
  std::unique_ptr<WorkFile> openErrorLog(const std::string&,
                                         std::string*) override {
    return nullptr;
  }
  std::unique_ptr<InputFile> openForReading(const FolderEntry&,
                                            std::string*) override {
    return nullptr;
  }
  bool fileIdentity(const FolderEntry&, FileIdentity*) override {
    return false;
  }
  std::vector<FolderEntry> registryFiles() override { return {}; }
  FolderPtr startFolder() override { return nullptr; }
  FolderPtr currentFolder() override { return nullptr; }
  std::string currentDirectory() override { return "/"; }
  FolderPtr findFolder(const std::string&, const FolderPtr&,
                       std::string*) override {
    return nullptr;
  }
  bool enterFolder(const FolderPtr&, std::string*) override { return false; }
  bool findReportPlace(const std::string&, ReportPlace*,
                       std::string*) override {
    return false;
  }
  std::unique_ptr<ReportFile> createReport(const ReportPlace&,
                                           std::string*) override {
    return nullptr;
  }
  void startViewer(const std::string&) override {}

  int clearCount = 0;

 private:
  std::ostream* console_;
};

}  // namespace testing_support
}  // namespace shgs

#endif  // SHGS_TESTS_SUPPORT_FAKE_PLATFORM_H_
