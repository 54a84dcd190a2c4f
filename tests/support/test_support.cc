#include "support/test_support.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace shgs {
namespace testing_support {

namespace fs = std::filesystem;

TempDir::TempDir() {
  std::string pattern = ::testing::TempDir() + "shgs-test-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) {
    throw std::runtime_error("cannot create a temporary directory");
  }
  path_ = fs::canonical(pattern).string();
}

TempDir::~TempDir() {
  std::error_code ignored;
  // Tests make directories unwritable on purpose; make them removable again.
  for (auto it = fs::recursive_directory_iterator(path_, ignored);
       it != fs::recursive_directory_iterator(); it.increment(ignored)) {
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add,
                    ignored);
  }
  fs::remove_all(path_, ignored);
}

std::string TempDir::operator/(const std::string& relative) const {
  return path_ + "/" + relative;
}

// The standard streams go through files, so a child that writes much before
// it reads cannot block on a full pipe.
ProcessResult runProcess(const std::vector<std::string>& argv,
                         const std::string& directory,
                         const std::map<std::string, std::string>& environment,
                         const std::string& input) {
  const TempDir streams;
  writeFile(streams / "in", input);
  std::vector<std::string> envStrings;
  for (const auto& [name, value] : environment) {
    envStrings.push_back(name + "=" + value);
  }
  std::vector<char*> args, env;
  for (const std::string& arg : argv) {
    args.push_back(const_cast<char*>(arg.c_str()));
  }
  args.push_back(nullptr);
  for (std::string& entry : envStrings) env.push_back(entry.data());
  env.push_back(nullptr);
  const std::string files[] = {streams / "in", streams / "out",
                               streams / "err"};
  const pid_t child = fork();
  if (child == 0) {
    for (int fd = 0; fd < 3; ++fd) {
      const int opened = open(files[fd].c_str(),
                              fd == 0 ? O_RDONLY : O_WRONLY | O_CREAT, 0600);
      if (opened < 0 || dup2(opened, fd) < 0) _exit(125);
      close(opened);
    }
    if (chdir(directory.c_str()) != 0) _exit(126);
    execve(args[0], args.data(), env.data());
    _exit(127);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  ProcessResult result;
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.standardOutput = readFile(streams / "out");
  result.standardError = readFile(streams / "err");
  return result;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void writeFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

bool fileExists(const std::string& path) {
  std::error_code ignored;
  return fs::exists(fs::symlink_status(path, ignored));
}

void makeDirectories(const std::string& path) { fs::create_directories(path); }

std::vector<std::string> leftoverFiles(const std::string& root) {
  std::vector<std::string> found;
  std::error_code ignored;
  for (auto it = fs::recursive_directory_iterator(root, ignored);
       it != fs::recursive_directory_iterator(); it.increment(ignored)) {
    std::string name = it->path().filename().string();
    for (char& c : name) {
      c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    if (name == "qil.tmp" || name == "qilerror.txt") {
      found.push_back(it->path().string());
    }
  }
  return found;
}

}  // namespace testing_support
}  // namespace shgs
