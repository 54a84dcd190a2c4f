// The Windows executables under Wine, on Windows' own components: Wine's
// registry filled by its reg.exe and listed by the program, the system's
// Notepad (the tests' stand-in, which records its arguments and what it was
// shown in the folder it runs in) and the C runtime. The whole-run rows,
// golden reports among them, come from tests/e2e/scenario_test.cc; this file
// gives them their stage, and tests the release zip.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <strings.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <iostream>

#include "e2e/scenario.h"

namespace shgs {
namespace {

namespace fs = std::filesystem;
using scenario::Row;
using scenario::Scene;
using ::testing::HasSubstr;
using ::testing::Not;
using testing_support::makeDirectories;
using testing_support::ProcessResult;
using testing_support::readFile;
using testing_support::replaceAll;
using testing_support::runProcess;
using testing_support::TempDir;
using testing_support::writeFile;
using Variables = testing_support::Environment;

// The Wine loaders, called directly: Debian's "wine" picks the 32-bit one
// wherever it is installed, even where the kernel cannot run it.
constexpr char kWine32[] = "/usr/lib/wine/wine";
constexpr char kWine64[] = "/usr/lib/wine/wine64";
constexpr char kServerKey[] =
    "HKLM\\Software\\Orbital Forge Software\\Starhaul Deluxe Game Server";
constexpr char kReport[] = "SHGS Game Data.TXT";

// Runs "$@" under a time limit of "$1" seconds. When the limit strikes, the
// Wine server is ended too: the Windows processes the program started would
// otherwise keep the output pipes open, and the test would wait for ever.
constexpr char kLimitedRun[] =
    "limit=$1; shift; timeout -k 10 \"$limit\" \"$@\"; status=$?; "
    "if [ $status -eq 124 ] || [ $status -eq 137 ]; then "
    "wineserver -k; wineserver -w; fi; exit $status";

// Wine's background services inherit the output of the first program of a
// session: they are started with their output sent nowhere. Should this
// program die, the server ends by itself two minutes after the last one.
constexpr char kStartServer[] =
    "wineserver -p120 >/dev/null 2>&1 && \"$0\" cmd /c exit >/dev/null 2>&1";

// Runs "$@" with its standard input held open until it has drawn the menu,
// then interrupts it as Ctrl-C does (Wine turns SIGINT into the console's
// Ctrl-C event); the output goes to files in the folder "$T".
constexpr char kInterruptAtTheMenu[] = R"(mkfifo "$T/input" || exit 2
"$@" <"$T/input" >"$T/output" 2>"$T/error" &
exec 3>"$T/input"
tries=0
while [ ! -s "$T/output" ] && [ $tries -lt 600 ]; do
  sleep 0.1
  tries=$((tries + 1))
done
kill -INT $!
wait $!)";

std::string viewFlag(bool view64) { return view64 ? "/reg:64" : "/reg:32"; }

// Which Windows program this test process runs, and whether the host can run
// the 32-bit one at all (tried once, at start).
struct Tier {
  bool program64 = false;
  bool hostRuns32Bit = true;
};
Tier g_tier;

const char* loaderFor(bool build64) { return build64 ? kWine64 : kWine32; }
std::string architectureOf(bool build64) { return build64 ? "x86_64" : "i686"; }

// One Wine prefix for the whole test program, created fresh, with the
// Notepad stand-in as the system's Notepad and its Wine server kept running
// between tests. Wine programs read the wall clock as the moment the golden
// reports were made for, and run under a time limit.
class WineSession : public ::testing::Environment {
 public:
  void SetUp() override {
    const char* exe =
        g_tier.program64 ? SHGS_WINE_EXPORTER_X86_64 : SHGS_WINE_EXPORTER_I686;
    ASSERT_TRUE(fs::exists(exe)) << exe << ": run scripts/build-windows";
    makeDirectories(root_ / "home");
    makeDirectories(root_ / "prefix");  // the Wine server needs it
    startServer();
    // Notepad is started by full path: the stand-in takes its place in each
    // system folder the host can run (the 32-bit programs' is syswow64), and
    // the environment makes Wine prefer it to its builtin Notepad.
    for (bool build64 : {true, false}) {
      if (!build64 && !g_tier.hostRuns32Bit) continue;
      fs::copy_file(helpers(build64) + "/notepad.exe",
                    driveC() + "/windows/" +
                        (build64 ? "system32" : "syswow64") + "/notepad.exe",
                    fs::copy_options::overwrite_existing);
    }
  }

  // The tests' own Windows programs, built for "build64"'s architecture.
  static std::string helpers(bool build64) {
    return SHGS_WINE_HELPERS_DIR "/" + architectureOf(build64);
  }

  void TearDown() override {
    run({"/bin/sh", "-c", "wineserver -k; wineserver -w"}, root_.path(), "");
  }

  // Runs "command" (a Wine loader and its arguments) in "folder" with
  // "input" on standard input, in the session's environment plus "extra".
  ProcessResult run(const std::vector<std::string>& command,
                    const std::string& folder, const std::string& input,
                    const Variables& extra = {}) {
    // Noon on 6 December 2026 in EST5EDT, 17:00 UTC. libfaketime does not
    // reach the 64-bit time calls of Wine's 32-bit side: the tests' own
    // preload library shifts the clock, in the bitness $LIB picks.
    constexpr std::time_t kPinned = 1796576400;
    Variables environment = {
        {"HOME", root_ / "home"},
        {"WINEPREFIX", root_ / "prefix"},
        {"WINEARCH", "win64"},
        {"WINEDEBUG", "-all"},
        {"PATH", "/usr/bin:/bin"},
        {"WINEDLLOVERRIDES", "notepad.exe=n"},
        // The C runtime reads TZ in its own form, not as a zone name.
        {"TZ", "EST5EDT"},
        {"LD_PRELOAD", SHGS_WINE_HELPERS_DIR "/$LIB/libshgs_clock_shift.so"},
        {"SHGS_CLOCK_SHIFT", std::to_string(kPinned - std::time(nullptr))}};
    for (const auto& [name, value] : extra) environment[name] = value;
    std::vector<std::string> argv = {"/bin/sh", "-c", kLimitedRun, "sh", "240"};
    argv.insert(argv.end(), command.begin(), command.end());
    const ProcessResult result = runProcess(argv, folder, environment, input);
    if (result.exitCode == 124 || result.exitCode == 137) {
      ADD_FAILURE() << command.back() << " ran too long and was ended";
      startServer();
    }
    return result;
  }

  // Makes the server of "description" (for shgs-make-server) the installed
  // one: its keys alone below the vendor key, in the 64-bit view or the
  // 32-bit one, and its files on drive C. Does nothing when that server is
  // installed and unchanged since.
  void installServer(const std::string& description, bool view64) {
    if (viewFlag(view64) + description == installed_) return;
    installed_.clear();
    for (const std::string& entry : entries_) fs::remove_all(entry);
    entries_.clear();
    const std::string scratch = root_ / ("server" + std::to_string(++made_));
    makeDirectories(scratch);
    writeFile(scratch + "/server.txt", description);
    const ProcessResult made = runProcess(
        {SHGS_MAKE_SERVER_PATH, "--reg", "server.reg", "server.txt", "prefix"},
        scratch, {}, "");
    ASSERT_EQ(made.exitCode, 0) << made.standardError;
    for (const auto& entry :
         fs::directory_iterator(scratch + "/prefix/drive_c")) {
      const std::string name = entry.path().filename().string();
      for (const auto& own : fs::directory_iterator(driveC())) {  // any case
        ASSERT_NE(strcasecmp(own.path().filename().c_str(), name.c_str()), 0)
            << "C:\\" << name << " belongs to Wine itself";
      }
      entries_.push_back(driveC() + "/" + name);
      fs::copy(entry.path(), entries_.back(), fs::copy_options::recursive);
    }
    for (bool each : {false, true}) {  // fails where there is none: as good
      run({kWine64, "reg", "delete", "HKLM\\Software\\Orbital Forge Software",
           "/f", viewFlag(each)},
          scratch, "");
    }
    const ProcessResult imported =
        run({kWine64, "reg", "import", "server.reg", viewFlag(view64)}, scratch,
            "");
    ASSERT_EQ(imported.exitCode, 0) << imported.standardError;
    installed_ = viewFlag(view64) + description;
  }

  // Sets a value below the installed server's key ("" or "Games\A").
  void setValue(const std::string& key, const std::string& name,
                const std::string& text) {
    const ProcessResult added =
        run({kWine64, "reg", "add",
             kServerKey + std::string(key.empty() ? "" : "\\" + key), "/v",
             name, "/d", text, "/f", installed_.substr(0, 7)},
            root_.path(), "");
    ASSERT_EQ(added.exitCode, 0) << added.standardError;
  }

  void serverChanged() { installed_.clear(); }
  const std::vector<std::string>& installedEntries() const { return entries_; }
  std::string driveC() const { return root_ / "prefix/drive_c"; }

 private:
  void startServer() {
    // A new prefix takes several seconds to build, all in this call.
    const ProcessResult started =
        run({"/bin/sh", "-c", kStartServer, kWine64}, root_.path(), "");
    ASSERT_EQ(started.exitCode, 0)
        << "Wine did not start: " << started.standardError;
  }

  TempDir root_;
  std::string installed_;  // its view flag, then its description
  std::vector<std::string> entries_;
  int made_ = 0;
};

WineSession* g_session = nullptr;

// The Windows program under Wine, started in drive C's "start".
class WineStage : public scenario::Stage {
 public:
  Scene install(const Row& row, const std::string& description) override {
    g_session->installServer(description, row.view64);
    makeDirectories(g_session->driveC() + "/start");
    Scene scene;
    scene.driveC = g_session->driveC();
    scene.temp = temp_.path();
    scene.setValue = [](const std::string& key, const std::string& name,
                        const std::string& text) {
      g_session->setValue(key, name, text);
    };
    scene.shortName = [this](const std::string& windowsPath) {
      writeFile(temp_ / "short.bat",
                "@for %%I in (\"" + windowsPath + "\") do @echo %%~sI\r\n");
      return replaceAll(
          g_session->run({kWine64, "cmd", "/c", "short.bat"}, temp_.path(), "")
              .standardOutput,
          "\r\n", "");
    };
    scene.windowsHelpers = WineSession::helpers(row.build64);
    return scene;
  }

  ProcessResult run(const Row& row, Scene& scene) override {
    std::vector<std::string> command = {
        loaderFor(row.build64),
        row.build64 ? SHGS_WINE_EXPORTER_X86_64 : SHGS_WINE_EXPORTER_I686};
    command.insert(command.end(), row.arguments.begin(), row.arguments.end());
    const std::string start = scene.at("start");
    if (row.signal == 0) {
      return g_session->run(command, start, scene.input, row.environment);
    }
    EXPECT_EQ(row.signal, SIGINT) << "Wine gets Ctrl-C alone";
    command.insert(command.begin(),
                   {"/bin/sh", "-c", kInterruptAtTheMenu, "sh"});
    Variables environment = row.environment;
    environment["T"] = temp_.path();
    ProcessResult result = g_session->run(command, start, "", environment);
    result.standardOutput = readFile(temp_ / "output");
    result.standardError = readFile(temp_ / "error");
    return result;
  }

  // The installed server's files, and someone else's beside them.
  testing_support::TreeState serverState() override {
    testing_support::TreeState state;
    std::vector<std::string> roots = g_session->installedEntries();
    roots.push_back(g_session->driveC() + "/victim");
    for (const std::string& root : roots) {
      const std::string name = fs::path(root).filename().string();
      if (name == "start") continue;
      for (const auto& [path, entry] : testing_support::treeStateOf(root)) {
        state[name + "/" + path] = entry;
      }
    }
    return state;
  }

  void finish(bool changed) override {
    const std::string start = g_session->driveC() + "/start";
    const auto& installed = g_session->installedEntries();
    if (changed || std::count(installed.begin(), installed.end(), start)) {
      g_session->serverChanged();
    }
    fs::remove_all(start);
    fs::remove_all(g_session->driveC() + "/victim");
  }

 private:
  TempDir temp_;
};

// The report of stock_server's run "%A!", as Windows writes it.
std::string stockPlainReport() {
  return replaceAll(
      readFile(SHGS_TESTDATA_DIR "/golden/stock_server/plain.expected"), "\n",
      "\r\n");
}

// The release zip, unpacked into a folder of its own; "folder_" is the one
// folder it holds. The server is stock_server.
class ReleaseZipTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fs::exists(SHGS_WINE_RELEASE_ZIP)) << "build the package";
    ASSERT_EQ(runProcess({SHGS_CMAKE_COMMAND, "-E", "tar", "xf",
                          SHGS_WINE_RELEASE_ZIP},
                         unpacked_.path(), {}, "")
                  .exitCode,
              0);
    const std::set<std::string> folders =
        testing_support::entriesOf(unpacked_.path());
    ASSERT_EQ(folders.size(), 1u);
    folder_ = unpacked_ / *folders.begin();
    ASSERT_NO_FATAL_FAILURE(g_session->installServer(
        readFile(SHGS_TESTDATA_DIR "/golden/stock_server/server.txt"), false));
  }

  TempDir unpacked_;
  TempDir start_;
  std::string folder_;
};

// The program runs as unpacked (scripts/test-release checks the zip's files).
TEST_F(ReleaseZipTest, ProgramRunsAsUnpacked) {
  const ProcessResult result = g_session->run(
      {kWine32, folder_ + "/shgs-exporter.exe"}, start_.path(), "%A!\n");
  EXPECT_EQ(result.exitCode, 0) << result.standardError;
  EXPECT_EQ(readFile(start_ / kReport), stockPlainReport());
}

// Started from anywhere, as Explorer does on a double-click, the launcher
// runs the program in its own folder, where the report lands; after a run
// that ends on a problem it waits for a key, so that the window stays open
// with the message.
TEST_F(ReleaseZipTest, LauncherRunsTheProgramInItsFolderAndWaitsAfterAProblem) {
  const auto launch = [&](const std::string& input) {
    return g_session->run(
        {kWine32, "cmd", "/c",
         "Z:" + replaceAll(folder_ + "/Run exporter.cmd", "/", "\\")},
        start_.path(), input);
  };
  const ProcessResult completed = launch("%A!\n");
  EXPECT_EQ(completed.exitCode, 0) << completed.standardError;
  EXPECT_EQ(readFile(folder_ + "/" + kReport), stockPlainReport());
  EXPECT_FALSE(fs::exists(start_ / kReport));
  EXPECT_THAT(completed.standardOutput, Not(HasSubstr("Press any key")));

  const ProcessResult failed = launch("$ missing\\report.txt\n!\n");
  EXPECT_EQ(failed.exitCode, 1);
  EXPECT_THAT(failed.standardError, HasSubstr("Failed to create output file."));
  EXPECT_THAT(failed.standardOutput, HasSubstr("Press any key"));
}

// Why the host runs no 32-bit program; empty when it does.
std::string why32BitCodeDoesNotRun() {
  const ProcessResult tried =
      runProcess({SHGS_RUNS_32_BIT_CODE}, fs::temp_directory_path(),
                 {{"PATH", "/usr/bin:/bin"}}, "");
  return tried.exitCode == 0 ? "" : replaceAll(tried.standardOutput, "\n", "");
}

}  // namespace

std::unique_ptr<scenario::Stage> scenario::makeStage() {
  return std::make_unique<WineStage>();
}

// A row of the 32-bit program runs in the 32-bit tier; where the host runs
// no 32-bit code it runs in the 64-bit tier instead, as the 64-bit program
// with the server in the view that program reads, unless the row is about
// the 32-bit program's own view.
bool scenario::takesRow(Row& row) {
  if (!row.build64 && !g_tier.hostRuns32Bit) {
    if (row.view64) return false;
    row.build64 = row.view64 = true;
  }
  return row.build64 == g_tier.program64;
}

}  // namespace shgs

int main(int argc, char** argv) {
  using shgs::g_tier;
  // Decided before the rows are made, which InitGoogleTest does.
  const char* program = std::getenv("SHGS_WINDOWS_PROGRAM");
  g_tier.program64 = program != nullptr && std::string(program) == "64";
  const std::string why = shgs::why32BitCodeDoesNotRun();
  g_tier.hostRuns32Bit = why.empty();
  if (!g_tier.program64 && !g_tier.hostRuns32Bit) {
    std::cout << "32-bit Windows program not run: " << why << std::endl;
    return 77;  // CTest's SKIP_RETURN_CODE
  }
  ::testing::InitGoogleTest(&argc, argv);
  // One Wine prefix for every test: a new one takes several seconds.
  shgs::g_session = new shgs::WineSession;
  ::testing::AddGlobalTestEnvironment(shgs::g_session);
  return RUN_ALL_TESTS();
}
