// Whole runs of the built program on a sample server: the report, the viewer,
// the readers' error logs in each directory they enter, and every problem
// that ends a run.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "support/exporter_run.h"

namespace shgs {
namespace {

using testing_support::ExporterRunTest;
using testing_support::fileExists;
using testing_support::leftoverFiles;
using testing_support::makeDirectories;
using testing_support::ProcessResult;
using testing_support::readFile;
using testing_support::writeFile;

// Game S lives in the start directory, game T in game C's; game Z's
// directory does not exist.
const char kServer[] = R"(
[registry]
ServerRoot = C:\SHGS
IPAddr = 10.0.0.1
Port = 23
[game A]
Directory = C:\SHGS\GAME\A
Title = Alpha
[game B]
Directory = C:\SHGS\GAME\B
Title = Beta
[game C]
Directory = C:\SHGS\GAME\C
Title = Gamma
[game S]
Directory = C:\start
Title = Started here
[game T]
Directory = C:\SHGS\GAME\C
Title = Shares C
[game Z]
Directory = C:\SHGS\Gone\Z
Title = Lost
[shglob]
versionMajor = 2
[shcfig A]
sectors = 1000
[shcfig B]
sectors = 2000
[shcfig C]
sectors = 3000
[shcfig S]
sectors = 4000
)";

constexpr char kReportName[] = "SHGS Game Data.TXT";

// EDITOR is a script that records the directory it was started in and its
// arguments, one to a line.
class RunTest : public ExporterRunTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(makeServer(kServer));
    writeFile(viewer(), "#!/bin/sh\n{ pwd; printf '%s\\n' \"$@\"; } > \"" +
                            viewerLog() + "\"\n");
    chmod(viewer().c_str(), 0755);
  }

  std::string viewer() const { return temp_ / "viewer.sh"; }
  std::string viewerLog() const { return temp_ / "viewer.log"; }

  ProcessResult run(const std::string& input) {
    return runExporter(input, {{"EDITOR", viewer()}});
  }

  // The leftover files below drive C, relative to it, sorted, each followed
  // by a blank.
  std::string leftovers() const {
    std::vector<std::string> found = leftoverFiles(drive(""));
    std::sort(found.begin(), found.end());
    std::string text;
    for (const std::string& path : found) {
      text += path.substr(drive("").size()) + " ";
    }
    return text;
  }
};

// The file name reaches the viewer as it is, starting no command.
TEST_F(RunTest, CompletedRunWritesTheReportWhereItSaysAndShowsIt) {
  const std::string name = "a\"b;touch${IFS}evil;$(touch${IFS}evil2)'c'.txt";
  writeFile(drive("SHGS/GAME/B/qilerror.txt"), "older log\n");
  const ProcessResult result = run("$ " + name + "\nBACST!\n");
  ASSERT_EQ(result.exitCode, 0) << result.standardError;
  EXPECT_EQ(result.standardError, "");
  EXPECT_NE(result.standardOutput.find("(A) Alpha "), std::string::npos);
  EXPECT_NE(result.standardOutput.find(
                "\nOutput file will be placed in\n" + start() +
                "\n(unless a directory was specified with the filename on "
                "the options screen).\n"),
            std::string::npos);
  const std::string report = readFile(start() + "/" + name);
  EXPECT_EQ(report.rfind("[CODE][white]\n", 0), 0u);
  EXPECT_LT(report.find("Game A - Alpha"), report.find("Game B - Beta"));
  EXPECT_LT(report.find("Game C - Gamma"),
            report.find("Game S - Started here - 4000 sectors"));
  EXPECT_LT(report.find("Game S - "), report.find("Game T - Shares C"));
  EXPECT_EQ(readFile(viewerLog()), start() + "\n" + name + "\n");
  EXPECT_EQ(leftoverFiles(temp_.path()), std::vector<std::string>());
  EXPECT_FALSE(fileExists(start() + "/evil"));
  EXPECT_FALSE(fileExists(start() + "/evil2"));
}

// The viewer gets no descriptor of the run's files: it could not remove the
// error log then, nor keep it open on Windows.
TEST_F(RunTest, ViewerInheritsNoFileOfTheRun) {
  const std::string lister = temp_ / "lister.sh";
  writeFile(lister, "#!/bin/sh\nls -l /proc/$$/fd > \"" + viewerLog() + "\"\n");
  chmod(lister.c_str(), 0755);
  const ProcessResult result =
      runExporter("$ out.txt\nS!\n", {{"EDITOR", lister}});
  ASSERT_EQ(result.exitCode, 0) << result.standardError;
  const std::string descriptors = readFile(viewerLog());
  EXPECT_NE(descriptors.find("->"), std::string::npos) << descriptors;
  EXPECT_EQ(descriptors.find("qil"), std::string::npos) << descriptors;
  EXPECT_EQ(descriptors.find("out.txt"), std::string::npos) << descriptors;
}

// The readers alive when the run ends keep their logs; the report that
// was there before stays as it was.
TEST_F(RunTest, MissingConfigurationStopsAfterTheGamesBeforeIt) {
  std::filesystem::remove(drive("SHGS/GAME/B/shcfig.dat"));
  writeFile(drive("SHGS/GAME/B/qilerror.txt"), "older log\n");
  writeFile(start() + "/" + kReportName, "an earlier report\n");
  const ProcessResult result = run("CBA!\n");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.standardError,
            drive("SHGS/GAME/B/shcfig.dat: No such file or directory\n") +
                "Configuration data failed to open.");
  EXPECT_EQ(leftovers(), "SHGS/GAME/B/qilerror.txt start/qilerror.txt ");
  EXPECT_EQ(readFile(drive("SHGS/GAME/B/qilerror.txt")), "older log\n");
  EXPECT_EQ(readFile(start() + "/" + kReportName), "an earlier report\n");
  std::set<std::string> entries;  // game S's record lies there too
  for (const auto& entry : std::filesystem::directory_iterator(start())) {
    entries.insert(entry.path().filename().string());
  }
  EXPECT_EQ(entries,
            (std::set<std::string>{"qilerror.txt", "shcfig.dat", kReportName}));
  EXPECT_FALSE(fileExists(viewerLog()));
}

// A directory stands where a file is to be created or opened: permission
// bits would not stop the root user that tests may run as. Each message
// follows a line that tells where and why; no report is left.
TEST_F(RunTest, ProblemsEndTheRunWithTheirMessage) {
  const std::string inputEnded =
      "Input ended before the options were confirmed; no report was written.";
  const struct {
    const char* directoryMade;  // below drive C
    const char* removed;        // below the prefix
    std::string input;
    std::string message;
    const char* left;  // the leftover files
  } cases[] = {
      {"start/qilerror.txt", "", "*!\n",
       start() + "/qilerror.txt: Is a directory\nError log failed to open.",
       "start/qilerror.txt "},
      {"start/qil.tmp", "", "*!\n",
       start() + "/qil.tmp: Is a directory\n"
                 "Failed to initialize registry data.",
       "start/qil.tmp start/qilerror.txt "},
      {"", "system.reg", "*!\n",
       prefix() + "/system.reg: No such file or directory\n" +
           "Failed to open registry data; ServerRoot key not found.\n"
           "Make sure SHGS is installed on this PC.",
       "start/qil.tmp start/qilerror.txt "},
      {"", "", "$ missing/report.txt\n*!\n",
       start() + "/missing: No such file or directory\n"
                 "Failed to create output file.",
       "start/qilerror.txt "},
      {"", "drive_c/SHGS/GAME/shglob.dat", "A!\n",
       drive("SHGS/GAME/shglob.dat: No such file or directory\n") +
           "Global data failed to open.",
       "SHGS/GAME/qilerror.txt start/qilerror.txt "},
      {"", "", "*Z!\n",
       drive("SHGS/Gone/Z: No such file or directory\n") +
           "Failed to enter directory C:\\SHGS\\Gone\\Z",
       "start/qilerror.txt "},
      {"", "drive_c/SHGS/GAME", "!\n",
       drive("SHGS/GAME: No such file or directory\n") +
           "Failed to enter directory C:\\SHGS\\GAME",
       "start/qilerror.txt "},
      {"", "", "", inputEnded, ""},
      {"", "", "A\n", inputEnded, ""},
      {"", "", "$", inputEnded, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message + " after " + c.input);
    std::filesystem::remove_all(prefix());
    ASSERT_NO_FATAL_FAILURE(makeServer(kServer));
    if (*c.directoryMade != '\0') makeDirectories(drive(c.directoryMade));
    if (*c.removed != '\0')
      std::filesystem::remove_all(prefix() + "/" + c.removed);
    const ProcessResult result = run(c.input);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.standardError, c.message);
    EXPECT_FALSE(fileExists(start() + "/" + kReportName));
    EXPECT_EQ(leftovers(), c.left);
    EXPECT_FALSE(fileExists(viewerLog()));
  }
}

}  // namespace
}  // namespace shgs
