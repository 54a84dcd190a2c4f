#include "wine/wine_session.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace shgs {
namespace wine_testing {
namespace {

namespace fs = std::filesystem;
using testing_support::makeDirectories;
using testing_support::ProcessResult;
using testing_support::runProcess;

constexpr char kWine32[] = "/usr/lib/wine/wine";
constexpr char kWine64[] = "/usr/lib/wine/wine64";
constexpr char kVendorKey[] = "HKLM\\Software\\Orbital Forge Software";
constexpr char kTimeLimitSeconds[] = "240";
constexpr char kNotepadStandIn[] = "notepad.exe=n";

// Runs "$@" under a time limit of "$1" seconds. When the limit strikes, the
// Wine server is ended too: the Windows processes the program started would
// otherwise keep the output pipes open, and the test would wait for ever.
constexpr char kLimitedRun[] =
    "limit=$1; shift; timeout -k 10 \"$limit\" \"$@\"; status=$?; "
    "if [ $status -eq 124 ] || [ $status -eq 137 ]; then "
    "wineserver -k; wineserver -w; fi; exit $status";

// Wine's background services inherit the output of the first program of a
// session: they are started here with their output sent nowhere. The server
// stays up between tests and, should this program die before ending it,
// ends by itself two minutes after the last Wine program.
constexpr char kStartServer[] =
    "wineserver -p120 >/dev/null 2>&1 && \"$0\" cmd /c exit >/dev/null 2>&1";

constexpr char kEndServer[] = "wineserver -k; wineserver -w";

WineSession* g_session = nullptr;

bool timedOut(const ProcessResult& result) {
  return result.exitCode == 124 || result.exitCode == 137;
}

std::string viewFlag(View view) {
  return view == View::k32 ? "/reg:32" : "/reg:64";
}

std::string lowerCase(std::string text) {
  for (char& c : text) {
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return text;
}

// Wine finds files regardless of case, so "name" must not clash with any
// entry of "directory" in any case.
bool hasEntryIgnoringCase(const fs::path& directory, const std::string& name) {
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(directory, ignored)) {
    if (lowerCase(entry.path().filename().string()) == lowerCase(name)) {
      return true;
    }
  }
  return false;
}

}  // namespace

WindowsBuild i686Build() {
  return {"i686", SHGS_WINE_EXPORTER_I686, kWine32, View::k32};
}

WindowsBuild x86_64Build() {
  return {"x86_64", SHGS_WINE_EXPORTER_X86_64, kWine64, View::k64};
}

WineSession& wineSession() { return *g_session; }

void WineSession::SetUp() {
  g_session = this;
  for (const WindowsBuild& build : {i686Build(), x86_64Build()}) {
    ASSERT_TRUE(testing_support::fileExists(build.executable))
        << build.executable << " is missing: run scripts/build-windows";
  }
  makeDirectories(root_ / "home");
  // The Wine server needs the prefix directory; Wine fills it.
  makeDirectories(root_ / "prefix");
  startServer();
  installNotepadStandIn();
}

void WineSession::TearDown() { endServer(); }

ProcessEnvironment WineSession::environment(
    const ProcessEnvironment& extra) const {
  ProcessEnvironment all = {
      {"HOME", root_ / "home"},
      {"WINEPREFIX", root_ / "prefix"},
      {"WINEARCH", "win64"},
      {"WINEDEBUG", "-all"},
      {"WINEDLLOVERRIDES", kNotepadStandIn},
      {"PATH", "/usr/bin:/bin"},
      // The C runtime reads TZ in its own form, not as a zone name.
      {"TZ", "EST5EDT"},
  };
  for (const auto& [name, value] : extra) all[name] = value;
  return all;
}

void WineSession::startServer() {
  // A new prefix takes several seconds to build, all in this call.
  const ProcessResult started =
      runLimited({"/bin/sh", "-c", kStartServer, kWine64}, root_.path(), "");
  ASSERT_EQ(started.exitCode, 0)
      << "Wine did not start: " << started.standardError;
}

// The exporter starts the system's Notepad by full path: the stand-in takes
// its place in both system directories (the 32-bit build's is syswow64),
// and the environment makes Wine prefer it to its builtin Notepad.
void WineSession::installNotepadStandIn() {
  for (const char* directory : {"system32", "syswow64"}) {
    std::error_code error;
    fs::copy_file(helpersDirectory() + "/notepad.exe",
                  driveC() + "/windows/" + directory + "/notepad.exe",
                  fs::copy_options::overwrite_existing, error);
    ASSERT_FALSE(error) << directory << ": " << error.message();
  }
}

void WineSession::endServer() {
  runProcess({"/bin/sh", "-c", kEndServer}, root_.path(), environment({}), "");
}

ProcessResult WineSession::runLimited(const std::vector<std::string>& command,
                                      const std::string& directory,
                                      const std::string& input,
                                      const ProcessEnvironment& extra) {
  std::vector<std::string> argv = {"/bin/sh", "-c", kLimitedRun, "sh",
                                   kTimeLimitSeconds};
  argv.insert(argv.end(), command.begin(), command.end());
  return runProcess(argv, directory, environment(extra), input);
}

ProcessResult WineSession::run(const std::vector<std::string>& command,
                               const std::string& directory,
                               const std::string& input,
                               const ProcessEnvironment& extra) {
  const ProcessResult result = runLimited(command, directory, input, extra);
  if (timedOut(result)) {
    ADD_FAILURE() << command.back() << " ran longer than " << kTimeLimitSeconds
                  << " s and was ended";
    startServer();
  }
  return result;
}

void WineSession::installServer(const std::string& description, View view) {
  const std::string wanted = description + " in " + viewFlag(view);
  if (wanted == installedServer_) return;
  installedServer_.clear();
  removeInstalledFiles();
  const std::string scratch = root_ / ("server" + std::to_string(++generated_));
  makeDirectories(scratch);
  const ProcessResult made =
      runProcess({SHGS_MAKE_SERVER_PATH, "--reg", scratch + "/server.reg",
                  description, scratch + "/prefix"},
                 scratch, {{"PATH", "/usr/bin:/bin"}}, "");
  ASSERT_EQ(made.exitCode, 0) << made.standardError;
  ASSERT_NO_FATAL_FAILURE(copyServerFiles(scratch + "/prefix/drive_c"));
  ASSERT_NO_FATAL_FAILURE(importKeys(scratch, view));
  installedServer_ = wanted;
}

void WineSession::removeInstalledFiles() {
  for (const std::string& entry : installedEntries_) {
    std::error_code ignored;
    fs::remove_all(entry, ignored);
  }
  installedEntries_.clear();
}

void WineSession::copyServerFiles(const std::string& generatedDriveC) {
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(generatedDriveC, error)) {
    const std::string name = entry.path().filename().string();
    ASSERT_FALSE(hasEntryIgnoringCase(driveC(), name))
        << "C:\\" << name << " belongs to Wine itself";
    const fs::path target = fs::path(driveC()) / name;
    installedEntries_.push_back(target.string());
    fs::copy(entry.path(), target, fs::copy_options::recursive, error);
    ASSERT_FALSE(error) << "copying " << name << ": " << error.message();
  }
  ASSERT_FALSE(error) << generatedDriveC << ": " << error.message();
}

// Leaves the vendor key in neither view, then imports the server's keys into
// "view" with Wine's own reg.exe.
void WineSession::importKeys(const std::string& regFileDirectory, View view) {
  for (View each : {View::k32, View::k64}) {
    // Fails when the key is not there, which is as good.
    run({kWine64, "reg", "delete", kVendorKey, "/f", viewFlag(each)},
        regFileDirectory, "");
  }
  const ProcessResult imported =
      run({kWine64, "reg", "import", "server.reg", viewFlag(view)},
          regFileDirectory, "");
  ASSERT_EQ(imported.exitCode, 0) << imported.standardError;
}

}  // namespace wine_testing
}  // namespace shgs
