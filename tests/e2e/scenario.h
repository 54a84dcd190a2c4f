#ifndef SHGS_TESTS_E2E_SCENARIO_H_
#define SHGS_TESTS_E2E_SCENARIO_H_

// Whole runs as rows of one table (scenario_test.cc), for the POSIX program
// and for the Windows one under Wine. A row is one run: the server (the
// table's own unless it names one), how it is spoilt, the keys typed or the
// arguments given, and how the run must end: its exit, what it says, what
// the start folder holds after, the report, and that the server's files
// stay as they were unless the row says how they change.
//
//   Row("GameFolderMissing", kBoth, {removes("SHGS/GAME/A")})
//       .stops("<C>/SHGS/GAME/A: No such file or directory",
//              "Failed to enter directory C:\\SHGS\\GAME\\A"),
//
// No setter clears or overrides what another set, so their order does not
// matter: two that set one part otherwise, or a row that both completes and
// ends otherwise, are refused. Expected texts may hold
// these markers for host paths:
//   <prefix>  the Wine prefix, which holds system.reg
//   <C>       its drive C
//   <start>   the folder the run starts in, C:\start
//   <temp>    a folder of the test's own, off drive C (the viewer's)
// Texts the Windows program writes end their lines with CR LF; a completed
// run with the menu shows the report: POSIX without a viewer says "Report
// written to <name>", Windows starts Notepad on it.

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "support/test_support.h"

namespace shgs {
namespace scenario {

using testing_support::Environment;
using testing_support::ProcessOptions;
using testing_support::ProcessResult;
using testing_support::TreeState;

#ifdef SHGS_UNDER_WINE
constexpr bool kUnderWine = true;
#else
constexpr bool kUnderWine = false;
#endif

// Where a row's files stand, for its spoils. Paths on drive C are given
// relative to it ("../system.reg" is the registry's file on POSIX); the
// start folder is drive C's "start".
struct Scene {
  std::string driveC;
  std::string temp;   // the test's own folder, off drive C
  std::string input;  // the keys the run gets; a spoil may change them
  // Sets a value below the server's key ("" or "Games\\A") in the registry.
  std::function<void(const std::string&, const std::string&,
                     const std::string&)>
      setValue;
  // Windows: the 8.3 spelling of an existing Windows path.
  std::function<std::string(const std::string&)> shortName;
  // Windows: the folder of the tests' own Windows programs (planted.exe)
  // built for the architecture of the row's program.
  std::string windowsHelpers;

  std::string at(const std::string& path) const { return driveC + "/" + path; }
};
using Step = std::function<void(Scene&)>;

enum Platforms { kBoth, kPosix, kWindows };

class Row {
 public:
  using Check = std::function<void(const Scene&, const Row&)>;
  using Names = std::set<std::string>;
  using Tweak = std::function<void(ProcessOptions*)>;
  using Words = std::vector<std::string>;

  Row(std::string rowName, Platforms platforms = kBoth,
      std::vector<Step> steps = {}, std::string keys = "$ out.txt\nA!\n")
      : name(std::move(rowName)),
        on(platforms),
        spoils(std::move(steps)),
        input(std::move(keys)) {}

  // The outcome: a completed run, whose report holds each of "texts"; a
  // problem that ends the run with "message", after the POSIX line "<host
  // path>: <reason>" when not empty; any other end; the end by a signal.
  // "entries" are what the start folder holds after, besides the entries
  // kept and the report of a completed run.
  Row& completes(const Words& texts = {}) {
    return set(&completed, true).add(&reportHolds, texts);
  }
  // A completed run whose report is the file "expected", at the golden
  // reports' pinned clock.
  Row& completesWith(const std::string& expected) {
    return set(&completed, true).set(&golden, expected);
  }
  Row& stops(const std::string& line, const std::string& message,
             const Names& entries = {"qilerror.txt"}) {
    return ends(1, message, entries).set(&where, line);
  }
  Row& ends(int code, const std::string& said, const Names& entries) {
    return set(&exitCode, code).set(&message, said).add(&left, entries);
  }
  Row& endsBy(int s, const Names& entries) {
    return set(&endedBy, s).add(&left, entries);
  }
  // A run with options that ends with "code" after its one line on
  // standard error, "shgs-exporter: " and "text".
  Row& logs(int code, const std::string& text) {
    return ends(code, "shgs-exporter: " + text + "\n", {});
  }
  // The line of "logs" as the Windows program words it.
  Row& logsOnWindows(const std::string& text) {
    return onWindows(
        [text](Row& r) { r.message = "shgs-exporter: " + text + "\n"; });
  }
  // A command line not understood: "problem", then where the usage is.
  Row& misunderstood(const std::string& problem) {
    return logs(2, problem + "\nTry 'shgs-exporter --help'.");
  }
  // How the Windows run differs.
  Row& onWindows(const std::function<void(Row&)>& f) {
    return set(&windowsChange, f);
  }

  Row& server(const std::string& s) { return set(&description, s); }
  // A run with arguments, or one sent a signal at the menu, gets no keys.
  Row& args(const Words& w) { return set(&arguments, w); }
  Row& env(const Environment& e) {
    environment.insert(e.begin(), e.end());
    return *this;
  }
  Row& named(const std::string& s) { return set(&report, s); }
  // Runs as an ordinary user, whom permission bits stop (POSIX).
  Row& unprivileged() { return set(&asNobody, true); }
  // Runs as an ordinary user who may write in the start folder only and
  // read the server, nothing more (POSIX).
  Row& readingOnly() { return unprivileged().set(&serverWritable, false); }
  Row& process(const Tweak& f) { return set(&tweak, f); }
  // Sends "signal" once the menu is shown, after "step" (POSIX; Wine sends
  // Ctrl-C alone).
  Row& atMenu(int sent, const Step& step = {}) {
    return set(&signal, sent).set(&menuStep, step);
  }
  // A signal ignored from the start, as under nohup (POSIX).
  Row& ignoring(int ignored) { return add(&ignoredSignals, {ignored}); }
  // Entries planted in the start folder that the run leaves as they are.
  Row& keeping(const Names& n) { return add(&kept, n); }
  Row& leaving(const Names& n) { return add(&left, n); }
  // A POSIX line on standard error before the run's last words.
  Row& warning(const std::string& s) { return set(&where, s); }
  Row& shows(const std::string& s) { return add(&screenHolds, {s}); }
  Row& hides(const std::string& s) { return add(&screenLacks, {s}); }
  Row& screenIs(const std::string& s) { return set(&screen, s); }
  // The recording viewer started on the report (POSIX).
  Row& viewerSaw(const std::string& s) { return set(&viewerLog, s); }
  Row& changes(const std::string& s) { return set(&serverChanges, s); }
  Row& memoryBelow(long megabytes) { return set(&maxMemoryMb, megabytes); }
  Row& then(const Check& check) { return add(&checks, {check}); }

  std::string name;
  Platforms on;
  std::string description;   // for shgs-make-server; the table's own if empty
  bool view64 = false;       // the server's keys in the 64-bit view
  bool build64 = false;      // Windows: the x86_64 build
  std::vector<Step> spoils;  // after the server is laid out, in order
  std::string input;
  std::vector<std::string> arguments;
  Environment environment;  // values may hold markers
  bool asNobody = false;
  bool serverWritable = true;  // for an ordinary user
  Tweak tweak;
  int signal = 0;
  Step menuStep;
  std::vector<int> ignoredSignals;  // ignored from the start (POSIX)
  std::string report = "out.txt";

  int exitCode = 0;
  int endedBy = 0;    // POSIX: the signal that must end the run
  std::string where;  // POSIX: a line before "message", when not empty
  std::string message;
  bool completed = false;
  bool notepadRecords = true;  // Windows: the stand-in records what it saw
  Names left;  // what the start folder holds after, besides "kept"
  Names kept;
  std::vector<std::string> reportHolds, screenHolds, screenLacks;
  std::optional<std::string> screen;  // the whole of standard output
  std::string golden;                 // the file of the exact report
  std::string viewerLog;      // what the recording viewer logs: folder, argv
  std::string serverChanges;  // as treeDifferences, paths below drive C
  long maxMemoryMb = 0;
  std::vector<Check> checks;
  std::function<void(Row&)> windowsChange;

 private:
  std::set<std::ptrdiff_t> setParts_;
  // Refuses, at once, a second setter that sets a part again otherwise.
  template <typename Field, typename Value>
  Row& set(Field* field, const Value& value) {
    const auto at = reinterpret_cast<const char*>(field) -
                    reinterpret_cast<const char*>(this);
    if (!setParts_.insert(at).second && !same(*field, value)) {
      throw std::logic_error(name + ": two setters disagree");
    }
    *field = value;
    return *this;
  }
  template <typename Field, typename Value>
  static bool same(const Field& field, const Value& value) {
    return field == value;
  }
  template <typename F>
  static bool same(const std::function<F>&, const std::function<F>&) {
    return false;
  }
  Row& add(Names* to, const Names& more) {
    to->insert(more.begin(), more.end());
    return *this;
  }
  template <typename T>
  Row& add(std::vector<T>* to, const std::vector<T>& more) {
    to->insert(to->end(), more.begin(), more.end());
    return *this;
  }
};

inline void PrintTo(const Row& row, std::ostream* out) { *out << row.name; }

// One platform's way to lay a server out and run the exporter on it.
class Stage {
 public:
  virtual ~Stage() = default;
  // Lays out "description" with an empty start folder and the recording
  // viewer "<temp>/my viewer", which writes its folder and arguments to
  // "<temp>/my viewer.log" and its descriptors to "<temp>/my viewer.fds".
  virtual Scene install(const Row& row, const std::string& description) = 0;
  virtual ProcessResult run(const Row& row, Scene& scene) = 0;
  // The server's files and the registry's, by path below drive C.
  virtual TreeState serverState() = 0;
  // Ends the row; "changed": the server is not as it was installed.
  virtual void finish(bool changed) = 0;
};

// The stage of this test binary: the built program natively, the Windows
// executable under Wine.
std::unique_ptr<Stage> makeStage();

// Whether this test program runs "row", which it may first fit to what the
// host can run (under Wine: the 32-bit or the 64-bit Windows program).
bool takesRow(Row& row);

// The server of a row that names none: six games, A with its files.
std::string defaultServer();

}  // namespace scenario
}  // namespace shgs

#endif  // SHGS_TESTS_E2E_SCENARIO_H_
