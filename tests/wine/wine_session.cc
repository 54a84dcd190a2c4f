#include "wine/wine_session.h"

#include <cctype>
#include <csignal>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "e2e/scenario.h"

namespace shgs {
namespace wine_testing {
namespace {

namespace fs = std::filesystem;
using testing_support::makeDirectories;
using testing_support::ProcessResult;
using testing_support::readFile;
using testing_support::runProcess;
using testing_support::writeFile;

constexpr char kWine32[] = "/usr/lib/wine/wine";
constexpr char kWine64[] = "/usr/lib/wine/wine64";
constexpr char kServerKey[] =
    "HKLM\\Software\\Orbital Forge Software\\Starhaul Deluxe Game Server";
constexpr char kTimeLimitSeconds[] = "240";

// Runs "$@" under a time limit of "$1" seconds. When the limit strikes, the
// Wine server is ended too: the Windows processes the program started would
// otherwise keep the output pipes open, and the test would wait for ever.
constexpr char kLimitedRun[] =
    "limit=$1; shift; timeout -k 10 \"$limit\" \"$@\"; status=$?; "
    "if [ $status -eq 124 ] || [ $status -eq 137 ]; then "
    "wineserver -k; wineserver -w; fi; exit $status";

// Wine's background services inherit the output of the first program of a
// session: they are started here with their output sent nowhere. Should
// this program die, the server ends by itself two minutes after the last
// Wine program.
constexpr char kStartServer[] =
    "wineserver -p120 >/dev/null 2>&1 && \"$0\" cmd /c exit >/dev/null 2>&1";

// Runs "$@" with its standard input held open until it has drawn the menu,
// then interrupts it as Ctrl-C does (Wine turns SIGINT into the console's
// Ctrl-C event); the output goes to files in the folder "$T".
constexpr char kInterruptAtTheMenu[] = R"(mkfifo "$T/input" || exit 2
"$@" <"$T/input" >"$T/output" 2>"$T/error" &
program=$!
exec 3>"$T/input"
tries=0
while [ ! -s "$T/output" ] && [ $tries -lt 600 ]; do
  sleep 0.1
  tries=$((tries + 1))
done
kill -INT $program
wait $program)";

WineSession* g_session = nullptr;

// Makes Wine programs read the wall clock as noon on 6 December 2026 in
// EST5EDT (17:00 UTC), the moment the golden reports were made for, plus
// the seconds since. libfaketime does not reach the 64-bit time calls of
// Wine's 32-bit side; the tests' own preload library shifts the clock in
// both bitnesses (the dynamic loader picks one through $LIB).
Environment pinnedClock() {
  std::tm moment{};
  moment.tm_year = 2026 - 1900;
  moment.tm_mon = 11;
  moment.tm_mday = 6;
  moment.tm_hour = 17;
  const std::time_t shift = timegm(&moment) - std::time(nullptr);
  return {{"LD_PRELOAD", SHGS_WINE_HELPERS_DIR "/$LIB/libshgs_clock_shift.so"},
          {"SHGS_CLOCK_SHIFT", std::to_string(shift)}};
}

std::string lowerCase(std::string text) {
  for (char& c : text) {
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return text;
}

std::string viewFlag(bool view64) { return view64 ? "/reg:64" : "/reg:32"; }

}  // namespace

WindowsBuild i686Build() { return {SHGS_WINE_EXPORTER_I686, kWine32}; }
WindowsBuild x86_64Build() { return {SHGS_WINE_EXPORTER_X86_64, kWine64}; }
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
  // Notepad is started by full path: the stand-in takes its place in both
  // system folders (the 32-bit build's is syswow64), and the environment
  // makes Wine prefer it to its builtin Notepad.
  for (const char* folder : {"system32", "syswow64"}) {
    std::error_code error;
    fs::copy_file(SHGS_WINE_HELPERS_DIR "/notepad.exe",
                  driveC() + "/windows/" + folder + "/notepad.exe",
                  fs::copy_options::overwrite_existing, error);
    ASSERT_FALSE(error) << folder << ": " << error.message();
  }
}

void WineSession::TearDown() {
  runLimited({"/bin/sh", "-c", "wineserver -k; wineserver -w"}, root_.path(),
             "");
}

void WineSession::startServer() {
  // A new prefix takes several seconds to build, all in this call.
  const ProcessResult started =
      runLimited({"/bin/sh", "-c", kStartServer, kWine64}, root_.path(), "");
  ASSERT_EQ(started.exitCode, 0)
      << "Wine did not start: " << started.standardError;
}

ProcessResult WineSession::runLimited(const std::vector<std::string>& command,
                                      const std::string& directory,
                                      const std::string& input,
                                      const Environment& extra) {
  Environment environment = {
      {"HOME", root_ / "home"},
      {"WINEPREFIX", root_ / "prefix"},
      {"WINEARCH", "win64"},
      {"WINEDEBUG", "-all"},
      {"PATH", "/usr/bin:/bin"},
      {"WINEDLLOVERRIDES", "notepad.exe=n"},
      // The C runtime reads TZ in its own form, not as a zone name.
      {"TZ", "EST5EDT"},
  };
  for (const auto& [name, value] : pinnedClock()) environment[name] = value;
  for (const auto& [name, value] : extra) environment[name] = value;
  std::vector<std::string> argv = {"/bin/sh", "-c", kLimitedRun, "sh",
                                   kTimeLimitSeconds};
  argv.insert(argv.end(), command.begin(), command.end());
  return runProcess(argv, directory, environment, input);
}

ProcessResult WineSession::run(const std::vector<std::string>& command,
                               const std::string& directory,
                               const std::string& input,
                               const Environment& extra) {
  const ProcessResult result = runLimited(command, directory, input, extra);
  if (result.exitCode == 124 || result.exitCode == 137) {
    ADD_FAILURE() << command.back() << " ran longer than " << kTimeLimitSeconds
                  << " s and was ended";
    startServer();
  }
  return result;
}

void WineSession::installServer(const std::string& description, bool view64) {
  const std::string wanted = viewFlag(view64) + description;
  if (wanted == installed_) return;
  installed_.clear();
  for (const std::string& entry : entries_) fs::remove_all(entry);
  entries_.clear();
  const std::string scratch = root_ / ("server" + std::to_string(++generated_));
  makeDirectories(scratch);
  writeFile(scratch + "/server.txt", description);
  const ProcessResult made = runProcess(
      {SHGS_MAKE_SERVER_PATH, "--reg", "server.reg", "server.txt", "prefix"},
      scratch, {}, "");
  ASSERT_EQ(made.exitCode, 0) << made.standardError;
  for (const auto& entry :
       fs::directory_iterator(scratch + "/prefix/drive_c")) {
    const std::string name = entry.path().filename().string();
    // Wine finds files regardless of case.
    for (const auto& own : fs::directory_iterator(driveC())) {
      ASSERT_NE(lowerCase(own.path().filename().string()), lowerCase(name))
          << "C:\\" << name << " belongs to Wine itself";
    }
    entries_.push_back(driveC() + "/" + name);
    fs::copy(entry.path(), entries_.back(), fs::copy_options::recursive);
  }
  // The vendor key in neither view, then the server's keys in its own.
  for (bool each : {false, true}) {
    run({kWine64, "reg", "delete", "HKLM\\Software\\Orbital Forge Software",
         "/f", viewFlag(each)},
        scratch, "");
  }
  const ProcessResult imported = run(
      {kWine64, "reg", "import", "server.reg", viewFlag(view64)}, scratch, "");
  ASSERT_EQ(imported.exitCode, 0) << imported.standardError;
  installed_ = wanted;
  view64_ = view64;
}

void WineSession::setValue(const std::string& key, const std::string& name,
                           const std::string& text) {
  const std::string path =
      std::string(kServerKey) + (key.empty() ? "" : "\\" + key);
  const ProcessResult added = run({kWine64, "reg", "add", path, "/v", name,
                                   "/d", text, "/f", viewFlag(view64_)},
                                  root_.path(), "");
  ASSERT_EQ(added.exitCode, 0) << added.standardError;
  installed_.clear();
}

namespace {

// The Windows program under Wine, started in drive C's "start".
class WineStage : public scenario::Stage {
 public:
  void install(const scenario::Row& row,
               const std::string& description) override {
    ASSERT_NO_FATAL_FAILURE(
        wineSession().installServer(description, row.view64));
    makeDirectories(wineSession().driveC() + "/start");
  }

  scenario::Scene scene() override {
    scenario::Scene scene;
    scene.driveC = wineSession().driveC();
    scene.temp = temp_.path();
    scene.setValue = [](const std::string& key, const std::string& name,
                        const std::string& text) {
      wineSession().setValue(key, name, text);
    };
    scene.shortName = [this](const std::string& windowsPath) {
      writeFile(temp_ / "short.bat",
                "@for %%I in (\"" + windowsPath + "\") do @echo %%~sI\r\n");
      return testing_support::replaceAll(
          wineSession()
              .run({kWine32, "cmd", "/c", "short.bat"}, temp_.path(), "")
              .standardOutput,
          "\r\n", "");
    };
    return scene;
  }

  ProcessResult run(const scenario::Row&, const scenario::Variant& run,
                    scenario::Scene& scene) override {
    const WindowsBuild build = run.sixtyFourBit ? x86_64Build() : i686Build();
    std::vector<std::string> command = {build.loader, build.executable};
    command.insert(command.end(), run.arguments.begin(), run.arguments.end());
    const std::string start = scene.at("start");
    if (run.signal == 0) {
      return wineSession().run(command, start, scene.input, run.environment);
    }
    EXPECT_EQ(run.signal, SIGINT) << "Wine gets Ctrl-C alone";
    command.insert(command.begin(),
                   {"/bin/sh", "-c", kInterruptAtTheMenu, "sh"});
    Environment environment = run.environment;
    environment["T"] = temp_.path();
    ProcessResult result = wineSession().run(command, start, "", environment);
    result.standardOutput = readFile(temp_ / "output");
    result.standardError = readFile(temp_ / "error");
    return result;
  }

  // The installed server's files, and someone else's beside them.
  testing_support::TreeState serverState() override {
    testing_support::TreeState state;
    std::vector<std::string> roots = wineSession().installedEntries();
    roots.push_back(wineSession().driveC() + "/victim");
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
    const std::string start = wineSession().driveC() + "/start";
    const auto& installed = wineSession().installedEntries();
    if (changed || std::find(installed.begin(), installed.end(), start) !=
                       installed.end()) {
      wineSession().serverChanged();
    }
    fs::remove_all(start);
    fs::remove_all(wineSession().driveC() + "/victim");
  }

 private:
  testing_support::TempDir temp_;
};

}  // namespace
}  // namespace wine_testing

std::unique_ptr<scenario::Stage> scenario::makeStage() {
  return std::make_unique<wine_testing::WineStage>();
}

}  // namespace shgs
