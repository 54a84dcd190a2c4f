// Whole runs that enter the server's GAME directory and the game
// directories: where the readers' error logs go, and how a missing directory
// or record file stops the run.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/test_support.h"

namespace shgs {
namespace {

using testing_support::fileExists;
using testing_support::makeDirectories;
using testing_support::ProcessResult;
using testing_support::readFile;
using testing_support::runProcess;
using testing_support::TempDir;
using testing_support::writeFile;

// Three games; the start directory lies inside the prefix's drive C, so a
// game may name it as its directory.
const char kServer[] = R"(
[registry]
ServerRoot = C:\SHGS
IPAddr = 10.0.0.1
Port = 23

[game A]
Deleted = F
Directory = C:\SHGS\GAME\A
Title = Alpha

[game B]
Deleted = F
Directory = C:\SHGS\GAME\B
Title = Beta

[game C]
Deleted = F
Directory = C:\SHGS\GAME\C
Title = Gamma

[game S]
Deleted = F
Directory = C:\start
Title = Started here

[game Z]
Deleted = F
Directory = C:\SHGS\Gone\Z
Title = Lost

[shglob]
versionMajor = 2
versionMinor = 6

[shcfig A]
sectors = 1000

[shcfig B]
sectors = 2000

[shcfig C]
sectors = 3000

[shcfig S]
sectors = 4000
)";

class DirectoryWalkTest : public ::testing::Test {
 protected:
  void makeServer(const std::string& description) {
    writeFile(temp_ / "server.txt", description);
    const ProcessResult made =
        runProcess({SHGS_MAKE_SERVER_PATH, temp_ / "server.txt", prefix()},
                   temp_.path(), {}, "");
    ASSERT_EQ(made.exitCode, 0) << made.standardError;
    makeDirectories(start());
  }

  std::string prefix() const { return temp_ / "prefix"; }
  std::string drive(const std::string& path) const {
    return prefix() + "/drive_c/" + path;
  }
  std::string start() const { return drive("start"); }
  std::string report() const { return readFile(start() + "/out.txt"); }

  ProcessResult runExporter(const std::string& input) {
    return runProcess({SHGS_EXPORTER_PATH}, start(),
                      {{"WINEPREFIX", prefix()}, {"HOME", temp_.path()}},
                      "$ out.txt\n" + input);
  }

  TempDir temp_;
};

TEST_F(DirectoryWalkTest, CompletedRunLeavesNoErrorLogAnywhere) {
  makeServer(kServer);
  writeFile(drive("SHGS/GAME/B/qilerror.txt"), "older log\n");
  const ProcessResult result = runExporter("ABCS!\n");
  ASSERT_EQ(result.exitCode, 0) << result.standardError;
  for (const char* directory :
       {"start", "SHGS/GAME", "SHGS/GAME/A", "SHGS/GAME/B", "SHGS/GAME/C"}) {
    SCOPED_TRACE(directory);
    EXPECT_FALSE(fileExists(drive(directory) + "/qilerror.txt"));
  }
  const std::string text = report();
  EXPECT_LT(text.find("Game A - "), text.find("Game B - "));
  EXPECT_LT(text.find("Game C - "), text.find("Game S - "));
}

TEST_F(DirectoryWalkTest, ReaderThatStopsTheRunLeavesItsLogWhereItWasBuilt) {
  makeServer(kServer);
  std::filesystem::remove(drive("SHGS/GAME/B/shcfig.dat"));
  writeFile(drive("SHGS/GAME/B/qilerror.txt"), "older log\n");
  const ProcessResult result = runExporter("CBA!\n");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.standardError, "Configuration data failed to open.");
  // The logs of the readers still alive stay; the others are gone.
  EXPECT_TRUE(fileExists(start() + "/qilerror.txt"));
  EXPECT_EQ(readFile(drive("SHGS/GAME/B/qilerror.txt")), "older log\n");
  EXPECT_FALSE(fileExists(drive("SHGS/GAME/qilerror.txt")));
  EXPECT_FALSE(fileExists(drive("SHGS/GAME/A/qilerror.txt")));
  // Game A was written before B stopped the run; C never was.
  const std::string text = report();
  EXPECT_NE(text.find("Game A - Alpha"), std::string::npos);
  EXPECT_EQ(text.find("Game B - "), std::string::npos);
  EXPECT_EQ(text.find("Game C - "), std::string::npos);
}

TEST_F(DirectoryWalkTest, MissingGlobalRecordStopsBeforeTheHeader) {
  makeServer(kServer);
  std::filesystem::remove(drive("SHGS/GAME/shglob.dat"));
  const ProcessResult result = runExporter("A!\n");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.standardError, "Global data failed to open.");
  EXPECT_EQ(report(), "[CODE][white]\n");
  EXPECT_TRUE(fileExists(drive("SHGS/GAME/qilerror.txt")));
}

TEST_F(DirectoryWalkTest, MissingGameDirectoryIsNamedAsStored) {
  makeServer(kServer);
  const ProcessResult result = runExporter("*Z!\n");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.standardError,
            "Failed to enter directory C:\\SHGS\\Gone\\Z");
}

TEST_F(DirectoryWalkTest, MissingGameDirectoryOfTheServerIsNamedAsBuilt) {
  makeServer(kServer);
  std::filesystem::remove_all(drive("SHGS/GAME"));
  const ProcessResult result = runExporter("!\n");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.standardError, "Failed to enter directory C:\\SHGS\\GAME");
  EXPECT_EQ(report(), "[CODE][white]\n");
}

TEST_F(DirectoryWalkTest, GameInTheStartDirectoryIsReadThere) {
  makeServer(kServer);
  const ProcessResult result = runExporter("*S!\n");
  ASSERT_EQ(result.exitCode, 0) << result.standardError;
  EXPECT_NE(report().find("Game S - Started here - 4000 sectors"),
            std::string::npos);
  EXPECT_FALSE(fileExists(start() + "/qilerror.txt"));
}

}  // namespace
}  // namespace shgs
