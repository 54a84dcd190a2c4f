#ifndef SHGS_TESTS_E2E_SCENARIO_H_
#define SHGS_TESTS_E2E_SCENARIO_H_

// Whole runs as rows of one table (scenario_test.cc): the server and the
// start folder, the input, and how the run must end, for the POSIX program
// and for the Windows one under Wine. A row is built in a few calls:
//
//   Row("GameFolderMissing").spoiled(removes("SHGS/GAME/A"))
//       .stops("<C>/SHGS/GAME/A: No such file or directory",
//              "Failed to enter directory C:\\SHGS\\GAME\\A", kLog)
//
// Expected texts may hold markers: <prefix>, <C> (drive C), <start> and
// <temp> (a folder of the test's own), as host paths.

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace shgs {
namespace scenario {

using testing_support::Environment;
using testing_support::ProcessOptions;
using testing_support::ProcessResult;
using testing_support::TreeState;

#ifdef SHGS_UNDER_WINE
constexpr bool kWindows = true;
#else
constexpr bool kWindows = false;
#endif

// Where a row's files stand, for its spoils. Paths on drive C are given
// relative to it; the start folder is drive C's "start".
struct Scene {
  std::string driveC;
  std::string temp;   // the test's own folder, off drive C
  std::string input;  // the keys the run gets; a spoil may change them
  // Sets a value below the server's key ("" or "Games\\A") in the registry.
  std::function<void(const std::string& key, const std::string& name,
                     const std::string& value)>
      setValue;
  // Windows: the 8.3 spelling of an existing Windows path.
  std::function<std::string(const std::string&)> shortName;

  std::string at(const std::string& relative) const {
    return driveC + "/" + relative;
  }
};
using Step = std::function<void(Scene&)>;

// What one platform's run gets and how it must end.
struct Variant {
  bool enabled = true;
  std::string input = "$ out.txt\nA!\n";
  std::vector<std::string> arguments;
  Environment environment;    // values may hold markers
  int signal = 0;             // sent once the menu is shown
  int endedBy = 0;            // the signal that must end the run
  bool sixtyFourBit = false;  // Windows: the x86_64 build
  std::string report = "out.txt";
  int exitCode = 0;  // checked unless the run must end by a signal
  std::string standardError;
  bool usageFollows = false;  // standard error ends with the usage
  // A completed run with the menu shows the report: POSIX without a viewer
  // says where it is, Windows starts Notepad on it.
  bool shown = false;
  std::set<std::string> startEntries;  // what the start folder holds after
  std::set<std::string> kept;          // of those, entries left as they were
  std::vector<std::string> reportHolds, reportLacks, screenHolds, screenLacks;
  std::optional<std::string> screen;  // the whole of standard output
  std::string golden;                 // the file of the exact report
  std::string viewerSaw;      // the recording viewer's log: its folder, argv
  std::string serverChanges;  // as treeDifferences, paths below drive C
};

class Row {
 public:
  explicit Row(std::string rowName) : name(std::move(rowName)) {}

  // Calls from here on describe only the POSIX run, or the Windows one, or
  // both again.
  Row& onPosix() { return select(true, false); }
  Row& onWindows() { return select(false, true); }
  Row& onBoth() { return select(true, true); }
  Row& posixOnly() {
    return onWindows()
        .each([](Variant& r, bool) { r.enabled = false; })
        .onPosix();
  }
  Row& windowsOnly() {
    return onPosix()
        .each([](Variant& r, bool) { r.enabled = false; })
        .onWindows();
  }

  Row& server(std::string text) {
    description = std::move(text);
    return *this;
  }
  // The server is installed into the registry's 64-bit view (Windows).
  Row& in64BitView() {
    view64 = true;
    return *this;
  }
  // Run after the server is laid out, before the run, in order.
  Row& spoiled(Step step) {
    spoils.push_back(std::move(step));
    return *this;
  }
  // Runs the program as an ordinary user: permission bits do not stop the
  // root user that tests may run as (POSIX).
  Row& unprivileged() {
    asNobody = true;
    return *this;
  }
  Row& process(std::function<void(ProcessOptions*)> change) {
    tweak = std::move(change);
    return *this;
  }
  // Types nothing and sends "signal" once the menu is shown, after "step"
  // (POSIX).
  Row& atMenu(int signal, Step step = nullptr) {
    menuStep = std::move(step);
    return each([signal](Variant& r, bool) {
      r.signal = signal;
      r.input.clear();
    });
  }
  Row& ignoring(int signal) {
    ignoredSignals.push_back(signal);
    return *this;
  }
  using Check = std::function<void(const Scene&, const Variant&)>;
  // Further checks once the run has ended.
  Row& then(Check check) {
    checks.push_back(std::move(check));
    return *this;
  }

  Row& typing(std::string keys) {
    return each([&](Variant& r, bool) { r.input = keys; });
  }
  Row& args(std::vector<std::string> words) {
    return each([&](Variant& r, bool) {
      r.arguments = words;
      r.input.clear();
    });
  }
  Row& env(Environment variables) {
    return each([&](Variant& r, bool) { r.environment = variables; });
  }
  Row& build64() {
    return each([](Variant& r, bool) { r.sixtyFourBit = true; });
  }
  Row& reportName(std::string name) {
    return each([&](Variant& r, bool) { r.report = name; });
  }

  // A completed run with the menu: the report is left, holding each text.
  Row& completes(std::vector<std::string> texts = {}) {
    return each([&](Variant& r, bool) {
      r.exitCode = 0;
      r.standardError.clear();
      r.shown = r.viewerSaw.empty();
      r.startEntries.insert(r.report);
      r.reportHolds.insert(r.reportHolds.end(), texts.begin(), texts.end());
    });
  }
  // A problem ends the run with "message", after the POSIX line "where" of
  // "<host path>: <reason>" when it is not empty.
  Row& stops(const std::string& where, const std::string& message,
             std::set<std::string> left) {
    ends(1, message, left);
    return each([&](Variant& r, bool windows) {
      if (!windows && !where.empty()) r.standardError.insert(0, where + "\n");
    });
  }
  Row& ends(int code, const std::string& messages, std::set<std::string> left) {
    return each([&](Variant& r, bool) {
      r.exitCode = code;
      r.standardError = messages;
      r.shown = false;
      r.reportHolds.clear();
      r.startEntries = r.kept;
      r.startEntries.insert(left.begin(), left.end());
    });
  }
  // Ends by "signal", leaving "left" in the start folder.
  Row& endsBy(int signal, std::set<std::string> left) {
    ends(0, "", std::move(left));
    return each([signal](Variant& r, bool) { r.endedBy = signal; });
  }
  Row& messages(std::string text) {
    return each([&](Variant& r, bool) { r.standardError = text; });
  }
  // A command line not understood: "problem", then the usage.
  Row& misunderstood(const std::string& problem) {
    each([](Variant& r, bool) { r.usageFollows = true; });
    return ends(2, "shgs-exporter: " + problem + "\n", {});
  }
  // A line on standard error before the run's last words.
  Row& warning(const std::string& line) {
    return each(
        [&](Variant& r, bool) { r.standardError.insert(0, line + "\n"); });
  }
  // Entries planted in the start folder that the run leaves as they are.
  Row& keeping(std::set<std::string> names) {
    return each([&](Variant& r, bool) {
      r.kept.insert(names.begin(), names.end());
      r.startEntries.insert(names.begin(), names.end());
    });
  }
  Row& leaving(std::set<std::string> names) {
    return each([&](Variant& r, bool) {
      r.startEntries.insert(names.begin(), names.end());
    });
  }
  Row& holds(std::string text) {
    return each([&](Variant& r, bool) { r.reportHolds.push_back(text); });
  }
  Row& lacks(std::string text) {
    return each([&](Variant& r, bool) { r.reportLacks.push_back(text); });
  }
  Row& shows(std::string text) {
    return each([&](Variant& r, bool) { r.screenHolds.push_back(text); });
  }
  Row& hides(std::string text) {
    return each([&](Variant& r, bool) { r.screenLacks.push_back(text); });
  }
  Row& screenIs(std::string text) {
    return each([&](Variant& r, bool) { r.screen = text; });
  }
  Row& golden(std::string file) {
    return each([&](Variant& r, bool) { r.golden = file; });
  }
  Row& viewerSaw(std::string log) {
    return each([&](Variant& r, bool) {
      r.viewerSaw = log;
      r.shown = false;
    });
  }
  Row& notShown() {
    return each([](Variant& r, bool) { r.shown = false; });
  }
  Row& serverChanges(std::string lines) {
    return each([&](Variant& r, bool) { r.serverChanges = lines; });
  }

  std::string name;
  std::string description;  // of shgs-make-server; the table's own if empty
  bool view64 = false;
  std::vector<Step> spoils;
  Step menuStep;
  std::vector<int> ignoredSignals;
  bool asNobody = false;
  std::function<void(ProcessOptions*)> tweak;
  std::vector<Check> checks;
  Variant posix, windows;

 private:
  Row& select(bool posix, bool windows) {
    toPosix_ = posix;
    toWindows_ = windows;
    return *this;
  }
  template <typename Change>
  Row& each(Change change) {
    if (toPosix_) change(posix, false);
    if (toWindows_) change(windows, true);
    return *this;
  }

  bool toPosix_ = true;
  bool toWindows_ = true;
};

inline void PrintTo(const Row& row, std::ostream* out) { *out << row.name; }

// One platform's way to lay a server out and run the exporter on it: the
// built program natively, the Windows executable under Wine.
class Stage {
 public:
  virtual ~Stage() = default;
  // Lays out the row's server, with an empty start folder and the
  // recording viewer "<temp>/my viewer", which writes its folder and
  // arguments to "<temp>/my viewer.log" and its descriptors to
  // "<temp>/my viewer.fds".
  virtual void install(const Row& row, const std::string& description) = 0;
  virtual Scene scene() = 0;
  virtual ProcessResult run(const Row& row, const Variant& run,
                            Scene& scene) = 0;
  // The server's files (and the registry's), by path below drive C.
  virtual TreeState serverState() = 0;
  // Ends the row; "changed": the server is not as it was installed.
  virtual void finish(bool changed) = 0;
};

// The stage of this test binary.
std::unique_ptr<Stage> makeStage();

}  // namespace scenario
}  // namespace shgs

#endif  // SHGS_TESTS_E2E_SCENARIO_H_
