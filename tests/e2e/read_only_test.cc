// The exporter only reads the server: after any run, completed or ended by a
// fatal problem, every file and directory of the Wine prefix (system.reg and
// the server's files included) and of the home directory is as it was. It
// creates only the output file, the registry capture and the error logs, and
// after a completed run only the output file is left.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "support/sample_run.h"
#include "support/test_support.h"

namespace shgs {
namespace {

namespace fs = std::filesystem;

using e2e::entriesOf;
using e2e::SampleRunTest;
using e2e::treeDifferences;
using testing_support::makeDirectories;
using testing_support::ProcessResult;
using testing_support::readFile;

struct ReadOnlyRun {
  const char* name;
  std::function<void(const std::string& drive)> spoil;  // may be empty
  const char* input;
  int exitCode;
  std::set<std::string> startEntries;
  // Error logs that a fatal problem leaves in the server's directories,
  // relative to drive C.
  std::vector<std::string> logsLeft;
};

std::ostream& operator<<(std::ostream& out, const ReadOnlyRun& run) {
  return out << run.name;
}

const ReadOnlyRun kRuns[] = {
    {"ForumReportOfEveryGame", nullptr, "$ out.txt\n^!\n", 0, {"out.txt"}, {}},
    {"PlainReportWithStockPrices",
     nullptr,
     "$ out.txt\n%#^!\n",
     0,
     {"out.txt"},
     {}},
    {"GamesWithoutGlobalData",
     nullptr,
     "$ out.txt\n*DBA!\n",
     0,
     {"out.txt"},
     {}},
    {"NothingChosen", nullptr, "$ out.txt\n*%!\n", 0, {"out.txt"}, {}},
    {"InputEndsInTheMenu", nullptr, "A", 1, {}, {}},
    {"MissingConfiguration",
     [](const std::string& drive) {
       fs::remove(drive + "SHGS/GAME/B/shcfig.dat");
     },
     "$ out.txt\nAB!\n",
     1,
     {"out.txt", "qilerror.txt"},
     {"SHGS/GAME/B/qilerror.txt"}},
    {"MissingGlobalData",
     [](const std::string& drive) {
       fs::remove(drive + "SHGS/GAME/shglob.dat");
     },
     "$ out.txt\nA!\n",
     1,
     {"out.txt", "qilerror.txt"},
     {"SHGS/GAME/qilerror.txt"}},
    {"MissingGameDirectory",
     [](const std::string& drive) { fs::remove_all(drive + "SHGS/GAME/D"); },
     "$ out.txt\nAD!\n",
     1,
     {"out.txt", "qilerror.txt"},
     {}},
    {"ErrorLogCannotBeCreated",
     [](const std::string& drive) {
       makeDirectories(drive + "SHGS/GAME/A/qilerror.txt");
     },
     "$ out.txt\nA!\n",
     1,
     {"out.txt", "qilerror.txt"},
     {}},
    {"OutputFileCannotBeCreated",
     nullptr,
     "$ missing/out.txt\nA!\n",
     1,
     {"qilerror.txt"},
     {}},
    {"ServerKeyMissing",
     [](const std::string& drive) { fs::remove(drive + "../system.reg"); },
     "$ out.txt\nA!\n",
     1,
     {"qil.tmp", "qilerror.txt"},
     {}},
};

class ReadOnlyTest : public SampleRunTest,
                     public ::testing::WithParamInterface<ReadOnlyRun> {};

TEST_P(ReadOnlyTest, LeavesTheServerAsItWas) {
  const ReadOnlyRun& run = GetParam();
  ASSERT_NO_FATAL_FAILURE(
      makeServer(readFile(SHGS_SOURCE_DIR "/examples/sample-server.txt")));
  if (run.spoil) run.spoil(drive(""));
  const e2e::TreeState before = serverState();

  const ProcessResult result = runExporter(run.input);

  EXPECT_EQ(result.exitCode, run.exitCode) << result.standardError;
  std::string logs;
  for (const std::string& log : run.logsLeft) {
    logs += "added drive_c/" + log + "\n";
  }
  EXPECT_EQ(treeDifferences(before, serverState()), logs);
  EXPECT_EQ(entriesOf(start()), run.startEntries);
}

INSTANTIATE_TEST_SUITE_P(Runs, ReadOnlyTest, ::testing::ValuesIn(kRuns),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace shgs
