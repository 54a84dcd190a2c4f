#include "platform/platform_posix.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <istream>
#include <limits>
#include <optional>
#include <sstream>
#include <system_error>
#include <vector>

#include "platform/host_path.h"
#include "platform/wine_registry.h"

namespace shgs {
namespace {

namespace fs = std::filesystem;

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

bool isBlank(const std::string& text) {
  return text.find_first_not_of(" \t\n\v\f\r") == std::string::npos;
}

// "path" made absolute against the working directory of this moment.
std::string absolutePath(const std::string& path) {
  std::error_code error;
  const fs::path absolute = fs::absolute(path, error);
  if (error) return path;
  std::string text = absolute.lexically_normal().string();
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

// The prefix the server runs in, as Wine itself finds it.
std::string winePrefixFromEnvironment() {
  std::string prefix = environment("WINEPREFIX");
  if (prefix.empty()) prefix = environment("HOME") + "/.wine";
  return absolutePath(prefix);
}

FileIdentity identityOf(const struct stat& info) {
  return FileIdentity{static_cast<std::uint64_t>(info.st_dev),
                      static_cast<std::uint64_t>(info.st_ino)};
}

bool closeChecked(int fd) { return close(fd) == 0 || errno == EINTR; }

// ---- Interruption --------------------------------------------------------

constexpr int kHandledSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Blocks the handled signals for the object's lifetime.
class ScopedSignalBlock {
 public:
  ScopedSignalBlock() {
    sigset_t block;
    sigemptyset(&block);
    for (int signal : kHandledSignals) sigaddset(&block, signal);
    sigprocmask(SIG_BLOCK, &block, &saved_);
  }
  ~ScopedSignalBlock() { sigprocmask(SIG_SETMASK, &saved_, nullptr); }
  ScopedSignalBlock(const ScopedSignalBlock&) = delete;
  ScopedSignalBlock& operator=(const ScopedSignalBlock&) = delete;

 private:
  sigset_t saved_;
};

// The work files that an interruption removes. A signal handler may call
// only async-signal-safe functions, so each path lives in fixed storage,
// changed only while the handled signals are blocked. A run holds at most
// three at once: the start directory's log, a reader's log and the capture.
class InterruptCleanup {
 public:
  int add(const std::string& path, const FileIdentity& identity) {
    if (path.empty() || path[0] != '/' || path.size() >= sizeof(Slot::path)) {
      return -1;
    }
    ScopedSignalBlock block;
    for (int i = 0; i < kSlots; ++i) {
      if (slots_[i].used) continue;
      std::memcpy(slots_[i].path, path.c_str(), path.size() + 1);
      slots_[i].identity = identity;
      slots_[i].used = 1;
      return i;
    }
    return -1;
  }

  void drop(int slot) {
    if (slot < 0) return;
    ScopedSignalBlock block;
    slots_[slot].used = 0;
  }

  // Runs in the signal handler.
  void removeAll() {
    for (Slot& slot : slots_) {
      struct stat info;
      if (slot.used && lstat(slot.path, &info) == 0 &&
          identityOf(info) == slot.identity) {
        unlink(slot.path);
      }
    }
  }

 private:
  static constexpr int kSlots = 8;
  struct Slot {
    volatile sig_atomic_t used = 0;
    FileIdentity identity;
    char path[PATH_MAX] = {};
  };
  Slot slots_[kSlots];
};

// Process-wide, as signal handlers are: the one thing they can reach.
InterruptCleanup interruptCleanupList;

InterruptCleanup& interruptCleanup() { return interruptCleanupList; }

extern "C" void endInterruptedRun(int signal) {
  interruptCleanup().removeAll();
  // Ends the process as the signal would have, so the parent sees it.
  ::signal(signal, SIG_DFL);
  raise(signal);
}

// Leaves a signal that was ignored at start ignored, as nohup wants.
void handleInterruptions() {
  for (int signal : kHandledSignals) {
    struct sigaction previous {};
    sigaction(signal, nullptr, &previous);
    if (previous.sa_handler == SIG_IGN) continue;
    struct sigaction handler {};
    handler.sa_handler = endInterruptedRun;
    sigemptyset(&handler.sa_mask);
    sigaction(signal, &handler, nullptr);
  }
}

// ---- Files ---------------------------------------------------------------

// A work file open on "fd" at the absolute "path".
class PosixWorkFile final : public WorkFile {
 public:
  PosixWorkFile(int fd, std::string path, const FileIdentity& identity)
      : fd_(fd), path_(std::move(path)), identity_(identity) {
    slot_ = interruptCleanup().add(path_, identity_);
  }
  ~PosixWorkFile() override {
    closeFile();
    interruptCleanup().drop(slot_);
  }
  PosixWorkFile(const PosixWorkFile&) = delete;
  PosixWorkFile& operator=(const PosixWorkFile&) = delete;

  int fd() const { return fd_; }

  // False when the system reports that the file's data were not all kept.
  bool closeFile() {
    if (fd_ < 0) return true;
    const bool closed = closeChecked(fd_);
    fd_ = -1;
    return closed;
  }

  void remove() override {
    closeFile();
    struct stat info;
    if (lstat(path_.c_str(), &info) == 0 && identityOf(info) == identity_) {
      unlink(path_.c_str());
    }
    interruptCleanup().drop(slot_);
    slot_ = -1;
  }

 private:
  int fd_;
  std::string path_;
  FileIdentity identity_;
  int slot_ = -1;
};

// Reads a regular file up to the size it had when it was opened: a file
// that grows meanwhile, or one the kernel makes up as it is read, gives no
// more than that.
class BoundedFileBuffer final : public std::streambuf {
 public:
  BoundedFileBuffer(int fd, std::uint64_t size) : fd_(fd), remaining_(size) {}
  ~BoundedFileBuffer() override { close(fd_); }
  BoundedFileBuffer(const BoundedFileBuffer&) = delete;
  BoundedFileBuffer& operator=(const BoundedFileBuffer&) = delete;

  // The error that ended reading early, or 0.
  int error() const { return error_; }

 protected:
  int_type underflow() override {
    if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
    if (remaining_ == 0) return traits_type::eof();
    const std::size_t wanted = static_cast<std::size_t>(
        std::min<std::uint64_t>(sizeof buffer_, remaining_));
    ssize_t n;
    do {
      n = read(fd_, buffer_, wanted);
    } while (n < 0 && errno == EINTR);
    if (n <= 0) {
      // The file ended before its size, or could not be read.
      error_ = n < 0 ? errno : EIO;
      remaining_ = 0;
      return traits_type::eof();
    }
    remaining_ -= static_cast<std::uint64_t>(n);
    setg(buffer_, buffer_, buffer_ + n);
    return traits_type::to_int_type(*gptr());
  }

 private:
  int fd_;
  std::uint64_t remaining_;
  int error_ = 0;
  char buffer_[8192];
};

// Opens "path" for reading when it is a regular file; a FIFO does not block
// the open. Returns -1 with "*error" set to errno, or to 0 for a file that
// is not regular.
int openRegularFile(const std::string& path, struct stat* info, int* error) {
  const int fd =
      open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    *error = errno;
    return -1;
  }
  if (fstat(fd, info) != 0 || !S_ISREG(info->st_mode)) {
    close(fd);
    *error = 0;
    return -1;
  }
  return fd;
}

// Creates "name" anew, exclusively, after removing any entry of exactly
// that name. Another run in the same directory may create its own between
// the two steps; its file is then removed in turn (it keeps it open).
int createFresh(const std::string& name) {
  constexpr int kAttempts = 100;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    unlink(name.c_str());
    const int fd = open(
        name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

bool writeAll(int fd, const std::string& bytes) {
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    written += static_cast<std::size_t>(n);
  }
  return true;
}

// The whole file open on "fd", read from its start.
bool readBack(int fd, std::size_t size, std::string* bytes) {
  bytes->assign(size, '\0');
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n =
        pread(fd, &(*bytes)[done], size - done, static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// ---- Programs ------------------------------------------------------------

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

// Runs argv[0] (a full path, or a name looked up along PATH), without a
// shell, and waits for it; the result is not needed.
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

// The editor the operator named; a name of blanks alone names none.
std::string chosenEditor() {
  for (const char* name : {"VISUAL", "EDITOR"}) {
    const std::string editor = environment(name);
    if (!isBlank(editor)) return editor;
  }
  return std::string();
}

// The words of an editor setting such as "code --wait" or "'/opt/my
// editor/ed' -n", split as a shell splits words: blanks between them,
// single quotes, double quotes and backslashes; nothing is expanded. So the
// setting may carry arguments, and no shell ever sees the report's name.
std::vector<std::string> editorWords(const std::string& setting) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false;
  char quote = '\0';  // the quote the text is inside, if any
  for (std::size_t i = 0; i < setting.size(); ++i) {
    const char c = setting[i];
    const char next = i + 1 < setting.size() ? setting[i + 1] : '\0';
    if (quote == '\'') {
      if (c == '\'') {
        quote = '\0';
      } else {
        word += c;
      }
    } else if (quote == '"') {
      if (c == '"') {
        quote = '\0';
      } else if (c == '\\' && next != '\0' && std::strchr("\"\\$`", next)) {
        word += setting[++i];
      } else {
        word += c;
      }
    } else if (c == '\'' || c == '"') {
      quote = c;
      inWord = true;
    } else if (c == '\\' && next != '\0') {
      word += setting[++i];
      inWord = true;
    } else if (c == ' ' || c == '\t' || c == '\n') {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) words.push_back(word);
  return words;
}

}  // namespace

PosixPlatform::PosixPlatform(std::string desktopOpener)
    : winePrefix_(winePrefixFromEnvironment()),
      desktopOpener_(std::move(desktopOpener)) {
  handleInterruptions();
}

// Home, erase the screen, then the scrollback, as Windows' "cls" leaves
// nothing to scroll back to. A dumb terminal knows no escape sequences.
void PosixPlatform::clearConsole() {
  if (!isatty(STDOUT_FILENO) || environment("TERM") == "dumb") return;
  std::cout << "\x1b[H\x1b[2J\x1b[3J" << std::flush;
}

namespace {

// system.reg read up to the size it had when it was opened, as
// BoundedFileBuffer reads, straight into the listing's buffer.
class BoundedFileSource final : public SystemRegSource {
 public:
  BoundedFileSource(int fd, std::uint64_t size) : fd_(fd), remaining_(size) {}
  ~BoundedFileSource() override { close(fd_); }
  BoundedFileSource(const BoundedFileSource&) = delete;
  BoundedFileSource& operator=(const BoundedFileSource&) = delete;

  // The error that ended reading early, or 0.
  int error() const { return error_; }

  std::size_t read(char* buffer, std::size_t size) override {
    const auto wanted =
        static_cast<std::size_t>(std::min<std::uint64_t>(size, remaining_));
    if (wanted == 0) return 0;
    ssize_t n;
    do {
      n = ::read(fd_, buffer, wanted);
    } while (n < 0 && errno == EINTR);
    if (n <= 0) {
      // The file ended before its size, or could not be read.
      error_ = n < 0 ? errno : EIO;
      remaining_ = 0;
      return 0;
    }
    remaining_ -= static_cast<std::uint64_t>(n);
    return static_cast<std::size_t>(n);
  }

 private:
  int fd_;
  std::uint64_t remaining_;
  int error_ = 0;
};

}  // namespace

// Like reg.exe, which reports its own errors before the run's message, the
// listing says on standard error why it found no key. Nothing when memory
// ran out: the listing is not whole.
std::optional<std::string> PosixPlatform::registryListing(
    const std::string& keyPath) {
  const std::string path = systemRegPath();
  struct stat info;
  int error = 0;
  const int fd = openRegularFile(path, &info, &error);
  if (fd < 0) {
    std::cerr << path << ": "
              << (error == 0 ? "not a regular file" : std::strerror(error))
              << '\n';
    return std::string();
  }
  BoundedFileSource systemReg(fd, static_cast<std::uint64_t>(info.st_size));
  std::ostringstream listing;
  const ListingResult result =
      writeRegistryListing(systemReg, keyPath, listing);
  if (result == ListingResult::kOutOfMemory) return std::nullopt;
  if (systemReg.error() != 0) {
    std::cerr << path << ": " << std::strerror(systemReg.error()) << '\n';
    return std::string();
  }
  if (result == ListingResult::kNoKey) {
    std::cerr << path << ": no key HKLM\\" << keyPath << '\n';
  }
  return listing.str();
}

// The capture is created afresh, never through a link, and read back from
// the same open file: no planted or stale file, nor another run's capture,
// can stand in for it.
std::unique_ptr<WorkFile> PosixPlatform::captureRegistry(
    const std::string& name, const std::string& keyPath, std::string* listing) {
  listing->clear();
  const int fd = createFresh(name);
  struct stat info;
  if (fd < 0) return nullptr;
  if (fstat(fd, &info) != 0) {
    close(fd);
    return nullptr;
  }
  auto capture =
      std::make_unique<PosixWorkFile>(fd, absolutePath(name), identityOf(info));
  const std::optional<std::string> written = registryListing(keyPath);
  std::string read;
  if (!written || !writeAll(fd, *written) ||
      !readBack(fd, written->size(), &read) || !capture->closeFile()) {
    return nullptr;
  }
  *listing = std::move(read);
  return capture;
}

std::unique_ptr<WorkFile> PosixPlatform::openErrorLog(const std::string& name) {
  const int fd = open(name.c_str(),
                      O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK |
                          O_CLOEXEC | O_NOCTTY,
                      0666);
  if (fd < 0) return nullptr;
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return nullptr;
  }
  return std::make_unique<PosixWorkFile>(fd, absolutePath(name),
                                         identityOf(info));
}

std::unique_ptr<std::streambuf> PosixPlatform::openForReading(
    const std::string& hostPath) {
  struct stat info;
  int error = 0;
  const int fd = openRegularFile(hostPath, &info, &error);
  if (fd < 0) return nullptr;
  return std::make_unique<BoundedFileBuffer>(
      fd, static_cast<std::uint64_t>(info.st_size));
}

bool PosixPlatform::fileIdentity(const std::string& hostPath,
                                 FileIdentity* identity) {
  struct stat info;
  if (stat(hostPath.c_str(), &info) != 0) return false;
  *identity = identityOf(info);
  return true;
}

std::string PosixPlatform::storedFileName(const std::string& path) {
  std::error_code error;
  const fs::path resolved = fs::weakly_canonical(path, error);
  return (error ? fs::path(path) : resolved).filename().string();
}

std::vector<std::string> PosixPlatform::registryFiles() {
  return {systemRegPath()};
}

std::string PosixPlatform::currentDirectory() {
  std::vector<char> buffer(4096);
  while (getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return std::string();
    buffer.resize(buffer.size() * 2);
  }
  return std::string(buffer.data());
}

bool PosixPlatform::changeDirectory(const std::string& hostPath) {
  return chdir(hostPath.c_str()) == 0;
}

std::string PosixPlatform::hostPath(const std::string& windowsPath) {
  return mapWindowsPath(windowsPath, winePrefix_);
}

// The editor is the operator's own choice, found along PATH as a shell
// would find it; the file name is its last argument, as typed.
void PosixPlatform::startViewer(const std::string& fileName) {
  std::vector<std::string> editor = editorWords(chosenEditor());
  const std::string argument = asViewerArgument(fileName);
  const bool desktop = !environment("DISPLAY").empty() ||
                       !environment("WAYLAND_DISPLAY").empty();
  if (!editor.empty()) {
    editor.push_back(argument);
    runAndWait(editor);
  } else if (desktop && access(desktopOpener_.c_str(), X_OK) == 0) {
    runAndWait({desktopOpener_, argument});
  } else {
    std::cerr << "Report written to " << fileName << std::endl;
  }
}

std::unique_ptr<Platform> makeHostPlatform() {
  return std::make_unique<PosixPlatform>("/usr/bin/xdg-open");
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
