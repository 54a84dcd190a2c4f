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

#include <cerrno>
#include <chrono>
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

namespace {

bool holds(const std::string& output, const std::string& text) {
  return !text.empty() && output.find(text) != std::string::npos;
}

// Feeds the input to "fds[0]" and drains the two output pipes "fds[1]" and
// "fds[2]", without deadlocking on a child that writes much before it
// reads; sends the signal of "options" to "child" once its output holds the
// text it waits for, and kills it when it runs too long.
void exchange(pid_t child, int fds[3], const ProcessOptions& options,
              ProcessResult* result) {
  const std::string& input = options.input;
  const bool keepInput = !options.signalAfter.empty();
  std::size_t written = 0;
  if ((input.empty() && !keepInput) || !options.inputPath.empty()) {
    close(fds[0]);
    fds[0] = -1;
  }
  const auto deadline = std::chrono::steady_clock::now() +
                        std::chrono::seconds(options.killAfterSeconds);
  std::string* sinks[3] = {nullptr, &result->standardOutput,
                           &result->standardError};
  while (fds[1] >= 0 || fds[2] >= 0) {
    const bool writing = fds[0] >= 0 && written < input.size() &&
                         (options.inputAfter.empty() ||
                          holds(result->standardOutput, options.inputAfter));
    pollfd polled[3] = {{writing ? fds[0] : -1, POLLOUT, 0},
                        {fds[1], POLLIN, 0},
                        {fds[2], POLLIN, 0}};
    if (poll(polled, 3, options.killAfterSeconds == 0 ? -1 : 100) < 0 &&
        errno != EINTR) {
      break;
    }
    if (options.killAfterSeconds != 0 &&
        std::chrono::steady_clock::now() >= deadline) {
      kill(child, SIGKILL);
    }
    if (writing && polled[0].revents != 0) {
      const ssize_t n =
          write(fds[0], input.data() + written, input.size() - written);
      if (n > 0) written += static_cast<std::size_t>(n);
      if (n < 0 || (written == input.size() && !keepInput)) {
        close(fds[0]);
        fds[0] = -1;
      }
    }
    for (int i = 1; i < 3; ++i) {
      if (fds[i] < 0 || polled[i].revents == 0) continue;
      char buffer[65536];
      const ssize_t n = read(fds[i], buffer, sizeof buffer);
      if (n > 0) {
        sinks[i]->append(buffer, static_cast<std::size_t>(n));
      } else {
        close(fds[i]);
        fds[i] = -1;
      }
    }
    if (keepInput && holds(result->standardOutput, options.signalAfter)) {
      if (options.beforeSignal) options.beforeSignal();
      kill(child, options.signal);
      // Input ends there, for a program that outlives the signal.
      if (fds[0] >= 0) close(fds[0]);
      fds[0] = -1;
      return exchange(child, fds, ProcessOptions{}, result);
    }
  }
  if (fds[0] >= 0) close(fds[0]);
}

// The sanitizers' settings of this test process, for its children: a
// sanitized program must halt on its first error there too. A setting the
// caller gives comes after them, so it wins.
std::vector<std::string> withSanitizerOptions(Environment environment) {
  for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"}) {
    const char* inherited = std::getenv(name);
    if (inherited == nullptr || *inherited == '\0') continue;
    std::string& value = environment[name];
    value = value.empty() ? inherited : inherited + (":" + value);
  }
  std::vector<std::string> entries;
  for (const auto& [name, value] : environment) {
    entries.push_back(name + "=" + value);
  }
  return entries;
}

// Becomes the process that "options" describe and runs "argv" in
// "directory"; "pipes" are the ends of standard input, output and error.
[[noreturn]] void becomeChild(std::vector<char*> argv,
                              const std::string& directory,
                              std::vector<char*> environment,
                              const ProcessOptions& options, int pipes[6]) {
  const int input = options.inputPath.empty()
                        ? pipes[0]
                        : open(options.inputPath.c_str(), O_RDONLY);
  dup2(input, 0);
  dup2(options.outputPath.empty()
           ? pipes[3]
           : open(options.outputPath.c_str(), O_WRONLY | O_TRUNC),
       1);
  dup2(pipes[5], 2);
  for (int i = 0; i < 6; ++i) close(pipes[i]);
  if (options.nonBlockingInput) fcntl(0, F_SETFL, O_NONBLOCK);
  signal(SIGPIPE, SIG_DFL);  // which this process ignores
  for (int ignored : options.ignoredSignals) signal(ignored, SIG_IGN);
  if (options.addressSpaceMb != 0) {
    const rlim_t bytes = static_cast<rlim_t>(options.addressSpaceMb) << 20;
    const rlimit limit{bytes, bytes};
    setrlimit(RLIMIT_AS, &limit);
  }
  if (options.userId != -1 &&
      (setgroups(0, nullptr) != 0 ||
       setgid(options.groupId != -1 ? options.groupId : options.userId) != 0 ||
       setuid(options.userId) != 0)) {
    _exit(125);
  }
  if (chdir(directory.c_str()) != 0) {
    // A folder deeper than a path can name is entered a name at a time.
    std::istringstream names(directory);
    if (chdir("/") != 0) _exit(126);
    for (std::string name; std::getline(names, name, '/');) {
      if (!name.empty() && chdir(name.c_str()) != 0) _exit(126);
    }
  }
  argv.push_back(nullptr);
  environment.push_back(nullptr);
  execve(argv[0], argv.data(), environment.data());
  _exit(127);
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
  int pipes[6];
  if (pipe(pipes) != 0 || pipe(pipes + 2) != 0 || pipe(pipes + 4) != 0) {
    throw std::runtime_error("pipe failed");
  }
  std::vector<std::string> arguments = argv;
  arguments.insert(arguments.end(), options.arguments.begin(),
                   options.arguments.end());
  std::vector<std::string> entries = withSanitizerOptions(environment);
  std::vector<char*> args, env;
  for (std::string& arg : arguments) args.push_back(arg.data());
  for (std::string& entry : entries) env.push_back(entry.data());
  // The child's peak memory counts the pages it shares with this process
  // until it starts the program: give back what this process freed.
  malloc_trim(0);
  const pid_t child = fork();
  if (child == 0) becomeChild(args, directory, env, options, pipes);
  close(pipes[0]);
  close(pipes[3]);
  close(pipes[5]);
  signal(SIGPIPE, SIG_IGN);
  ProcessResult result;
  int fds[3] = {pipes[1], pipes[2], pipes[4]};
  exchange(child, fds, options, &result);
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
  std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
}

bool fileExists(const std::string& path) {
  std::error_code ignored;
  return fs::exists(fs::symlink_status(path, ignored));
}

void makeDirectories(const std::string& path) { fs::create_directories(path); }

std::string withTimeOf(const std::string& expected, std::string report) {
  const std::string key = "\"time\": \"";
  constexpr std::size_t kLength = 25;  // 2026-12-06T12:00:00-05:00
  const std::size_t want = expected.find(key);
  const std::size_t got = report.find(key);
  if (want == std::string::npos || got == std::string::npos) return report;
  const std::string time = expected.substr(want + key.size(), kLength);
  const std::string other = report.substr(got + key.size(), kLength);
  if (time.size() == kLength && other.size() == kLength &&
      time.compare(0, 15, other, 0, 15) == 0 &&
      time.compare(19, 6, other, 19, 6) == 0) {
    report.replace(got + key.size(), kLength, time);
  }
  return report;
}

std::string replaceAll(std::string text, const std::string& from,
                       const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

std::string saidWithOptions(const std::string& said) {
  const std::string warning = "Invalid ship delay value!";
  return replaceAll(
      replaceAll(said, "Report written to SHGS Game Data.TXT\n", ""), warning,
      "shgs-exporter: " + warning + "\n");
}

TreeState treeStateOf(const std::string& root) {
  TreeState state;
  std::error_code ignored;
  for (auto it = fs::recursive_directory_iterator(root, ignored);
       it != fs::recursive_directory_iterator(); it.increment(ignored)) {
    const fs::file_status status = it->symlink_status(ignored);
    std::ostringstream entry;
    entry << " mode " << std::oct
          << static_cast<unsigned>(status.permissions());
    if (fs::is_symlink(status)) {
      entry.str("link to " + fs::read_symlink(it->path(), ignored).string());
    } else if (fs::is_directory(status)) {
      entry.str("directory" + entry.str());
    } else if (!fs::is_regular_file(status)) {
      // Reading a FIFO would wait for a writer.
      entry.str("special file" + entry.str());
    } else {
      // Any write, even of the same bytes, moves the time of the last one;
      // the bytes go unread, so a huge file costs no more than a small one.
      entry << " file of " << std::dec << it->file_size(ignored)
            << " bytes written at "
            << it->last_write_time(ignored).time_since_epoch().count();
    }
    state[it->path().lexically_relative(root).string()] = entry.str();
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
