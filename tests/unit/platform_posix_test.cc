#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <iostream>
#include <optional>
#include <string>

#include "platform/platform.h"
#include "support/scoped_process_state.h"
#include "support/test_support.h"

namespace shgs {
namespace {

using testing_support::fileExists;
using testing_support::makeDirectories;
using testing_support::readFile;
using testing_support::ScopedEnvironment;
using testing_support::ScopedWorkingDirectory;
using testing_support::TempDir;
using testing_support::writeFile;

// Runs "action" with the descriptor "target" (1 or 2) pointing to "fd".
void withDescriptor(int target, int fd, const std::function<void()>& action) {
  std::cout.flush();
  std::cerr.flush();
  const int saved = dup(target);
  ASSERT_GE(saved, 0);
  ASSERT_GE(dup2(fd, target), 0);
  action();
  std::cout.flush();
  std::cerr.flush();
  dup2(saved, target);
  close(saved);
}

// What "action" writes to the descriptor "target", through a file.
std::string captured(int target, const TempDir& dir,
                     const std::function<void()>& action) {
  const std::string path = dir / "captured";
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  EXPECT_GE(fd, 0);
  if (fd < 0) return "";
  withDescriptor(target, fd, action);
  close(fd);
  return readFile(path);
}

TEST(PosixPlatform, ClearsTheConsoleOnlyWhenOutputIsATerminal) {
  TempDir dir;
  EXPECT_EQ(captured(1, dir, [] { hostPlatform().clearConsole(); }), "");

  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  const int terminal = open(ptsname(master), O_RDWR | O_NOCTTY);
  ASSERT_GE(terminal, 0);
  withDescriptor(1, terminal, [] { hostPlatform().clearConsole(); });
  char buffer[64] = {};
  const ssize_t n = read(master, buffer, sizeof buffer);
  EXPECT_EQ(std::string(buffer, n > 0 ? n : 0), "\x1b[2J\x1b[H");
  close(terminal);
  close(master);
}

TEST(PosixPlatform, RemovesFilesButNotDirectories) {
  TempDir dir;
  writeFile(dir / "qilerror.txt", "");
  makeDirectories(dir / "folder");
  Platform& platform = hostPlatform();
  EXPECT_TRUE(platform.removeFile(dir / "qilerror.txt"));
  EXPECT_FALSE(fileExists(dir / "qilerror.txt"));
  EXPECT_FALSE(platform.removeFile(dir / "qilerror.txt"));
  EXPECT_FALSE(platform.removeFile(dir / "folder"));
  EXPECT_TRUE(platform.isDirectory(dir / "folder"));
}

constexpr char kServerSection[] =
    "[Software\\\\Orbital Forge Software\\\\Starhaul Deluxe Game Server] 1\n"
    "\"ServerRoot\"=\"C:\\\\SHGS\"\n";
constexpr char kServerListing[] =
    "\nHKEY_LOCAL_MACHINE\\Software\\Orbital Forge Software\\Starhaul Deluxe "
    "Game Server\n    ServerRoot    REG_SZ    C:\\SHGS\n\n";

// The capture lands in the working directory, replacing an older one.
std::string captureIn(const TempDir& work) {
  writeFile(work / "qil.tmp", std::string(500, 'x'));
  const ScopedWorkingDirectory inWork(work.path());
  EXPECT_TRUE(inWork.entered());
  hostPlatform().captureRegistry();
  return readFile(work / "qil.tmp");
}

TEST(PosixPlatform, CapturesTheServerKeyFromTheNamedPrefix) {
  TempDir prefix, work;
  writeFile(
      prefix / "system.reg",
      std::string("WINE REGISTRY Version 2\n#arch=win32\n\n") + kServerSection);
  const ScopedEnvironment winePrefix("WINEPREFIX", prefix.path());
  EXPECT_EQ(captureIn(work), kServerListing);
}

TEST(PosixPlatform, FindsThePrefixInTheHomeDirectoryByDefault) {
  TempDir home, work;
  makeDirectories(home / ".wine/dosdevices");
  writeFile(home / ".wine/system.reg", kServerSection);
  const ScopedEnvironment noPrefix("WINEPREFIX", std::nullopt);
  const ScopedEnvironment homeDir("HOME", home.path());
  EXPECT_EQ(captureIn(work), kServerListing);
  EXPECT_EQ(hostPlatform().hostPath("C:\\SHGS"),
            home.path() + "/.wine/dosdevices/c:/SHGS");
}

TEST(PosixPlatform, WritesAnEmptyCaptureWithoutAPrefix) {
  TempDir work;
  const ScopedEnvironment winePrefix("WINEPREFIX", work / "no-such-prefix");
  EXPECT_EQ(captureIn(work), "");
  EXPECT_TRUE(fileExists(work / "qil.tmp"));
}

// Viewer stand-ins: each records its arguments, one per line, in "record"
// once it has finished.
class ViewerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    writeScript("viewer", "sleep 0.2\nprintf '%s\\n' \"$@\" > " + record());
    writeScript("xdg-open", "printf 'xdg-open\\n%s\\n' \"$@\" > " + record());
  }

  void writeScript(const std::string& name, const std::string& body) {
    writeFile(bin_ / name, "#!/bin/sh\n" + body + "\n");
    chmod((bin_ / name).c_str(), 0755);
  }

  std::string record() const { return work_ / "record"; }
  std::string viewer() const { return bin_ / "viewer"; }

  // Runs the viewer on "fileName" with only the variables given set; returns
  // what it wrote to standard error.
  std::string startViewer(const std::string& fileName, const char* visual,
                          const char* editor, const char* display,
                          const char* wayland = nullptr) {
    auto value = [](const char* v) {
      return v ? std::optional<std::string>(v) : std::nullopt;
    };
    const ScopedEnvironment scoped[] = {
        {"VISUAL", value(visual)},
        {"EDITOR", value(editor)},
        {"DISPLAY", value(display)},
        {"WAYLAND_DISPLAY", value(wayland)},
        {"PATH", bin_.path() + ":/usr/bin:/bin"}};
    return captured(2, work_, [&] { hostPlatform().startViewer(fileName); });
  }

  TempDir bin_, work_;
};

TEST_F(ViewerTest, RunsTheEditorOnTheFileWithoutParsingItsName) {
  const struct {
    std::string visual, editor, fileName, recorded;
  } cases[] = {
      {viewer(), "", "SHGS Game Data.TXT", "SHGS Game Data.TXT\n"},
      {viewer() + " --wait -n", "", "report.txt", "--wait\n-n\nreport.txt\n"},
      {"", viewer(), "a'b\"c $(touch pwned); `touch pwned` *.txt",
       "a'b\"c $(touch pwned); `touch pwned` *.txt\n"},
      {viewer(), "/bin/false", "-r.txt", "./-r.txt\n"},
      {viewer(), "", "+q.txt", "./+q.txt\n"},
      {viewer(), "", "/abs/-r.txt", "/abs/-r.txt\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fileName);
    std::remove(record().c_str());
    const ScopedWorkingDirectory inWork(work_.path());
    EXPECT_EQ(startViewer(c.fileName, c.visual.c_str(), c.editor.c_str(), ":0"),
              "");
    EXPECT_EQ(readFile(record()), c.recorded);
    EXPECT_FALSE(fileExists(work_ / "pwned"));
  }
}

TEST_F(ViewerTest, OpensTheFileOnTheDesktopWithoutAnEditor) {
  const struct {
    const char* display;
    const char* wayland;
  } cases[] = {{":0", nullptr}, {nullptr, "wayland-0"}, {"", "wayland-0"}};
  for (const auto& c : cases) {
    std::remove(record().c_str());
    EXPECT_EQ(startViewer("out.txt", "", nullptr, c.display, c.wayland), "");
    EXPECT_EQ(readFile(record()), "xdg-open\nout.txt\n");
  }
}

TEST_F(ViewerTest, NamesTheReportWhenThereIsNoViewer) {
  EXPECT_EQ(startViewer("-out.txt", nullptr, "", nullptr, ""),
            "Report written to -out.txt\n");
  EXPECT_FALSE(fileExists(record()));
}

// The interrupt key reaches the whole foreground group: the viewer, not the
// exporter, is to end.
TEST_F(ViewerTest, LeavesInterruptsToTheViewerWhileItRuns) {
  writeScript("viewer", "kill -INT " + std::to_string(getpid()) +
                            "\necho parent survived > " + record() +
                            "\nkill -INT $$\necho viewer survived >> " +
                            record());
  struct sigaction before {};
  sigaction(SIGINT, nullptr, &before);
  startViewer("out.txt", viewer().c_str(), nullptr, nullptr);
  EXPECT_EQ(readFile(record()), "parent survived\n");
  struct sigaction after {};
  sigaction(SIGINT, nullptr, &after);
  EXPECT_EQ(after.sa_handler, before.sa_handler);
}

}  // namespace
}  // namespace shgs
