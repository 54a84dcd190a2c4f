#ifndef SHGS_TESTS_WINE_WINE_SESSION_H_
#define SHGS_TESTS_WINE_WINE_SESSION_H_

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace shgs {
namespace wine_testing {

using ProcessEnvironment = std::map<std::string, std::string>;

// The registry view a server is installed into and an executable reads:
// a 32-bit installer writes below Software\Wow6432Node on 64-bit Windows.
enum class View { k32, k64 };

// One of the two Windows builds and the Wine loader that runs it.
struct WindowsBuild {
  std::string name;        // "i686" or "x86_64", for messages
  std::string executable;  // host path of shgs-exporter.exe
  std::string loader;      // the Wine loader of its bitness
  View view;               // the registry view it reads
};

WindowsBuild i686Build();
WindowsBuild x86_64Build();

// One Wine prefix for the whole test program: created fresh in a temporary
// directory, with the Notepad stand-in (notepad.exe of the tests' helpers)
// as the system's Notepad, its Wine server kept running between tests and
// ended at the end. Every Wine program runs under a time limit; one that
// exceeds it ends the Wine server, so that no process is left holding the
// test's pipes, and the next call starts a new one.
class WineSession : public ::testing::Environment {
 public:
  void SetUp() override;
  void TearDown() override;

  // Runs "command" (a Wine loader and its arguments) in "directory" with
  // "input" on standard input, in the session's environment plus "extra".
  testing_support::ProcessResult run(const std::vector<std::string>& command,
                                     const std::string& directory,
                                     const std::string& input,
                                     const ProcessEnvironment& extra = {});

  // Makes the server that "description" (a shgs-make-server description)
  // describes the installed one: its keys, and nothing else below the
  // vendor key, in "view" of the registry, and its files below drive_c.
  // Does nothing when that server is installed already and unchanged.
  void installServer(const std::string& description, View view);

  // Tells installServer that a test changed the installed server's files.
  void serverChanged() { installedServer_.clear(); }

  // Host paths of the installed server's top-level entries below drive_c.
  const std::vector<std::string>& installedEntries() const {
    return installedEntries_;
  }

  std::string driveC() const { return root_ / "prefix/drive_c"; }
  std::string helpersDirectory() const { return SHGS_WINE_HELPERS_DIR; }

 private:
  ProcessEnvironment environment(const ProcessEnvironment& extra) const;
  testing_support::ProcessResult runLimited(
      const std::vector<std::string>& command, const std::string& directory,
      const std::string& input, const ProcessEnvironment& extra = {});
  void startServer();
  void installNotepadStandIn();
  void endServer();
  void removeInstalledFiles();
  void copyServerFiles(const std::string& generatedDriveC);
  void importKeys(const std::string& regFileDirectory, View view);

  testing_support::TempDir root_;
  std::string installedServer_;
  std::vector<std::string> installedEntries_;
  int generated_ = 0;
};

// The session of the running test program.
WineSession& wineSession();

}  // namespace wine_testing
}  // namespace shgs

#endif  // SHGS_TESTS_WINE_WINE_SESSION_H_
