// The Windows release zip under Wine; the whole-run rows, the golden
// reports among them, come from tests/e2e/scenario_test.cc.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/test_support.h"
#include "wine/wine_session.h"

namespace shgs {
namespace wine_testing {
namespace {

namespace fs = std::filesystem;
using testing_support::ProcessResult;
using testing_support::readFile;
using testing_support::replaceAll;
using testing_support::TempDir;

constexpr char kReport[] = "SHGS Game Data.TXT";

// The report of stock_server's run "%A!", as Windows writes it.
std::string stockPlainReport() {
  return replaceAll(
      readFile(SHGS_TESTDATA_DIR "/golden/stock_server/plain.expected"), "\n",
      "\r\n");
}

// The release zip, unpacked into a folder of its own; "folder_" is the one
// folder it holds. The server is stock_server.
class ReleaseZipTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string zip = SHGS_WINE_RELEASE_ZIP;
    ASSERT_TRUE(testing_support::fileExists(zip))
        << zip << " is missing: build the package";
    const ProcessResult unpacked = testing_support::runProcess(
        {SHGS_CMAKE_COMMAND, "-E", "tar", "xf", zip}, unpacked_.path(), {}, "");
    ASSERT_EQ(unpacked.exitCode, 0) << unpacked.standardError;
    const std::set<std::string> folders =
        testing_support::entriesOf(unpacked_.path());
    ASSERT_EQ(folders.size(), 1u);
    folder_ = unpacked_ / *folders.begin();
    ASSERT_NO_FATAL_FAILURE(wineSession().installServer(
        readFile(SHGS_TESTDATA_DIR "/golden/stock_server/server.txt"), false));
  }

  TempDir unpacked_;
  TempDir start_;
  std::string folder_;
};

// The operator's files and nothing else, the texts with CR LF line ends;
// the program runs as unpacked.
TEST_F(ReleaseZipTest, HoldsTheOperatorFilesAndAProgramThatRuns) {
  const std::set<std::string> texts = {"CHANGELOG.md", "LICENSE.txt",
                                       "QUICKSTART.txt", "README.md",
                                       "Run exporter.cmd"};
  std::set<std::string> all = texts;
  all.insert("shgs-exporter.exe");
  EXPECT_EQ(testing_support::entriesOf(folder_), all);
  for (const std::string& text : texts) {
    const std::string content = readFile(folder_ + "/" + text);
    EXPECT_FALSE(content.empty()) << text;
    EXPECT_EQ(replaceAll(replaceAll(content, "\r\n", "\n"), "\n", "\r\n"),
              content)
        << text << " does not have CR LF line ends throughout";
  }
  const ProcessResult result =
      wineSession().run({i686Build().loader, folder_ + "/shgs-exporter.exe"},
                        start_.path(), "%A!\n");
  EXPECT_EQ(result.exitCode, 0) << result.standardError;
  EXPECT_EQ(readFile(start_ / kReport), stockPlainReport());
}

// Started from anywhere, as Explorer does on a double-click, the launcher
// runs the program in its own folder, where the report lands; after a run
// that ends on a problem it waits for a key, so that the window stays open
// with the message.
TEST_F(ReleaseZipTest, LauncherRunsTheProgramInItsFolderAndWaitsAfterAProblem) {
  const auto launch = [&](const std::string& input) {
    const std::string launcher =
        "Z:" + replaceAll(folder_ + "/Run exporter.cmd", "/", "\\");
    return wineSession().run({i686Build().loader, "cmd", "/c", launcher},
                             start_.path(), input);
  };
  const std::string waits = "Press any key";

  const ProcessResult completed = launch("%A!\n");
  EXPECT_EQ(completed.exitCode, 0) << completed.standardError;
  EXPECT_EQ(readFile(folder_ + "/" + kReport), stockPlainReport());
  EXPECT_FALSE(testing_support::fileExists(start_ / kReport));
  EXPECT_EQ(completed.standardOutput.find(waits), std::string::npos);

  const ProcessResult failed = launch("$ missing\\report.txt\n!\n");
  EXPECT_EQ(failed.exitCode, 1);
  EXPECT_NE(failed.standardError.find("Failed to create output file."),
            std::string::npos)
      << failed.standardError;
  EXPECT_NE(failed.standardOutput.find(waits), std::string::npos)
      << failed.standardOutput;
}

}  // namespace
}  // namespace wine_testing
}  // namespace shgs

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // One Wine prefix for every test: a new one takes several seconds.
  ::testing::AddGlobalTestEnvironment(new shgs::wine_testing::WineSession);
  return RUN_ALL_TESTS();
}
