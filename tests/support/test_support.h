#ifndef SHGS_TESTS_SUPPORT_TEST_SUPPORT_H_
#define SHGS_TESTS_SUPPORT_TEST_SUPPORT_H_

#include <map>
#include <string>
#include <vector>

namespace shgs {
namespace testing_support {

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
  std::string inputPath;          // when not empty: standard input is this file
  bool nonBlockingInput = false;  // left non-blocking, as others may leave it
  // When not empty: standard input stays open until "signal" is sent, once
  // standard output holds this text.
  std::string signalAfter;
  int signal = 0;
  std::vector<int> ignoredSignals;  // ignored from the start, as under nohup
  int userId = -1;  // when not -1, the process runs as this user and group
  long addressSpaceMb = 0;   // when not 0, the process's address space limit
  int killAfterSeconds = 0;  // when not 0, a process still running is killed
};

// Runs "argv" in "directory" with the environment "environment" (nothing
// inherited but the sanitizers' settings, ASAN_OPTIONS and its kin, ahead of
// any the caller gives), "input" on standard input, and collects its output.
ProcessResult runProcess(const std::vector<std::string>& argv,
                         const std::string& directory,
                         const std::map<std::string, std::string>& environment,
                         const std::string& input);
ProcessResult runProcess(const std::vector<std::string>& argv,
                         const std::string& directory,
                         const std::map<std::string, std::string>& environment,
                         const ProcessOptions& options);

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& content);
bool fileExists(const std::string& path);
void makeDirectories(const std::string& path);

// Paths of the files below "root" that a completed run removes again: the
// registry capture and the error logs, whatever the case of their names.
std::vector<std::string> leftoverFiles(const std::string& root);

}  // namespace testing_support
}  // namespace shgs

#endif  // SHGS_TESTS_SUPPORT_TEST_SUPPORT_H_
