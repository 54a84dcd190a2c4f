// Whole runs on a pseudo-terminal (script(1)): a message that ends a run gets
// a line end there, so that the shell's prompt starts a line of its own, but
// stays byte for byte as written into a pipe; each menu pass clears the
// screen and its scrollback, except on a dumb terminal.
#include <gtest/gtest.h>

#include <string>

#include "support/exporter_run.h"

namespace shgs {
namespace {

using testing_support::Environment;
using testing_support::ExporterRunTest;
using testing_support::fileExists;
using testing_support::ProcessResult;
using testing_support::runProcess;

constexpr char kScript[] = "/usr/bin/script";
constexpr char kClear[] = "\x1b[H\x1b[2J\x1b[3J";

const char kServer[] = R"(
[registry]
ServerRoot = C:\SHGS
[game A]
Directory = C:\SHGS\GAME\A
Title = Alpha
[shglob]
versionMajor = 2
[shcfig A]
sectors = 1000
)";

// "text" as one word for the shell that script(1) starts.
std::string shellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  }
  return quoted + "'";
}

bool endsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() &&
         text.compare(text.size() - end.size(), end.size(), end) == 0;
}

class TerminalTest : public ExporterRunTest {
 protected:
  // The exporter's session on a pseudo-terminal, as the terminal shows it:
  // its line ends become CR LF there.
  ProcessResult runOnTerminal(const std::string& input,
                              const Environment& extra) {
    Environment environment = {{"WINEPREFIX", prefix()},
                               {"HOME", temp_.path()},
                               {"PATH", "/usr/bin:/bin"}};
    for (const auto& [name, value] : extra) environment[name] = value;
    return runProcess({kScript, "--quiet", "--return", "--command",
                       shellQuoted(SHGS_EXPORTER_PATH), "/dev/null"},
                      start(), environment, input);
  }
};

TEST_F(TerminalTest, FinalMessageEndsItsLineOnlyOnATerminal) {
  ASSERT_TRUE(fileExists(kScript)) << "script(1) is missing (bsdutils)";
  ASSERT_NO_FATAL_FAILURE(makeServer(kServer));
  struct Case {
    const char* name;
    const char* prefix;  // relative to the temporary directory
    const char* input;
    const char* message;
  };
  const Case cases[] = {
      {"no server", "no-prefix", "!\n",
       "Make sure SHGS is installed on this PC."},
      {"input ended", "prefix", "A\n",
       "Input ended before the options were confirmed; no report was "
       "written."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string prefix = temp_ / c.prefix;
    const ProcessResult piped =
        runExporter(c.input, {{"WINEPREFIX", prefix}, {"TERM", "xterm"}});
    EXPECT_EQ(piped.exitCode, 1);
    EXPECT_TRUE(endsWith(piped.standardError, c.message))
        << piped.standardError;
    const ProcessResult shown =
        runOnTerminal(c.input, {{"WINEPREFIX", prefix}, {"TERM", "xterm"}});
    EXPECT_EQ(shown.exitCode, 1);
    EXPECT_TRUE(endsWith(shown.standardOutput, c.message + std::string("\r\n")))
        << shown.standardOutput;
  }
}

TEST_F(TerminalTest, MenuClearsScreenAndScrollbackUnlessTerminalIsDumb) {
  ASSERT_TRUE(fileExists(kScript)) << "script(1) is missing (bsdutils)";
  ASSERT_NO_FATAL_FAILURE(makeServer(kServer));
  const ProcessResult capable = runOnTerminal("A!\n", {{"TERM", "xterm"}});
  EXPECT_EQ(capable.exitCode, 0) << capable.standardOutput;
  // One clearing before the menu is drawn, one after the word is read.
  const std::string& shown = capable.standardOutput;
  const std::size_t first = shown.find(kClear);
  ASSERT_NE(first, std::string::npos) << shown;
  EXPECT_NE(shown.find(kClear, first + 1), std::string::npos);
  EXPECT_EQ(shown.find("\x1b[2J\x1b[H"), std::string::npos);

  const ProcessResult dumb = runOnTerminal("A!\n", {{"TERM", "dumb"}});
  EXPECT_EQ(dumb.exitCode, 0) << dumb.standardOutput;
  EXPECT_EQ(dumb.standardOutput.find('\x1b'), std::string::npos)
      << dumb.standardOutput;
}

}  // namespace
}  // namespace shgs
