#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/platform.h"
#include "support/scoped_process_state.h"
#include "support/test_support.h"

// Work files on a POSIX host and the interruptions that remove them, through
// the host's platform.

namespace shgs {
namespace {

using testing_support::fileExists;
using testing_support::readFile;
using testing_support::ScopedWorkingDirectory;
using testing_support::TempDir;
using testing_support::writeFile;

// Work files are removed only while their name still denotes them, and an
// interruption removes them however many came and went before: their
// entries are given back.
TEST(PosixWorkFile, LeavesAWorkFileThatWasReplacedMeanwhile) {
  TempDir dir;
  const ScopedWorkingDirectory inDir(dir.path());
  std::string why;
  std::unique_ptr<WorkFile> log =
      makeHostPlatform()->openErrorLog("qilerror.txt", &why);
  ASSERT_NE(log, nullptr);
  std::filesystem::remove(dir / "qilerror.txt");
  writeFile(dir / "qilerror.txt", "another run's");
  log->remove();
  EXPECT_EQ(readFile(dir / "qilerror.txt"), "another run's");
}

TEST(PosixWorkFile, InterruptionRemovesWorkFilesAfterManyCameAndWent) {
  TempDir dir;
  EXPECT_EXIT(
      {
        const ScopedWorkingDirectory inDir(dir.path());
        const std::unique_ptr<Platform> platform = makeHostPlatform();
        std::string why;
        // Each one moved aside keeps its inode, which the next cannot reuse.
        for (int i = 0; i < 20; ++i) {
          const auto log = platform->openErrorLog("qilerror.txt", &why);
          std::rename("qilerror.txt", ("old" + std::to_string(i)).c_str());
        }
        // One removed but not yet gone gives its entry back only once.
        auto removed = platform->openErrorLog("removed.txt", &why);
        removed->remove();
        const auto kept = platform->openErrorLog("qilerror.txt", &why);
        removed.reset();
        raise(SIGTERM);
      },
      ::testing::KilledBySignal(SIGTERM), "");
  EXPECT_FALSE(fileExists(dir / "qilerror.txt"));
}

}  // namespace
}  // namespace shgs
