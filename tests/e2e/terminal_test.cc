// Whole runs on a pseudo-terminal (script(1)), which shows line ends as
// CR LF: a message that ends a run gets a line end when standard error is a
// terminal, so that the shell's prompt starts a line of its own, whatever
// standard output is; each menu pass clears the screen and its scrollback,
// except on a dumb terminal.
#include <gtest/gtest.h>

#include <string>

#include "e2e/scenario.h"
#include "support/exporter_run.h"

namespace shgs {
namespace {

using testing_support::ProcessResult;
using testing_support::readFile;
using testing_support::replaceAll;

constexpr char kScript[] = "/usr/bin/script";
constexpr char kClear[] = "\x1b[H\x1b[2J\x1b[3J";

class TerminalTest : public testing_support::ExporterRunTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testing_support::fileExists(kScript))
        << "script(1) is missing (bsdutils)";
    makeServer(scenario::defaultServer());
  }

  // What the terminal shows of a run whose standard streams are on it but
  // for the shell redirection "redirected".
  ProcessResult onTerminal(const std::string& redirected,
                           const std::string& input,
                           testing_support::Environment extra = {}) {
    extra.emplace("TERM", "xterm");
    const std::string quoted =
        "'" + replaceAll(SHGS_EXPORTER_PATH, "'", "'\\''") + "'";
    testing_support::ProcessOptions options;
    options.arguments = {"--quiet", "--return", "--command",
                         quoted + " " + redirected, "/dev/null"};
    options.input = input;
    return runProgram(kScript, options, extra);
  }
};

bool endsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() &&
         text.compare(text.size() - end.size(), end.size(), end) == 0;
}

TEST_F(TerminalTest, FinalMessageEndsItsLineWhenStandardErrorIsATerminal) {
  const struct {
    const char* prefix;  // relative to the temporary folder
    const char* input;
    const char* message;
  } cases[] = {
      {"no-prefix", "!\n", "Make sure SHGS is installed on this PC."},
      {"prefix", "A\n",
       "Input ended before the options were confirmed; no report was "
       "written."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    const testing_support::Environment prefix = {
        {"WINEPREFIX", temp_ / c.prefix}};
    const std::string errors = temp_ / "errors.txt";
    const ProcessResult shown = onTerminal(">/dev/null", c.input, prefix);
    EXPECT_EQ(shown.exitCode, 1);
    EXPECT_TRUE(endsWith(shown.standardOutput, c.message + std::string("\r\n")))
        << shown.standardOutput;
    const ProcessResult filed =
        onTerminal("2>'" + errors + "'", c.input, prefix);
    EXPECT_EQ(filed.exitCode, 1);
    EXPECT_TRUE(endsWith(readFile(errors), c.message)) << readFile(errors);
  }
}

TEST_F(TerminalTest, MenuClearsScreenAndScrollbackUnlessTerminalIsDumb) {
  const ProcessResult capable = onTerminal("", "A!\n");
  EXPECT_EQ(capable.exitCode, 0) << capable.standardOutput;
  // One clearing before the menu is drawn, one after the word is read.
  const std::string& shown = capable.standardOutput;
  const std::size_t first = shown.find(kClear);
  ASSERT_NE(first, std::string::npos) << shown;
  EXPECT_NE(shown.find(kClear, first + 1), std::string::npos);
  EXPECT_EQ(shown.find("\x1b[2J\x1b[H"), std::string::npos);

  const ProcessResult dumb = onTerminal("", "A!\n", {{"TERM", "dumb"}});
  EXPECT_EQ(dumb.exitCode, 0) << dumb.standardOutput;
  EXPECT_EQ(dumb.standardOutput.find('\x1b'), std::string::npos)
      << dumb.standardOutput;
}

}  // namespace
}  // namespace shgs
