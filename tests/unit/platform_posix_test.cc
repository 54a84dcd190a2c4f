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

// What clearConsole writes to a pseudo-terminal with TERM set to "term".
std::string clearedTerminal(const std::optional<std::string>& term) {
  const ScopedEnvironment terminalType("TERM", term);
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  EXPECT_GE(master, 0);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return "?";
  const int terminal = open(ptsname(master), O_RDWR | O_NOCTTY);
  EXPECT_GE(terminal, 0);
  // A marker after the clearing shows where its output ends, also when it
  // wrote nothing.
  withDescriptor(1, terminal, [] {
    hostPlatform().clearConsole();
    std::cout << '.' << std::flush;
  });
  std::string written;
  char buffer[64];
  while (written.empty() || written.back() != '.') {
    const ssize_t n = read(master, buffer, sizeof buffer);
    if (n <= 0) break;
    written.append(buffer, n);
  }
  close(terminal);
  close(master);
  if (!written.empty()) written.pop_back();
  return written;
}

// The scrollback goes too, as with Windows' "cls"; a dumb terminal would
// show the sequence as text.
TEST(PosixPlatform, ClearsTheConsoleOnlyWhenOutputIsACapableTerminal) {
  TempDir dir;
  EXPECT_EQ(captured(1, dir, [] { hostPlatform().clearConsole(); }), "");
  EXPECT_EQ(clearedTerminal("xterm"), "\x1b[H\x1b[2J\x1b[3J");
  EXPECT_EQ(clearedTerminal(std::nullopt), "\x1b[H\x1b[2J\x1b[3J");
  EXPECT_EQ(clearedTerminal("dumb"), "");
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
  EXPECT_FALSE(platform.isRegularFile(dir / "folder"));
  writeFile(dir / "file", "");
  mkfifo((dir / "fifo").c_str(), 0644);
  EXPECT_TRUE(platform.isRegularFile(dir / "file"));
  EXPECT_FALSE(platform.isRegularFile(dir / "fifo"));
  EXPECT_FALSE(platform.isRegularFile(dir / "missing"));
}

// The capture lands in the working directory, replacing an older one; the
// prefix is WINEPREFIX, else ~/.wine.
TEST(PosixPlatform, CapturesTheServerKeyFromThePrefix) {
  const std::string section =
      "[Software\\\\Orbital Forge Software\\\\Starhaul Deluxe Game Server] 1\n"
      "\"ServerRoot\"=\"C:\\\\SHGS\"\n";
  const std::string listing =
      "\nHKEY_LOCAL_MACHINE\\Software\\Orbital Forge Software\\Starhaul "
      "Deluxe Game Server\n    ServerRoot    REG_SZ    C:\\SHGS\n\n";
  TempDir home, work;
  makeDirectories(home / "named");
  makeDirectories(home / ".wine");
  writeFile(home / "named/system.reg", section);
  writeFile(home / ".wine/system.reg", section);
  const struct {
    std::optional<std::string> prefix;
    std::string capture;
  } cases[] = {{home / "named", listing},
               {std::nullopt, listing},
               {home / "missing", ""}};
  const ScopedEnvironment homeDir("HOME", home.path());
  const ScopedWorkingDirectory inWork(work.path());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.prefix.value_or("default"));
    const ScopedEnvironment winePrefix("WINEPREFIX", c.prefix);
    writeFile(work / "qil.tmp", std::string(500, 'x'));
    hostPlatform().captureRegistry();
    EXPECT_EQ(readFile(work / "qil.tmp"), c.capture);
    EXPECT_EQ(hostPlatform().hostPath("C:\\SHGS"),
              c.prefix.value_or(home / ".wine") + "/dosdevices/c:/SHGS");
  }
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

// The file name is never parsed: quotes, a command substitution or a leading
// dash reach the viewer as they are, as one argument.
TEST_F(ViewerTest, StartsTheFirstViewerThereIsOnTheFile) {
  const std::string v = viewer();
  const std::string odd = "a'b\"c $(touch pwned); `touch pwned` *.txt";
  const struct {
    std::string visual, editor;
    const char *display, *wayland;
    std::string fileName, recorded, error;
  } cases[] = {
      {v, "", ":0", nullptr, "SHGS Game Data.TXT", "SHGS Game Data.TXT\n", ""},
      {v + " --wait -n", "", ":0", nullptr, "r.txt", "--wait\n-n\nr.txt\n", ""},
      {"", v, ":0", nullptr, odd, odd + "\n", ""},
      {v, "/bin/false", nullptr, nullptr, "-r.txt", "./-r.txt\n", ""},
      {v, "", nullptr, nullptr, "+q.txt", "./+q.txt\n", ""},
      {v, "", nullptr, nullptr, "/abs/-r.txt", "/abs/-r.txt\n", ""},
      {"", "", ":0", nullptr, "out.txt", "xdg-open\nout.txt\n", ""},
      {"", "", nullptr, "wayland-0", "out.txt", "xdg-open\nout.txt\n", ""},
      {"", "", "", "", "-out.txt", "", "Report written to -out.txt\n"},
  };
  const ScopedWorkingDirectory inWork(work_.path());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fileName);
    std::remove(record().c_str());
    EXPECT_EQ(startViewer(c.fileName, c.visual.c_str(), c.editor.c_str(),
                          c.display, c.wayland),
              c.error);
    EXPECT_EQ(readFile(record()), c.recorded);
    EXPECT_FALSE(fileExists(work_ / "pwned"));
  }
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
