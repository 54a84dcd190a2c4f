// Whole runs that a row of the scenario table cannot hold: a full disk, two
// runs at once, a link swapped in while runs go on, folders deeper than a
// path can name, records of any length, and memory bounds.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "support/exporter_run.h"

namespace shgs {
namespace {

namespace fs = std::filesystem;
using testing_support::entriesOf;
using testing_support::ExporterRunTest;
using testing_support::ProcessOptions;
using testing_support::ProcessResult;
using testing_support::readFile;
using testing_support::replaceAll;
using testing_support::runProcess;
using testing_support::treeDifferences;
using testing_support::writeFile;

constexpr char kServer[] = R"(
[registry]
ServerRoot = C:\SHGS
IPAddr = 10.0.0.1
NameAddr = ""
Port = 2002
[game A]
Directory = C:\SHGS\GAME\A
Description = Game1.txt
Title = Alpha
[game B]
Directory = C:\SHGS\GAME\B
[shglob]
versionMajor = 2
[shcfig A]
sectors = 1000
turnsPerDay = 100
[file C:\SHGS\DescFile\Game1.txt]
The first game.
[end]
)";
constexpr char kChooseA[] = "$ out.txt\nA!\n";

class WholeRunTest : public ExporterRunTest {
 protected:
  void SetUp() override { ASSERT_NO_FATAL_FAILURE(makeServer(kServer)); }

  std::string report() const { return readFile(start() + "/out.txt"); }
};

// A capture cut short by a full disk is no capture: the start folder is a
// file system of its own, too small for a listing that holds a long value.
TEST_F(WholeRunTest, CaptureCutShortByAFullDiskStopsTheRun) {
  ASSERT_NO_FATAL_FAILURE(
      makeServer(std::string(kServer) +
                 "[registry]\nMotd = " + std::string(256 * 1024, 'm') + "\n"));
  if (mount("tmpfs", start().c_str(), "tmpfs", 0, "size=64k,mode=0777") != 0) {
    GTEST_SKIP() << "cannot mount a small file system: " << strerror(errno);
  }
  const auto before = serverState();
  const ProcessResult result = runExporter(kChooseA);
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.standardError, start() +
                                      "/qil.tmp: No space left on device\n"
                                      "Failed to initialize registry data.");
  EXPECT_EQ(entriesOf(start()),
            (std::set<std::string>{"qil.tmp", "qilerror.txt"}));
  EXPECT_EQ(treeDifferences(before, serverState()), "");
  umount2(start().c_str(), MNT_DETACH);
}

// Two runs in one folder at once, each on its own server: each reports its
// own, and neither leaves a file behind. Repeated to give a race room.
TEST_F(WholeRunTest, TwoRunsInOneFolderEachReportTheirOwnServer) {
  writeFile(temp_ / "other.txt", replaceAll(kServer, "10.0.0.1", "10.0.0.2"));
  ASSERT_EQ(runProcess({SHGS_MAKE_SERVER_PATH, "other.txt", "other"},
                       temp_.path(), {}, "")
                .exitCode,
            0);
  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    ProcessResult second;
    std::thread otherRun([&] {
      second =
          runExporter("$ other.txt\nA!\n", {{"WINEPREFIX", temp_ / "other"}});
    });
    const ProcessResult first = runExporter("$ own.txt\nA!\n");
    otherRun.join();
    EXPECT_EQ(first.exitCode, 0) << first.standardError;
    EXPECT_EQ(second.exitCode, 0) << second.standardError;
    EXPECT_NE(readFile(start() + "/own.txt").find("telnet:\\\\10.0.0.1:"),
              std::string::npos);
    EXPECT_NE(readFile(start() + "/other.txt").find("telnet:\\\\10.0.0.2:"),
              std::string::npos);
    EXPECT_EQ(entriesOf(start()),
              (std::set<std::string>{"other.txt", "own.txt"}));
  }
}

// A link to the game's record swapped in and out at the report's name while
// runs go on: whatever a run finds there, the record is never written.
TEST_F(WholeRunTest, ReportNameSwappedForALinkNeverRedirectsTheReport) {
  const auto before = serverState();
  const std::string name = start() + "/out.txt";
  std::atomic<bool> running{true};
  std::thread swapper([&] {
    std::error_code ignored;  // the runs put their reports there too
    for (int i = 0; running; ++i) {
      fs::remove(name, ignored);
      if (i % 2 == 0) {
        fs::create_symlink(drive("SHGS/GAME/A/shcfig.dat"), name, ignored);
      }
    }
  });
  for (int round = 0; round < 200; ++round) runExporter(kChooseA);
  running = false;
  swapper.join();
  EXPECT_EQ(treeDifferences(before, serverState()), "");
}

// Folders deeper than a path can name: the run enters and leaves them by
// the folders it holds, so depth never matters and nothing is left behind.
// They are made a folder at a time; rm, cat and find manage such depths.
TEST_F(WholeRunTest, FoldersDeeperThanAPathCanNameWorkAsAnyOther) {
  const std::string name(200, 'd');
  std::string deep = drive("deep");
  std::string directory = "\"C:\\\\deep";  // as system.reg holds it
  int folder = open(drive("").c_str(), O_DIRECTORY | O_CLOEXEC);
  mkdirat(folder, "deep", 0755);
  for (int i = 0; i <= 24; ++i) {
    const int inner =
        openat(folder, i == 0 ? "deep" : name.c_str(), O_DIRECTORY | O_CLOEXEC);
    close(folder);
    folder = inner;
    if (i < 24) mkdirat(folder, name.c_str(), 0755);
    if (i > 0) {
      deep += "/" + name;
      directory += "\\\\" + name;
    }
  }
  ASSERT_EQ(renameat(AT_FDCWD, drive("SHGS/GAME/A").c_str(), folder, "A"), 0);
  ASSERT_EQ(mkdirat(folder, "start", 0755), 0);
  close(folder);
  writeFile(prefix() + "/system.reg",
            replaceAll(readFile(prefix() + "/system.reg"),
                       "\"C:\\\\SHGS\\\\GAME\\\\A\"", directory + "\\\\A\""));
  const auto runIn = [&](const std::string& folder,
                         std::vector<std::string> argv) {
    ProcessOptions options;
    options.input = kChooseA;
    return runProcess(argv, deep + folder,
                      {{"WINEPREFIX", prefix()}, {"HOME", temp_.path()}},
                      options);
  };

  const ProcessResult result = runIn("/start", {SHGS_EXPORTER_PATH});

  EXPECT_EQ(result.exitCode, 0) << result.standardError;
  EXPECT_NE(runIn("/start", {"/bin/cat", "out.txt"})
                .standardOutput.find("Game A - Alpha"),
            std::string::npos);
  EXPECT_EQ(runIn("", {"/usr/bin/find", ".", "-name", "qil*"}).standardOutput,
            "");
  EXPECT_EQ(runProcess({"/bin/rm", "-rf", "deep"}, drive(""), {}, "").exitCode,
            0);
}

// Records of any length: the first 4096 bytes count and missing bytes read
// as zero, so a record cut short or padded gives the report of the same
// bytes zero-filled to 4096.
TEST_F(WholeRunTest, RecordsReadTheirFirst4096BytesWithZerosPastTheEnd) {
  ASSERT_NO_FATAL_FAILURE(
      makeServer(readFile(SHGS_SOURCE_DIR "/examples/sample-server.txt")));
  // The report less the line whose age depends on the clock.
  const auto reportOf = [this](const std::string& record,
                               const std::string& bytes) {
    writeFile(record, bytes);
    const ProcessResult result = runExporter(kChooseA);
    EXPECT_EQ(result.exitCode, 0) << result.standardError;
    std::string text = report();
    const std::size_t age = text.find("Age of Game:");
    if (age != std::string::npos) {
      const std::size_t line = text.rfind('\n', age);
      text.erase(line, text.find('\n', age) - line);
    }
    return text;
  };
  for (const char* file : {"SHGS/GAME/A/shcfig.dat", "SHGS/GAME/shglob.dat"}) {
    const std::string record = drive(file);
    const std::string full = readFile(record);
    ASSERT_EQ(full.size(), 4096u);
    for (const std::size_t size : {0, 1, 151, 4095, 4096, 10000}) {
      SCOPED_TRACE(std::string(file) + " of " + std::to_string(size));
      std::string sized = full.substr(0, size);
      sized.resize(size, '\xA5');  // past 4096: bytes that must not count
      std::string zeroFilled = full.substr(0, size);
      zeroFilled.resize(4096, '\0');
      EXPECT_EQ(reportOf(record, sized), reportOf(record, zeroFilled));
    }
    writeFile(record, full);
  }
}

// A sanitized program run as a child halts on its first error as the test
// does: the test's sanitizer settings reach it, and nothing else inherited.
TEST(RunProcess, PassesOnlyTheSanitizerSettingsOfItsOwnEnvironment) {
  const char* saved = std::getenv("ASAN_OPTIONS");
  const std::string old = saved == nullptr ? "" : saved;
  setenv("ASAN_OPTIONS", "halt_on_error=1", 1);
  setenv("SHGS_NOT_PASSED_ON", "1", 1);
  const ProcessResult result = runProcess(
      {"/usr/bin/env"}, "/",
      {{"ASAN_OPTIONS", "verify_asan_link_order=0"}, {"A", "b"}}, "");
  saved == nullptr ? unsetenv("ASAN_OPTIONS")
                   : setenv("ASAN_OPTIONS", old.c_str(), 1);
  unsetenv("SHGS_NOT_PASSED_ON");
  EXPECT_EQ(
      result.standardOutput,
      "A=b\nASAN_OPTIONS=halt_on_error=1:verify_asan_link_order=0\n" +
          std::string(std::getenv("UBSAN_OPTIONS") == nullptr
                          ? ""
                          : "UBSAN_OPTIONS=" +
                                std::string(getenv("UBSAN_OPTIONS")) + "\n"));
}

}  // namespace
}  // namespace shgs
