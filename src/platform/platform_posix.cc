#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <iostream>
#include <limits>
#include <sstream>
#include <vector>

#include "platform/host_path.h"
#include "platform/platform.h"
#include "platform/wine_registry.h"

namespace shgs {
namespace {

constexpr char kServerKey[] =
    "Software\\Orbital Forge Software\\Starhaul Deluxe Game Server";

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

// The prefix the server runs in, as Wine itself finds it.
std::string winePrefix() {
  std::string prefix = environment("WINEPREFIX");
  if (prefix.empty()) prefix = environment("HOME") + "/.wine";
  return prefix;
}

std::string readWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  if (in) text << in.rdbuf();
  return text.str();
}

// Like system(), the caller ignores the terminal's interrupt and quit keys
// while it waits, so that they end only the child and the run can still
// clean up after it.
class ScopedIgnoreInterrupts {
 public:
  ScopedIgnoreInterrupts() {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGINT, &ignore, &savedInterrupt_);
    sigaction(SIGQUIT, &ignore, &savedQuit_);
  }
  ~ScopedIgnoreInterrupts() { restore(); }
  ScopedIgnoreInterrupts(const ScopedIgnoreInterrupts&) = delete;
  ScopedIgnoreInterrupts& operator=(const ScopedIgnoreInterrupts&) = delete;

  void restore() {
    sigaction(SIGINT, &savedInterrupt_, nullptr);
    sigaction(SIGQUIT, &savedQuit_, nullptr);
  }

 private:
  struct sigaction savedInterrupt_ {};
  struct sigaction savedQuit_ {};
};

// Runs "argv" without a shell and waits for it; the result is not needed.
void runAndWait(const std::vector<std::string>& argv) {
  std::cout.flush();
  std::cerr.flush();
  std::vector<char*> args;
  for (const std::string& arg : argv) {
    args.push_back(const_cast<char*>(arg.c_str()));
  }
  args.push_back(nullptr);
  ScopedIgnoreInterrupts interrupts;
  const pid_t child = fork();
  if (child == 0) {
    interrupts.restore();
    execvp(args[0], args.data());
    _exit(127);
  }
  if (child < 0) return;
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
}

// A viewer would take a relative name such as "-r" or "+q" for an option.
std::string asViewerArgument(const std::string& fileName) {
  if (!fileName.empty() && (fileName[0] == '-' || fileName[0] == '+')) {
    return "./" + fileName;
  }
  return fileName;
}

class PosixPlatform final : public Platform {
 public:
  // Home, erase the screen, then the scrollback, as Windows' "cls" leaves
  // nothing to scroll back to. A dumb terminal knows no escape sequences.
  void clearConsole() override {
    if (!isatty(STDOUT_FILENO) || environment("TERM") == "dumb") return;
    std::cout << "\x1b[H\x1b[2J\x1b[3J" << std::flush;
  }

  void captureRegistry() override {
    const std::string systemReg = readWholeFile(winePrefix() + "/system.reg");
    std::ofstream capture("qil.tmp", std::ios::binary | std::ios::trunc);
    if (!capture) return;  // Opening it for reading then fails, as on Windows.
    writeRegistryListing(systemReg, kServerKey, capture);
  }

  // unlink, not remove: a directory of that name is not a file to delete.
  bool removeFile(const std::string& hostPath) override {
    return unlink(hostPath.c_str()) == 0;
  }

  std::string currentDirectory() override {
    std::vector<char> buffer(4096);
    while (getcwd(buffer.data(), buffer.size()) == nullptr) {
      if (errno != ERANGE) return std::string();
      buffer.resize(buffer.size() * 2);
    }
    return std::string(buffer.data());
  }

  bool changeDirectory(const std::string& hostPath) override {
    return chdir(hostPath.c_str()) == 0;
  }

  std::string hostPath(const std::string& windowsPath) override {
    return mapWindowsPath(windowsPath, winePrefix());
  }

  std::string joinPath(const std::string& directory,
                       const std::string& name) override {
    if (!directory.empty() && directory.back() == '/') return directory + name;
    return directory + "/" + name;
  }

  bool isRegularFile(const std::string& hostPath) override {
    struct stat info;
    return stat(hostPath.c_str(), &info) == 0 && S_ISREG(info.st_mode);
  }

  // The editor text may carry arguments (as git allows), so a shell splits
  // it; the file name travels as a positional argument and is never parsed.
  void startViewer(const std::string& fileName) override {
    std::string editor = environment("VISUAL");
    if (editor.empty()) editor = environment("EDITOR");
    const std::string argument = asViewerArgument(fileName);
    if (!editor.empty()) {
      runAndWait({"/bin/sh", "-c", editor + " \"$@\"", "sh", argument});
    } else if (!environment("DISPLAY").empty() ||
               !environment("WAYLAND_DISPLAY").empty()) {
      runAndWait({"xdg-open", argument});
    } else {
      std::cerr << "Report written to " << fileName << std::endl;
    }
  }
};

}  // namespace

Platform& hostPlatform() {
  static PosixPlatform platform;
  return platform;
}

bool terminalNeedsFinalLineEnd() { return isatty(STDERR_FILENO) != 0; }

std::int64_t currentTime() {
  return static_cast<std::int64_t>(std::time(nullptr));
}

bool toLocalTime(std::int64_t t, std::tm* out) {
  if (t < std::numeric_limits<time_t>::min() ||
      t > std::numeric_limits<time_t>::max()) {
    return false;
  }
  const time_t value = static_cast<time_t>(t);
  return localtime_r(&value, out) != nullptr;
}

void reloadTimeZone() { tzset(); }

}  // namespace shgs
