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
  int exitCode = -1;  // -1 when the process did not exit normally
  std::string standardOutput;
  std::string standardError;
  long peakMemoryKb = 0;  // the largest resident set the process had
};

// Runs "argv" in "directory" with the environment "environment" (nothing
// inherited but the sanitizers' settings, ASAN_OPTIONS and its kin, ahead of
// any the caller gives), "input" on standard input, and collects its output.
ProcessResult runProcess(const std::vector<std::string>& argv,
                         const std::string& directory,
                         const std::map<std::string, std::string>& environment,
                         const std::string& input);

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
