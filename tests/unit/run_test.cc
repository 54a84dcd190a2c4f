// The run's end on a platform that lets a test decide what fails.
#include "driver/run.h"

#include <gtest/gtest.h>

#include <iostream>
#include <memory>
#include <sstream>
#include <string>

#include "support/fake_platform.h"
#include "support/test_support.h"

namespace shgs {
namespace {

using testing_support::NamedWorkFile;
using testing_support::TempDir;

// A server without games whose start directory, "/start", cannot be entered
// again once left: it was removed or renamed while the report was written.
class VanishingStartPlatform : public testing_support::InertPlatform {
 public:
  explicit VanishingStartPlatform(const TempDir& dir) : dir_(dir) {}

  std::unique_ptr<WorkFile> captureRegistry(const std::string&,
                                            const std::string&,
                                            std::string* listing) override {
    *listing = "\n    ServerRoot    REG_SZ    C:\\SHGS\n";
    return std::make_unique<NamedWorkFile>(dir_ / "capture");
  }
  std::unique_ptr<WorkFile> openErrorLog(const std::string&) override {
    return std::make_unique<NamedWorkFile>(dir_ / "log");
  }
  std::string currentDirectory() override { return "/start"; }
  void startViewer(const std::string&) override {
    std::cerr << "viewer started";
  }

 private:
  const TempDir& dir_;
};

TEST(RunTest, StopsWhenTheStartDirectoryCannotBeEnteredAgain) {
  TempDir dir;
  VanishingStartPlatform platform(dir);
  std::istringstream input("$ " + (dir / "out.txt") + "\n*%!\n");
  EXPECT_EXIT(
      {
        std::cin.rdbuf(input.rdbuf());
        std::exit(run(platform));
      },
      ::testing::ExitedWithCode(1),
      ::testing::Eq(std::string("Failed to enter directory /start")));
}

}  // namespace
}  // namespace shgs
