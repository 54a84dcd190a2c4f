#include "platform/posix/viewer.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <utility>

#include "platform/platform.h"
#include "platform/posix/environment.h"

extern char** environ;

namespace shgs {
namespace {

// Like system(), the caller ignores the terminal's interrupt and quit keys
// while it waits, so that they end only the child and the run can still
// clean up after it. The child gets them back as they were at start.
class ScopedIgnoreInterrupts {
 public:
  ScopedIgnoreInterrupts() {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGINT, &ignore, &savedInterrupt_);
    sigaction(SIGQUIT, &ignore, &savedQuit_);
  }
  ~ScopedIgnoreInterrupts() {
    sigaction(SIGINT, &savedInterrupt_, nullptr);
    sigaction(SIGQUIT, &savedQuit_, nullptr);
  }
  ScopedIgnoreInterrupts(const ScopedIgnoreInterrupts&) = delete;
  ScopedIgnoreInterrupts& operator=(const ScopedIgnoreInterrupts&) = delete;

  // The signals a child is to get back at their defaults.
  sigset_t restoredInChild() const {
    sigset_t set;
    sigemptyset(&set);
    if (savedInterrupt_.sa_handler != SIG_IGN) sigaddset(&set, SIGINT);
    if (savedQuit_.sa_handler != SIG_IGN) sigaddset(&set, SIGQUIT);
    return set;
  }

 private:
  struct sigaction savedInterrupt_ {};
  struct sigaction savedQuit_ {};
};

// Runs argv[0] (a full path, or a name looked up along PATH), without a
// shell, and waits for it; its result is not needed. Returns 0, or the
// error that kept it from starting.
int runAndWait(const std::vector<std::string>& argv) {
  std::cout.flush();
  std::cerr.flush();
  std::vector<char*> args;
  for (const std::string& arg : argv) {
    args.push_back(const_cast<char*>(arg.c_str()));
  }
  args.push_back(nullptr);
  const ScopedIgnoreInterrupts interrupts;
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  const sigset_t defaults = interrupts.restoredInChild();
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
  pid_t child = 0;
  const int error =
      posix_spawnp(&child, args[0], nullptr, &attributes, args.data(), environ);
  posix_spawnattr_destroy(&attributes);
  if (error != 0) return error;
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return 0;
}

bool isBlank(const std::string& text) {
  return text.find_first_not_of(" \t\n\v\f\r") == std::string::npos;
}

// A viewer would take a relative name such as "-r" or "+q" for an option.
std::string asViewerArgument(const std::string& fileName) {
  if (!fileName.empty() && (fileName[0] == '-' || fileName[0] == '+')) {
    return "./" + fileName;
  }
  return fileName;
}

// The editor the operator named: the variable and its value; a value of
// blanks alone names none.
std::pair<std::string, std::string> chosenEditor() {
  for (const char* name : {"VISUAL", "EDITOR"}) {
    const std::string editor = environmentValue(name);
    if (!isBlank(editor)) return {name, editor};
  }
  return {};
}

bool separatesWords(char c) { return c == ' ' || c == '\t' || c == '\n'; }

// Whether the backslash at "i" takes the character after it as it is: out
// of quotes always, in double quotes only before one of "\"\\$`".
bool escapesNext(const std::string& setting, std::size_t i, char quote) {
  const char next = i + 1 < setting.size() ? setting[i + 1] : '\0';
  if (setting[i] != '\\' || next == '\0') return false;
  return quote == '\0' || std::strchr("\"\\$`", next) != nullptr;
}

// Reads the word that starts at "*i" into "*word", its quotes and escaping
// backslashes taken away, and moves "*i" past it. False when a quote is
// left open.
bool readWord(const std::string& setting, std::size_t* i, std::string* word) {
  char quote = '\0';  // the quote the text is inside, if any
  for (; *i < setting.size(); ++*i) {
    const char c = setting[*i];
    if (quote == '\0' && separatesWords(c)) break;
    if (quote != '\'' && escapesNext(setting, *i, quote)) {
      *word += setting[++*i];
    } else if (quote != '\0' && c == quote) {
      quote = '\0';
    } else if (quote == '\0' && (c == '\'' || c == '"')) {
      quote = c;
    } else {
      *word += c;
    }
  }
  return quote == '\0';
}

// Starts the editor "setting" of the variable "variable" on "argument";
// false, having said why, when it cannot be used.
bool startEditor(const std::string& variable, const std::string& setting,
                 const std::string& argument) {
  std::vector<std::string> words;
  std::string reason;
  if (!editorWords(setting, &words)) {
    reason = "a quote is not closed";
  } else {
    words.push_back(argument);
    const int error = runAndWait(words);
    if (error == 0) return true;
    reason = words.front() + ": " + std::strerror(error);
  }
  std::cerr << consoleText(variable + " could not be used: " + reason) << '\n';
  return false;
}

}  // namespace

// So the setting may carry arguments, and no shell ever sees the report's
// name.
bool editorWords(const std::string& setting, std::vector<std::string>* words) {
  std::size_t i = 0;
  for (;;) {
    while (i < setting.size() && separatesWords(setting[i])) ++i;
    if (i == setting.size()) return true;
    std::string word;
    if (!readWord(setting, &i, &word)) return false;
    words->push_back(word);
  }
}

void viewReport(const std::string& fileName, const std::string& desktopOpener) {
  const auto [variable, editor] = chosenEditor();
  const std::string argument = asViewerArgument(fileName);
  const bool desktop = !environmentValue("DISPLAY").empty() ||
                       !environmentValue("WAYLAND_DISPLAY").empty();
  if (!editor.empty()) {
    if (startEditor(variable, editor, argument)) return;
  } else if (desktop && access(desktopOpener.c_str(), X_OK) == 0) {
    runAndWait({desktopOpener, argument});
    return;
  }
  std::cerr << "Report written to " << consoleText(fileName) << std::endl;
}

}  // namespace shgs
