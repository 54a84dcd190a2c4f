#include "support/test_support.h"

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <malloc.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
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

namespace {

bool holds(const std::string& output, const std::string& text) {
  return !text.empty() && output.find(text) != std::string::npos;
}

// Feeds the input to "inputFd" and drains the two output pipes, without
// deadlocking on a child that writes much before it reads; sends the signal
// of "options" to "child" once its output holds the text it waits for, and
// kills it when it runs too long.
void exchange(pid_t child, int inputFd, int outputFd, int errorFd,
              const ProcessOptions& options, ProcessResult* result) {
  const std::string& input = options.input;
  const bool keepInput = !options.signalAfter.empty();
  bool signalled = false;
  std::size_t written = 0;
  if ((input.empty() && !keepInput) || !options.inputPath.empty()) {
    close(inputFd);
    inputFd = -1;
  }
  const auto deadline = std::chrono::steady_clock::now() +
                        std::chrono::seconds(options.killAfterSeconds);
  while (outputFd >= 0 || errorFd >= 0) {
    const bool writing = inputFd >= 0 && written < input.size() &&
                         (options.inputAfter.empty() ||
                          holds(result->standardOutput, options.inputAfter));
    pollfd fds[3] = {{writing ? inputFd : -1, POLLOUT, 0},
                     {outputFd, POLLIN, 0},
                     {errorFd, POLLIN, 0}};
    const int timeout = options.killAfterSeconds == 0 ? -1 : 100;
    if (poll(fds, 3, timeout) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (options.killAfterSeconds != 0 &&
        std::chrono::steady_clock::now() >= deadline) {
      kill(child, SIGKILL);
    }
    if (writing && (fds[0].revents & (POLLOUT | POLLERR | POLLHUP))) {
      const ssize_t n =
          write(inputFd, input.data() + written, input.size() - written);
      if (n > 0) written += static_cast<std::size_t>(n);
      if (n < 0 || (written == input.size() && !keepInput)) {
        close(inputFd);
        inputFd = -1;
      }
    }
    int* fdsOut[2] = {&outputFd, &errorFd};
    std::string* sinks[2] = {&result->standardOutput, &result->standardError};
    for (int i = 0; i < 2; ++i) {
      if (*fdsOut[i] < 0 ||
          !(fds[i + 1].revents & (POLLIN | POLLHUP | POLLERR)))
        continue;
      char buffer[65536];
      const ssize_t n = read(*fdsOut[i], buffer, sizeof buffer);
      if (n > 0) {
        sinks[i]->append(buffer, static_cast<std::size_t>(n));
      } else {
        close(*fdsOut[i]);
        *fdsOut[i] = -1;
      }
    }
    if (keepInput && !signalled &&
        holds(result->standardOutput, options.signalAfter)) {
      if (options.beforeSignal) options.beforeSignal();
      kill(child, options.signal);
      signalled = true;
      // Input ends there, for a program that outlives the signal.
      if (inputFd >= 0) close(inputFd);
      inputFd = -1;
    }
  }
  if (inputFd >= 0) close(inputFd);
}

// The sanitizers' settings of this test process, for its children: a
// sanitized program must halt on its first error there too. A setting the
// caller gives comes after them, so it wins.
Environment withSanitizerOptions(Environment environment) {
  for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"}) {
    const char* inherited = std::getenv(name);
    if (inherited == nullptr || *inherited == '\0') continue;
    std::string& value = environment[name];
    value = value.empty() ? inherited : inherited + (":" + value);
  }
  return environment;
}

// Enters "directory" a name at a time when it is longer than the system
// takes in one path.
bool enterDeep(const std::string& directory) {
  if (chdir(directory.c_str()) == 0) return true;
  if (errno != ENAMETOOLONG || directory.empty() || directory[0] != '/' ||
      chdir("/") != 0) {
    return false;
  }
  std::stringstream names(directory.substr(1));
  std::string name;
  while (std::getline(names, name, '/')) {
    if (!name.empty() && chdir(name.c_str()) != 0) return false;
  }
  return true;
}

}  // namespace

ProcessResult runProcess(const std::vector<std::string>& argv,
                         const std::string& directory,
                         const Environment& environment,
                         const std::string& input) {
  ProcessOptions options;
  options.input = input;
  return runProcess(argv, directory, environment, options);
}

ProcessResult runProcess(const std::vector<std::string>& argv,
                         const std::string& directory,
                         const Environment& environment,
                         const ProcessOptions& options) {
  int inPipe[2], outPipe[2], errPipe[2];
  if (pipe(inPipe) != 0 || pipe(outPipe) != 0 || pipe(errPipe) != 0) {
    throw std::runtime_error("pipe failed");
  }
  std::vector<std::string> envStrings;
  for (const auto& [name, value] : withSanitizerOptions(environment))
    envStrings.push_back(name + "=" + value);
  std::vector<char*> args, env;
  for (const std::string& arg : argv)
    args.push_back(const_cast<char*>(arg.c_str()));
  for (const std::string& arg : options.arguments)
    args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  for (std::string& entry : envStrings) env.push_back(entry.data());
  env.push_back(nullptr);

  // The child's peak memory counts the pages it shares with this process
  // until it starts the program: give back what this process freed.
  malloc_trim(0);
  const pid_t child = fork();
  if (child == 0) {
    const int input = options.inputPath.empty()
                          ? inPipe[0]
                          : open(options.inputPath.c_str(), O_RDONLY);
    dup2(input, 0);
    dup2(outPipe[1], 1);
    dup2(errPipe[1], 2);
    for (int fd :
         {inPipe[0], inPipe[1], outPipe[0], outPipe[1], errPipe[0], errPipe[1]})
      close(fd);
    if (options.nonBlockingInput) fcntl(0, F_SETFL, O_NONBLOCK);
    signal(SIGPIPE, SIG_DFL);  // which this process ignores
    for (int ignored : options.ignoredSignals) signal(ignored, SIG_IGN);
    if (options.addressSpaceMb != 0) {
      const rlim_t bytes = static_cast<rlim_t>(options.addressSpaceMb) << 20;
      const rlimit limit{bytes, bytes};
      setrlimit(RLIMIT_AS, &limit);
    }
    if (options.userId != -1 &&
        (setgroups(0, nullptr) != 0 || setgid(options.userId) != 0 ||
         setuid(options.userId) != 0)) {
      _exit(125);
    }
    if (!enterDeep(directory)) _exit(126);
    execve(args[0], args.data(), env.data());
    _exit(127);
  }
  close(inPipe[0]);
  close(outPipe[1]);
  close(errPipe[1]);
  signal(SIGPIPE, SIG_IGN);
  ProcessResult result;
  exchange(child, inPipe[1], outPipe[0], errPipe[0], options, &result);
  int status = 0;
  rusage usage{};
  while (wait4(child, &status, 0, &usage) < 0 && errno == EINTR) {
  }
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.endedBySignal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  result.peakMemoryKb = usage.ru_maxrss;
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

std::string replaceAll(std::string text, const std::string& from,
                       const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

namespace {

std::string entryState(const fs::directory_entry& entry) {
  std::error_code ignored;
  const fs::file_status status = entry.symlink_status(ignored);
  std::ostringstream mode;
  mode << " mode " << std::oct << static_cast<unsigned>(status.permissions());
  if (fs::is_symlink(status)) {
    return "link to " + fs::read_symlink(entry.path(), ignored).string();
  }
  if (fs::is_directory(status)) return "directory" + mode.str();
  // Reading a FIFO would wait for a writer.
  if (!fs::is_regular_file(status)) return "special file" + mode.str();
  // A file written again with the same bytes is still a write.
  const std::string bytes = readFile(entry.path().string());
  const auto written = entry.last_write_time(ignored).time_since_epoch();
  return "file of " + std::to_string(bytes.size()) + " bytes, hash " +
         std::to_string(std::hash<std::string>()(bytes)) + mode.str() +
         " written at " + std::to_string(written.count());
}

}  // namespace

TreeState treeStateOf(const std::string& root) {
  TreeState state;
  std::error_code ignored;
  for (auto it = fs::recursive_directory_iterator(root, ignored);
       it != fs::recursive_directory_iterator(); it.increment(ignored)) {
    state[it->path().lexically_relative(root).string()] = entryState(*it);
  }
  return state;
}

std::string treeDifferences(const TreeState& before, const TreeState& after) {
  std::string differences;
  for (const auto& [path, state] : before) {
    const auto now = after.find(path);
    if (now == after.end()) {
      differences += "removed " + path + "\n";
    } else if (now->second != state) {
      differences +=
          "changed " + path + ": " + state + " -> " + now->second + "\n";
    }
  }
  for (const auto& [path, state] : after) {
    if (before.count(path) == 0) differences += "added " + path + "\n";
  }
  return differences;
}

std::set<std::string> entriesOf(const std::string& directory) {
  std::set<std::string> names;
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(directory, ignored)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

}  // namespace testing_support
}  // namespace shgs
