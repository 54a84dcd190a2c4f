#ifndef SHGS_TESTS_SUPPORT_FAKE_PLATFORM_H_
#define SHGS_TESTS_SUPPORT_FAKE_PLATFORM_H_

#include <filesystem>
#include <fstream>
#include <memory>
#include <ostream>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace shgs {
namespace testing_support {

// A work file that is only a name: remove() deletes whatever that name
// denotes then.
class NamedWorkFile : public WorkFile {
 public:
  explicit NamedWorkFile(std::string path) : path_(std::move(path)) {}
  void remove() override {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }

 private:
  std::string path_;
};

// A platform that touches nothing but what a test overrides: no capture, no
// error log, no files to read, no directories to enter.
class InertPlatform : public Platform {
 public:
  void clearConsole() override {}
  std::unique_ptr<WorkFile> captureRegistry(const std::string&,
                                            const std::string&,
                                            std::string*) override {
    return nullptr;
  }
  std::unique_ptr<WorkFile> openErrorLog(const std::string&) override {
    return nullptr;
  }
  std::unique_ptr<std::streambuf> openForReading(const std::string&) override {
    return nullptr;
  }
  bool fileIdentity(const std::string&, FileIdentity*) override {
    return false;
  }
  std::string storedFileName(const std::string& path) override { return path; }
  std::vector<std::string> registryFiles() override { return {}; }
  std::string currentDirectory() override { return "/"; }
  bool changeDirectory(const std::string&) override { return false; }
  std::string hostPath(const std::string& windowsPath) override {
    return windowsPath;
  }
  void startViewer(const std::string&) override {}
};

// Opens "path" for reading in binary, as a plain file stream does.
inline std::unique_ptr<std::streambuf> openPlainFile(const std::string& path) {
  auto file = std::make_unique<std::filebuf>();
  if (file->open(path, std::ios::in | std::ios::binary) == nullptr) {
    return nullptr;
  }
  return file;
}

// A platform for in-process tests. Clearing the console writes a visible mark
// to "console" (when given), so tests see where it happened. A Windows path
// names the file below "root" with every backslash a slash and nothing else
// changed, so a test sees the exact path asked for (kept in requestedPaths).
// Only regular files are read. Nothing else touches the machine.
class FakePlatform : public InertPlatform {
 public:
  explicit FakePlatform(std::ostream* console = nullptr, std::string root = ".")
      : console_(console), root_(std::move(root)) {}

  static constexpr const char* kClearMark = "<cls>";

  void clearConsole() override {
    ++clearCount;
    if (console_ != nullptr) *console_ << kClearMark;
  }
  std::unique_ptr<std::streambuf> openForReading(
      const std::string& hostPath) override {
    std::error_code ignored;
    if (!std::filesystem::is_regular_file(hostPath, ignored)) return nullptr;
    return openPlainFile(hostPath);
  }
  std::string currentDirectory() override { return root_; }
  std::string hostPath(const std::string& windowsPath) override {
    requestedPaths.push_back(windowsPath);
    std::string path = windowsPath;
    for (char& c : path) c = c == '\\' ? '/' : c;
    return root_ + "/" + path;
  }

  int clearCount = 0;
  std::vector<std::string> requestedPaths;

 private:
  std::ostream* console_;
  std::string root_;
};

}  // namespace testing_support
}  // namespace shgs

#endif  // SHGS_TESTS_SUPPORT_FAKE_PLATFORM_H_
