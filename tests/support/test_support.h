#ifndef SHGS_TESTS_SUPPORT_TEST_SUPPORT_H_
#define SHGS_TESTS_SUPPORT_TEST_SUPPORT_H_

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace shgs {
namespace testing_support {

using Environment = std::map<std::string, std::string>;

// A fresh directory below testing::TempDir(), removed with everything in it
// when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // "path()/relative".
  std::string operator/(const std::string& relative) const;

 private:
  std::string path_;
};

struct ProcessResult {
  int exitCode = -1;      // -1 when the process did not exit normally
  int endedBySignal = 0;  // the signal that ended it, if one did
  std::string standardOutput;
  std::string standardError;
  long peakMemoryKb = 0;  // the largest resident set the process had
};

// How runProcess treats the process beyond its arguments and environment.
struct ProcessOptions {
  std::vector<std::string> arguments;  // after the program's name
  std::string input;  // written to standard input, which is then closed
  // When not empty: "input" is written only once standard output holds
  // this text.
  std::string inputAfter;
  std::string inputPath;   // when not empty: standard input is this file
  std::string outputPath;  // when not empty: standard output is this file
  bool nonBlockingInput = false;  // left non-blocking, as others may leave it
  // When not empty: standard input stays open until "signal" is sent, once
  // standard output holds this text; "beforeSignal", when set, runs first.
  std::string signalAfter;
  int signal = 0;
  std::function<void()> beforeSignal;
  std::vector<int> ignoredSignals;  // ignored from the start, as under nohup
  int userId = -1;   // when not -1, the process runs as this user and group
  int groupId = -1;  // when not -1, the group, which then is not "userId"
  long addressSpaceMb = 0;   // when not 0, the process's address space limit
  int killAfterSeconds = 0;  // when not 0, a process still running is killed
};

// Runs "argv" in "directory" with the environment "environment" (nothing
// inherited but the sanitizers' settings, ASAN_OPTIONS and its kin, ahead of
// any the caller gives), and collects its output.
ProcessResult runProcess(const std::vector<std::string>& argv,
                         const std::string& directory,
                         const Environment& environment,
                         const ProcessOptions& options = {});
ProcessResult runProcess(const std::vector<std::string>& argv,
                         const std::string& directory,
                         const Environment& environment,
                         const std::string& input);

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& content);
bool fileExists(const std::string& path);
void makeDirectories(const std::string& path);
// "text" with every "from" replaced by "to".
std::string replaceAll(std::string text, const std::string& from,
                       const std::string& to);

// What a run with options says where a run with the menu says "said" (a
// golden run's .stderr): each warning on a line of its own after
// "shgs-exporter: ", and no note that the report was written.
std::string saidWithOptions(const std::string& said);

// "report" with the time of a JSON report ("time": "2026-12-06T12:00:00-05:00")
// taken from "expected" where the two differ at most in the minutes' last
// digit and the seconds: a clock the tests set runs on while the program
// starts.
std::string withTimeOf(const std::string& expected, std::string report);

// What a directory tree holds: each entry's path relative to the root,
// mapped to its kind and permissions and, for a file, its size and when it
// was last written (for a link, its target). Links are
// recorded, never followed.
using TreeState = std::map<std::string, std::string>;
TreeState treeStateOf(const std::string& root);

// The entries that differ between "before" and "after", one per line
// ("added x", "removed x", "changed x: ..."), or the empty text.
std::string treeDifferences(const TreeState& before, const TreeState& after);

// The names of the entries directly inside "directory".
std::set<std::string> entriesOf(const std::string& directory);

}  // namespace testing_support
}  // namespace shgs

#endif  // SHGS_TESTS_SUPPORT_TEST_SUPPORT_H_
