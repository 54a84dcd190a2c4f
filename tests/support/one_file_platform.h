#ifndef SHGS_TESTS_SUPPORT_ONE_FILE_PLATFORM_H_
#define SHGS_TESTS_SUPPORT_ONE_FILE_PLATFORM_H_

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <system_error>
#include <utility>

#include "platform/platform.h"
#include "support/fake_platform.h"

namespace shgs {
namespace testing_support {

// A file of its own in the temporary directory, removed with the object.
// Needs no test framework, so fuzz targets and benchmarks use it too.
class ScratchFile {
 public:
  ScratchFile() {
    std::random_device random;
    path_ = (std::filesystem::temp_directory_path() /
             ("shgs-scratch-" + std::to_string(random()) + ".txt"))
                .string();
  }
  ~ScratchFile() {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  const std::string& path() const { return path_; }

  void write(const std::string& content) const {
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out << content;
  }

  // Makes the file "size" bytes long without writing them: they read as
  // zero bytes.
  void resize(std::uintmax_t size) const {
    write("");
    std::filesystem::resize_file(path_, size);
  }

 private:
  std::string path_;
};

// A platform on which every file the program reads is the one file "path",
// and nothing else reaches the machine.
class OneFilePlatform : public InertPlatform {
 public:
  explicit OneFilePlatform(std::string path) : path_(std::move(path)) {}

  std::unique_ptr<std::streambuf> openForReading(const std::string&) override {
    return openPlainFile(path_);
  }

 private:
  std::string path_;
};

}  // namespace testing_support
}  // namespace shgs

#endif  // SHGS_TESTS_SUPPORT_ONE_FILE_PLATFORM_H_
