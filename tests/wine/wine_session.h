#ifndef SHGS_TESTS_WINE_WINE_SESSION_H_
#define SHGS_TESTS_WINE_WINE_SESSION_H_

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_support.h"

namespace shgs {
namespace wine_testing {

using testing_support::Environment;

// One of the two Windows builds and the Wine loader that runs it; the
// server's installer is 32-bit, so on 64-bit Windows its keys are in the
// 32-bit view, which the i686 build reads.
struct WindowsBuild {
  std::string executable;  // host path of shgs-exporter.exe
  std::string loader;      // the Wine loader of its bitness
};
WindowsBuild i686Build();
WindowsBuild x86_64Build();

// One Wine prefix for the whole test program: created fresh in a temporary
// directory, with the Notepad stand-in (the tests' notepad.exe, which
// records its arguments and what it was shown in the folder it runs in) as
// the system's Notepad, its Wine server kept running between tests. Every
// Wine program runs under a time limit; one that exceeds it ends the Wine
// server, so that no process is left holding the test's pipes. Wall clocks
// read the moment the golden reports were made for.
class WineSession : public ::testing::Environment {
 public:
  void SetUp() override;
  void TearDown() override;

  // Runs "command" (a Wine loader and its arguments) in "directory" with
  // "input" on standard input, in the session's environment plus "extra".
  testing_support::ProcessResult run(const std::vector<std::string>& command,
                                     const std::string& directory,
                                     const std::string& input,
                                     const Environment& extra = {});

  // Makes the server that "description" (a shgs-make-server description)
  // describes the installed one: its keys, and nothing else below the
  // vendor key, in the 64-bit view or the 32-bit one, and its files below
  // drive C. Does nothing when that server is installed already and
  // unchanged since.
  void installServer(const std::string& description, bool view64);
  // Tells installServer that the installed server changed.
  void serverChanged() { installed_.clear(); }
  // Sets a value below the installed server's key ("" or "Games\A").
  void setValue(const std::string& key, const std::string& name,
                const std::string& text);

  // Host paths of the installed server's top-level entries below drive C.
  const std::vector<std::string>& installedEntries() const { return entries_; }
  std::string driveC() const { return root_ / "prefix/drive_c"; }

 private:
  testing_support::ProcessResult runLimited(
      const std::vector<std::string>& command, const std::string& directory,
      const std::string& input, const Environment& extra = {});
  void startServer();

  testing_support::TempDir root_;
  std::string installed_;
  bool view64_ = false;
  std::vector<std::string> entries_;
  int generated_ = 0;
};

// The session of the running test program.
WineSession& wineSession();

}  // namespace wine_testing
}  // namespace shgs

#endif  // SHGS_TESTS_WINE_WINE_SESSION_H_
