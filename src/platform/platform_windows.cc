#include <direct.h>
#include <io.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <vector>

#include "platform/platform.h"

namespace shgs {
namespace {

// The console registry tool lists the key tree; the redirection replaces any
// earlier capture.
constexpr char kCaptureCommand[] =
    "reg query \"HKLM\\Software\\Orbital Forge Software\\Starhaul Deluxe Game "
    "Server\" /s > qil.tmp";

// Commands run by the command processor write to the console directly, so
// whatever the streams still hold must reach it first.
void runCommand(const std::string& command) {
  std::cout.flush();
  std::cerr.flush();
  std::system(command.c_str());
}

class WindowsPlatform final : public Platform {
 public:
  // Redirected, "cls" writes a form feed into the output; only a console is
  // cleared.
  void clearConsole() override {
    if (_isatty(_fileno(stdout))) runCommand("cls");
  }

  void captureRegistry() override { runCommand(kCaptureCommand); }

  bool removeFile(const std::string& hostPath) override {
    return std::remove(hostPath.c_str()) == 0;
  }

  std::string currentDirectory() override {
    char* path = _getcwd(nullptr, 0);
    if (path == nullptr) return std::string();
    std::string result(path);
    std::free(path);
    return result;
  }

  bool changeDirectory(const std::string& hostPath) override {
    return _chdir(hostPath.c_str()) == 0;
  }

  std::string hostPath(const std::string& windowsPath) override {
    return windowsPath;
  }

  std::string joinPath(const std::string& directory,
                       const std::string& name) override {
    if (!directory.empty() &&
        (directory.back() == '\\' || directory.back() == '/')) {
      return directory + name;
    }
    return directory + "\\" + name;
  }

  bool isRegularFile(const std::string& hostPath) override {
    struct _stat64 info;
    return _stat64(hostPath.c_str(), &info) == 0 &&
           (info.st_mode & _S_IFREG) != 0;
  }

  void startViewer(const std::string& fileName) override {
    runCommand("notepad.exe \"" + fileName + "\"");
  }
};

}  // namespace

Platform& hostPlatform() {
  static WindowsPlatform platform;
  return platform;
}

// The command processor begins its prompt on a new line after any program.
bool terminalNeedsFinalLineEnd() { return false; }

std::int64_t currentTime() {
  return static_cast<std::int64_t>(_time64(nullptr));
}

bool toLocalTime(std::int64_t t, std::tm* out) {
  const __time64_t value = static_cast<__time64_t>(t);
  const std::tm* converted = _localtime64(&value);
  if (converted == nullptr) return false;
  *out = *converted;
  return true;
}

void reloadTimeZone() { _tzset(); }

}  // namespace shgs
