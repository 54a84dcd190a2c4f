// Whole runs that a row of the scenario table cannot hold: two runs at
// once, a link swapped in while runs go on, another account rewriting
// files while runs go on, folders deeper than a path can
// name, records of any length, and runs on a pseudo-terminal.
#include <dirent.h>
#include <fcntl.h>
#include <gmock/gmock.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>

#include "e2e/scenario.h"
#include "support/exporter_run.h"

namespace shgs {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;
using testing_support::entriesOf;
using testing_support::ProcessResult;
using testing_support::readFile;
using testing_support::replaceAll;
using testing_support::runProcess;
using testing_support::treeDifferences;
using testing_support::writeFile;

constexpr char kChooseA[] = "$ out.txt\nA!\n";

class WholeRunTest : public testing_support::ExporterRunTest {
 protected:
  void SetUp() override { makeServer(scenario::defaultServer()); }

  // What a pseudo-terminal (script(1)) shows of a run whose standard
  // streams are on it, but for the shell redirection "redirected".
  ProcessResult onTerminal(const std::string& redirected,
                           const std::string& input,
                           testing_support::Environment extra = {}) {
    extra.emplace("TERM", "xterm");
    testing_support::ProcessOptions options;
    options.arguments = {
        "--quiet", "--return", "--command",
        "'" + replaceAll(SHGS_EXPORTER_PATH, "'", "'\\''") + "' " + redirected,
        "/dev/null"};
    options.input = input;
    return runProgram("/usr/bin/script", options, extra);
  }
};

// Two runs in one folder at once, each on its own server: each reports its
// own, and neither leaves a file behind. Repeated to give a race room.
TEST_F(WholeRunTest, TwoRunsInOneFolderEachReportTheirOwnServer) {
  writeFile(temp_ / "other.txt",
            replaceAll(scenario::defaultServer(), "10.0.0.1", "10.0.0.2"));
  ASSERT_EQ(runProcess({SHGS_MAKE_SERVER_PATH, "other.txt", "other"},
                       temp_.path(), {}, "")
                .exitCode,
            0);
  for (int round = 0; round < 20; ++round) {
    ProcessResult other;
    std::thread otherRun([&] {
      other = runExporter("$ b\nA!\n", {{"WINEPREFIX", temp_ / "other"}});
    });
    const ProcessResult own = runExporter("$ a\nA!\n");
    otherRun.join();
    EXPECT_EQ(own.exitCode, 0) << own.standardError;
    EXPECT_EQ(other.exitCode, 0) << other.standardError;
    EXPECT_THAT(readFile(start() + "/a"), HasSubstr("telnet:\\\\10.0.0.1:"));
    EXPECT_THAT(readFile(start() + "/b"), HasSubstr("telnet:\\\\10.0.0.2:"));
    ASSERT_EQ(entriesOf(start()), (std::set<std::string>{"a", "b"}));
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

// Tries for ever, as "member" of "group", to open for writing every file
// in "folder" and to write into it; counts each success in "*opened".
[[noreturn]] void rewriteEveryFile(const std::string& folder, int member,
                                   int group, std::atomic<int>* opened) {
  if (setgroups(0, nullptr) != 0 || setgid(group) != 0 || setuid(member) != 0) {
    _exit(1);
  }
  for (;;) {
    DIR* listing = opendir(folder.c_str());
    if (listing == nullptr) _exit(1);
    while (const dirent* entry = readdir(listing)) {
      const int file = openat(dirfd(listing), entry->d_name,
                              O_WRONLY | O_NONBLOCK | O_NOFOLLOW);
      if (file < 0) continue;
      ++*opened;
      (void)!pwrite(file, "forged\n", 7, 0);
      close(file);
    }
    closedir(listing);
  }
}

// A member of the operator's group rewrites what it can in a shared group
// folder (setgid, umask 002) while runs go on there, replacing a report only
// its owner may write: it can open none of the run's files for writing,
// and every report is the server's own.
TEST_F(WholeRunTest, GroupMembersCannotRewriteTheRunsFiles) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to act as other users";
  constexpr int kGroup = 4400, kOperator = 4401, kMember = 4402;
  for (const auto& entry : fs::recursive_directory_iterator(drive(""))) {
    if (entry.is_directory()) chmod(entry.path().c_str(), 0777);
  }
  chmod(temp_.path().c_str(), 0755);
  ASSERT_EQ(chown(start().c_str(), 0, kGroup), 0);
  ASSERT_EQ(chmod(start().c_str(), 02775), 0);
  void* shared = mmap(nullptr, sizeof(std::atomic<int>), PROT_READ | PROT_WRITE,
                      MAP_SHARED | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(shared, MAP_FAILED);
  auto* opened = new (shared) std::atomic<int>(0);
  writeFile(start() + "/out.txt", "");
  ASSERT_EQ(chown((start() + "/out.txt").c_str(), kOperator, kGroup), 0);
  ASSERT_EQ(chmod((start() + "/out.txt").c_str(), 0644), 0);
  const pid_t member = fork();
  if (member == 0) rewriteEveryFile(start(), kMember, kGroup, opened);
  const mode_t mask = umask(002);
  testing_support::ProcessOptions options;
  options.input = kChooseA;
  options.userId = kOperator;
  options.groupId = kGroup;
  for (int round = 0; round < 40; ++round) {
    const ProcessResult run = runExporter(options);
    EXPECT_EQ(run.exitCode, 0) << run.standardError;
    EXPECT_THAT(readFile(start() + "/out.txt"),
                HasSubstr("telnet:\\\\10.0.0.1:"));
  }
  umask(mask);
  kill(member, SIGKILL);
  int status = 0;
  waitpid(member, &status, 0);
  EXPECT_TRUE(WIFSIGNALED(status)) << "the member gave up: " << status;
  EXPECT_EQ(opened->load(), 0);
  munmap(shared, sizeof(std::atomic<int>));
}

// Folders deeper than a path can name, made a folder at a time: the run
// enters and leaves them by the folders it holds, so depth never matters
// and nothing is left behind.
TEST_F(WholeRunTest, FoldersDeeperThanAPathCanNameWorkAsAnyOther) {
  std::vector<std::string> names(25, std::string(200, 'd'));
  names.front() = "deep";
  std::string deep = drive("");
  std::string directory = "\"C:";  // as system.reg holds it
  int folder = open(deep.c_str(), O_DIRECTORY | O_CLOEXEC);
  for (const std::string& name : names) {
    mkdirat(folder, name.c_str(), 0755);
    const int inner = openat(folder, name.c_str(), O_DIRECTORY | O_CLOEXEC);
    close(folder);
    folder = inner;
    deep += "/" + name;
    directory += "\\\\" + name;
  }
  ASSERT_EQ(renameat(AT_FDCWD, drive("SHGS/GAME/A").c_str(), folder, "A"), 0);
  ASSERT_EQ(mkdirat(folder, "start", 0755), 0);
  close(folder);
  writeFile(prefix() + "/system.reg",
            replaceAll(readFile(prefix() + "/system.reg"),
                       "\"C:\\\\SHGS\\\\GAME\\\\A\"", directory + "\\\\A\""));
  const auto runIn = [&](const std::string& where,
                         const std::vector<std::string>& argv) {
    return runProcess(argv, deep + where, {{"WINEPREFIX", prefix()}}, kChooseA);
  };

  const ProcessResult result = runIn("/start", {SHGS_EXPORTER_PATH});

  EXPECT_EQ(result.exitCode, 0) << result.standardError;
  EXPECT_THAT(runIn("/start", {"/bin/cat", "out.txt"}).standardOutput,
              HasSubstr("Game A - Alpha"));
  EXPECT_EQ(runIn("", {"/usr/bin/find", ".", "-name", "qil*"}).standardOutput,
            "");
  runProcess({"/bin/rm", "-rf", "deep"}, drive(""), {}, "");
}

// Records of any length: the first 4096 bytes count and missing bytes read
// as zero, so a record cut short or padded gives the report of the same
// bytes zero-filled to 4096.
TEST_F(WholeRunTest, RecordsReadTheirFirst4096BytesWithZerosPastTheEnd) {
  makeServer(readFile(SHGS_SOURCE_DIR "/examples/sample-server.txt"));
  // The report less the line whose age depends on the clock.
  const auto reportOf = [this](const std::string& record,
                               const std::string& bytes) {
    writeFile(record, bytes);
    const ProcessResult result = runExporter(kChooseA);
    EXPECT_EQ(result.exitCode, 0) << result.standardError;
    std::string text = readFile(start() + "/out.txt");
    const std::size_t age = text.find("Age of Game:");
    const std::size_t line = text.rfind('\n', age);
    return text.erase(line, text.find('\n', age) - line);
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

// A message that ends a run gets a line end when standard error is a
// terminal, so that the shell's prompt starts a line of its own, whatever
// standard output is; the terminal shows line ends as CR LF.
TEST_F(WholeRunTest, FinalMessageEndsItsLineWhenStandardErrorIsATerminal) {
  const struct {
    const char* prefix;  // relative to the temporary folder
    const char* input;
    const char* message;
  } cases[] = {
      {"no-prefix", "!\n", "Make sure SHGS is installed on this PC."},
      {"prefix", "A\n", "no report was written."},
  };
  for (const auto& c : cases) {
    const testing_support::Environment prefix = {
        {"WINEPREFIX", temp_ / c.prefix}};
    const std::string shown =
        onTerminal(">/dev/null", c.input, prefix).standardOutput;
    EXPECT_EQ(shown.substr(shown.rfind(c.message)),
              c.message + std::string("\r\n"));
    onTerminal("2>'" + temp_ / "errors.txt'", c.input, prefix);
    const std::string filed = readFile(temp_ / "errors.txt");
    EXPECT_EQ(filed.substr(filed.rfind(c.message)), c.message);
  }
}

// Each menu pass clears the screen and its scrollback, once before the menu
// is drawn and once after the word is read, except on a dumb terminal.
TEST_F(WholeRunTest, MenuClearsScreenAndScrollbackUnlessTerminalIsDumb) {
  const std::string clear = "\x1b[H\x1b[2J\x1b[3J";
  const std::string shown = onTerminal("", "A!\n").standardOutput;
  ASSERT_THAT(shown, HasSubstr(clear));
  EXPECT_THAT(shown.substr(shown.find(clear) + 1), HasSubstr(clear));
  EXPECT_THAT(shown, Not(HasSubstr("\x1b[2J\x1b[H")));
  const ProcessResult dumb = onTerminal("", "A!\n", {{"TERM", "dumb"}});
  EXPECT_EQ(dumb.exitCode, 0) << dumb.standardOutput;
  EXPECT_THAT(dumb.standardOutput, Not(HasSubstr("\x1b")));
}

}  // namespace
}  // namespace shgs
