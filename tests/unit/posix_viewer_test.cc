#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/posix/posix_platform.h"
#include "platform/posix/viewer.h"
#include "support/scoped_process_state.h"
#include "support/test_support.h"

namespace shgs {
namespace {

using testing_support::fileExists;
using testing_support::readFile;
using testing_support::ScopedEnvironment;
using testing_support::ScopedWorkingDirectory;
using testing_support::TempDir;
using testing_support::writeFile;

// An editor setting is split as a shell splits words, and nothing in it is
// expanded.
TEST(EditorWords, SplitsTheSettingAsAShellSplitsWords) {
  const struct {
    const char* setting;
    std::vector<std::string> words;
    bool closed = true;
  } cases[] = {
      {"code --wait", {"code", "--wait"}},
      {" \tvi\n-n  ", {"vi", "-n"}},
      {"", {}},
      {"'/opt/my editor/ed' -n", {"/opt/my editor/ed", "-n"}},
      {R"('a\b "c"')", {R"(a\b "c")"}},
      {R"("a \" \\ \$ \` \x")", {R"(a " \ $ ` \x)"}},
      {R"(a\ b \'c)", {"a b", "'c"}},
      {R"(x'y'"z" '' "")", {"xyz", "", ""}},
      {"$(touch pwned) `id` ~ *", {"$(touch", "pwned)", "`id`", "~", "*"}},
      {R"(ends\)", {R"(ends\)"}},
      {"'open", {}, false},
      {R"(a "open)", {}, false},
      {R"("a\")", {}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.setting);
    std::vector<std::string> words;
    EXPECT_EQ(editorWords(c.setting, &words), c.closed);
    if (c.closed) {
      EXPECT_EQ(words, c.words);
    }
  }
}

// Viewer stand-ins: each records its arguments, one per line, in "record"
// once it has finished.
class ViewerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    writeScript("viewer", "sleep 0.2\nprintf '%s\\n' \"$@\" > " + record());
    writeScript("my viewer",
                "{ echo mine; printf '%s\\n' \"$@\"; } > " + record());
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
    ::testing::internal::CaptureStderr();
    platform_->startViewer(fileName);
    return ::testing::internal::GetCapturedStderr();
  }

  TempDir bin_, work_;
  std::unique_ptr<PosixPlatform> platform_ =
      std::make_unique<PosixPlatform>(bin_ / "xdg-open");
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
      {" \t", "  ", ":0", nullptr, "out.txt", "xdg-open\nout.txt\n", ""},
      // Split as a shell splits words, but nothing is expanded or run.
      {"'" + bin_.path() + "/my viewer' \"-a b\" c\\ d $(touch pwned)", "",
       nullptr, nullptr, "out.txt",
       "mine\n-a b\nc d\n$(touch\npwned)\nout.txt\n", ""},
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

// The desktop opener is started by its full path only; without it the
// operator is told where the report is.
TEST_F(ViewerTest, TellsWhereTheReportIsWithoutADesktopOpener) {
  platform_ = std::make_unique<PosixPlatform>(bin_ / "missing-opener");
  const ScopedWorkingDirectory inWork(work_.path());
  EXPECT_EQ(startViewer("out.txt", nullptr, nullptr, ":0"),
            "Report written to out.txt\n");
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
