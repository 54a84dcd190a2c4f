// Whole runs of the built program against a Wine-style prefix whose
// system.reg the test writes.
#include <gtest/gtest.h>
#include <sys/stat.h>

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

constexpr char kServerKey[] =
    "[Software\\\\Orbital Forge Software\\\\Starhaul Deluxe Game Server]";

const char kMissingServerRoot[] =
    "Failed to open registry data; ServerRoot key not found.\n"
    "Make sure SHGS is installed on this PC.";

std::string systemReg(const std::string& sections) {
  return "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n"
         "#arch=win32\n\n" +
         sections;
}

std::string serverSections() {
  return std::string(kServerKey) +
         " 1733500000\n#time=1db47c8e0c2a5b0\n"
         "\"IPAddr\"=\"10.0.0.1\"\n\"ServerRoot\"=\"C:\\\\SHGS\"\n\n"
         "[Software\\\\Orbital Forge Software\\\\Starhaul Deluxe Game "
         "Server\\\\Games\\\\A] 1733500000\n"
         "\"Active\"=\"T\"\n\"Deleted\"=\"F\"\n"
         "\"Directory\"=\"C:\\\\SHGS\\\\GAME\\\\A\"\n\"Title\"=\"Alpha\"\n";
}

// A start directory, a prefix holding the server's registry, and a viewer
// that records where and on what it was started.
class RunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    makeDirectories(start());
    makeDirectories(temp_ / "prefix/drive_c/SHGS/GAME/A");
    makeDirectories(temp_ / "prefix/dosdevices");
    std::filesystem::create_directory_symlink("../drive_c",
                                              temp_ / "prefix/dosdevices/c:");
    writeFile(temp_ / "prefix/system.reg", systemReg(serverSections()));
    writeFile(viewer(),
              "#!/bin/sh\n{ pwd; for a in \"$@\"; do printf '%s\\n' \"$a\"; "
              "done; } > \"" +
                  viewerLog() + "\"\n");
    chmod(viewer().c_str(), 0755);
  }

  std::string start() const { return temp_ / "start"; }
  std::string viewer() const { return temp_ / "viewer.sh"; }
  std::string viewerLog() const { return temp_ / "viewer.log"; }

  ProcessResult runExporter(const std::string& input) {
    return runProcess({SHGS_EXPORTER_PATH}, start(),
                      {{"WINEPREFIX", temp_ / "prefix"},
                       {"HOME", temp_.path()},
                       {"PATH", "/usr/bin:/bin"},
                       {"EDITOR", viewer()}},
                      input);
  }

  TempDir temp_;
};

TEST_F(RunTest, CompletedRunWritesTheReportAndShowsIt) {
  const ProcessResult result = runExporter("*!\n");
  EXPECT_EQ(result.exitCode, 0) << result.standardError;
  EXPECT_EQ(result.standardError, "");
  EXPECT_NE(
      result.standardOutput.find("\nOutput file will be placed in\n" + start() +
                                 "\n(unless a directory was specified "
                                 "with the filename on the options "
                                 "screen).\n"),
      std::string::npos);
  EXPECT_EQ(readFile(start() + "/SHGS Game Data.TXT").substr(0, 14),
            "[CODE][white]\n");
  EXPECT_EQ(readFile(viewerLog()), start() + "\nSHGS Game Data.TXT\n");
  EXPECT_FALSE(fileExists(start() + "/qil.tmp"));
  EXPECT_FALSE(fileExists(start() + "/qilerror.txt"));
}

TEST_F(RunTest, PlainReportWithNothingChosenIsEmpty) {
  const ProcessResult result = runExporter("*%!\n");
  EXPECT_EQ(result.exitCode, 0) << result.standardError;
  EXPECT_TRUE(fileExists(start() + "/SHGS Game Data.TXT"));
  EXPECT_EQ(readFile(start() + "/SHGS Game Data.TXT"), "");
}

TEST_F(RunTest, MenuListsTheGamesOfTheRegistry) {
  const ProcessResult result = runExporter("*!\n");
  EXPECT_NE(result.standardOutput.find("(A) Alpha "), std::string::npos);
  EXPECT_NE(result.standardOutput.find("C:\\SHGS\\GAME\\A "),
            std::string::npos);
}

TEST_F(RunTest, MissingServerKeyStopsBeforeTheMenu) {
  writeFile(temp_ / "prefix/system.reg", systemReg(""));
  const ProcessResult result = runExporter("*!\n");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.standardError, kMissingServerRoot);
  EXPECT_EQ(result.standardOutput.find("Welcome"), std::string::npos);
  EXPECT_TRUE(fileExists(start() + "/qil.tmp"));
  EXPECT_TRUE(fileExists(start() + "/qilerror.txt"));
}

TEST_F(RunTest, MissingPrefixGivesTheServerRootMessage) {
  std::filesystem::remove_all(temp_ / "prefix");
  const ProcessResult result = runExporter("*!\n");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.standardError, kMissingServerRoot);
}

TEST_F(RunTest, UnopenableFilesInTheStartDirectoryStopTheRun) {
  struct Case {
    const char* blockedName;  // a directory takes the file's place
    const char* message;
  };
  const Case cases[] = {
      {"qilerror.txt", "Error log failed to open."},
      {"qil.tmp", "Failed to initialize registry data."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.blockedName);
    makeDirectories(start() + "/" + c.blockedName);
    const ProcessResult result = runExporter("*!\n");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.standardError, c.message);
    EXPECT_FALSE(fileExists(viewerLog()));
    std::filesystem::remove_all(start());
    makeDirectories(start());
  }
}

TEST_F(RunTest, OutputFileThatCannotBeCreatedStopsAfterTheMenu) {
  const ProcessResult result = runExporter("$ missing/report.txt\n*!\n");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.standardError, "Failed to create output file.");
  EXPECT_NE(result.standardOutput.find("Output file will be placed in"),
            std::string::npos);
  EXPECT_FALSE(fileExists(viewerLog()));
}

TEST_F(RunTest, FailedWriteOfTheReportIsNotASuccess) {
  const ProcessResult result = runExporter("$ /dev/full\n*!\n");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.standardError, "Failed to write output file.");
  EXPECT_FALSE(fileExists(viewerLog()));
}

TEST_F(RunTest, EndOfInputWritesNoReport) {
  for (const char* input : {"", "A\n", "$"}) {
    SCOPED_TRACE(input);
    const ProcessResult result = runExporter(input);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.standardError,
              "Input ended before the options were confirmed; no report was "
              "written.");
    EXPECT_FALSE(fileExists(start() + "/SHGS Game Data.TXT"));
    EXPECT_FALSE(fileExists(start() + "/qilerror.txt"));
    EXPECT_FALSE(fileExists(start() + "/qil.tmp"));
    EXPECT_FALSE(fileExists(viewerLog()));
  }
}

TEST_F(RunTest, FileNameReachesTheViewerUnparsed) {
  const std::string name = "a\"b;touch${IFS}evil;$(touch${IFS}evil2)'c'.txt";
  const ProcessResult result = runExporter("$ " + name + "\n*!\n");
  EXPECT_EQ(result.exitCode, 0) << result.standardError;
  EXPECT_TRUE(fileExists(start() + "/" + name));
  EXPECT_EQ(readFile(viewerLog()), start() + "\n" + name + "\n");
  EXPECT_FALSE(fileExists(start() + "/evil"));
  EXPECT_FALSE(fileExists(start() + "/evil2"));
}

TEST_F(RunTest, WithoutAViewerTheReportPlaceIsToldOnStandardError) {
  const ProcessResult result = runProcess(
      {SHGS_EXPORTER_PATH}, start(),
      {{"WINEPREFIX", temp_ / "prefix"}, {"HOME", temp_.path()}}, "*!\n");
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.standardError, "Report written to SHGS Game Data.TXT\n");
}

}  // namespace
}  // namespace shgs
