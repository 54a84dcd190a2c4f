#include "platform/platform_posix.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
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
#include <new>
#include <sstream>
#include <system_error>
#include <vector>

#include "platform/posix_report.h"
#include "platform/posix_work_file.h"
#include "platform/wine_registry.h"

extern char** environ;

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

// The prefix the server runs in, as Wine itself finds it; empty when
// neither WINEPREFIX nor HOME says where.
std::string winePrefixFromEnvironment() {
  std::string prefix = environment("WINEPREFIX");
  if (prefix.empty()) {
    const std::string home = environment("HOME");
    if (home.empty()) return std::string();
    prefix = home + "/.wine";
  }
  return absolutePath(prefix);
}

HostFolderPtr hostFolderOf(const FolderPtr& folder) {
  return std::dynamic_pointer_cast<const HostFolder>(folder);
}

// The working directory as the host names it; empty when it cannot tell.
std::string workingDirectory() {
  std::vector<char> buffer(4096);
  while (getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return std::string();
    buffer.resize(buffer.size() * 2);
  }
  return buffer.data();
}

// The working directory, held by descriptor; named "." when the host cannot
// tell its name.
HostFolderPtr openStartFolder() {
  const std::string path = workingDirectory();
  const int fd = open(".", O_PATH | O_DIRECTORY | O_CLOEXEC);
  return std::make_shared<HostFolder>(fd, path.empty() ? "." : path);
}

// ---- Reading -------------------------------------------------------------

// Reads a regular file up to the size it had when it was opened: a file
// that grows meanwhile, or one the kernel makes up as it is read, gives no
// more than that; one that shrinks, or cannot be read, fails.
class BoundedFileBuffer final : public InputFile {
 public:
  BoundedFileBuffer(int fd, std::uint64_t size, std::string hostPath)
      : fd_(fd), remaining_(size), hostPath_(std::move(hostPath)) {}
  ~BoundedFileBuffer() override { close(fd_); }
  BoundedFileBuffer(const BoundedFileBuffer&) = delete;
  BoundedFileBuffer& operator=(const BoundedFileBuffer&) = delete;

  bool failed(std::string* why) const override {
    if (error_ == 0) return false;
    *why = hostPath_ + ": " +
           (error_ == kShrank ? std::string("shorter than when it was opened")
                              : std::strerror(error_));
    return true;
  }

 protected:
  int_type underflow() override {
    if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
    const std::size_t n = readSome(buffer_, sizeof buffer_);
    if (n == 0) return traits_type::eof();
    setg(buffer_, buffer_, buffer_ + n);
    return traits_type::to_int_type(*gptr());
  }

  // Large reads go straight to the caller.
  std::streamsize xsgetn(char* out, std::streamsize count) override {
    std::streamsize done = 0;
    while (done < count && gptr() < egptr()) {
      out[done++] = *gptr();
      gbump(1);
    }
    while (done < count) {
      const std::size_t n =
          readSome(out + done, static_cast<std::size_t>(count - done));
      if (n == 0) break;
      done += static_cast<std::streamsize>(n);
    }
    return done;
  }

 private:
  static constexpr int kShrank = -1;

  std::size_t readSome(char* out, std::size_t wanted) {
    if (remaining_ == 0) return 0;
    wanted =
        static_cast<std::size_t>(std::min<std::uint64_t>(wanted, remaining_));
    ssize_t n;
    do {
      n = read(fd_, out, wanted);
    } while (n < 0 && errno == EINTR);
    if (n <= 0) {
      error_ = n < 0 ? errno : kShrank;
      remaining_ = 0;
      return 0;
    }
    remaining_ -= static_cast<std::uint64_t>(n);
    return static_cast<std::size_t>(n);
  }

  int fd_;
  std::uint64_t remaining_;
  std::string hostPath_;
  int error_ = 0;
  char buffer_[8192];
};

// system.reg as the listing reads it: large blocks, straight into its
// buffer.
class InputFileSource final : public SystemRegSource {
 public:
  explicit InputFileSource(InputFile& file) : file_(file) {}

  std::size_t read(char* buffer, std::size_t size) override {
    return static_cast<std::size_t>(
        file_.sgetn(buffer, static_cast<std::streamsize>(size)));
  }

 private:
  InputFile& file_;
};

// Opens "name" of "folder" for reading when it is a regular file; a FIFO
// does not block the open. Returns -1 with "*error" set to errno, or to 0
// for a file that is not regular.
int openRegularFile(const HostFolder& folder, const std::string& name,
                    struct stat* info, int* error, bool matchCase = false) {
  constexpr int kFlags = O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;
  const int fd = matchCase ? openat(folder.fd(), name.c_str(), kFlags)
                           : openEntry(folder, name, kFlags);
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

// Creates "name" anew in "folder", exclusively, removing any entry of
// exactly that name that stands in the way. Another run in the same folder
// may create its own between the two steps; its file is then removed in
// turn (it keeps it open).
std::unique_ptr<PosixWorkFile> createFresh(const HostFolderPtr& folder,
                                           const std::string& name) {
  constexpr int kAttempts = 100;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    std::unique_ptr<PosixWorkFile> file =
        PosixWorkFile::open(folder, name, O_RDWR | O_EXCL, 0666);
    if (file != nullptr || errno != EEXIST) return file;
    if (unlinkat(folder->fd(), name.c_str(), 0) != 0 && errno == EISDIR) {
      return nullptr;
    }
  }
  return nullptr;
}

// ---- Standard input ------------------------------------------------------

// Standard input read straight from its descriptor. One left non-blocking
// by another program is waited on, not taken as ended.
class StandardInputBuffer final : public std::streambuf {
 protected:
  int_type underflow() override {
    if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
    for (;;) {
      const ssize_t n = read(STDIN_FILENO, buffer_, sizeof buffer_);
      if (n > 0) {
        setg(buffer_, buffer_, buffer_ + n);
        return traits_type::to_int_type(*gptr());
      }
      if (n == 0) return traits_type::eof();
      if (errno == EAGAIN || errno == EWOULDBLOCK) {
        pollfd input{STDIN_FILENO, POLLIN, 0};
        poll(&input, 1, -1);
      } else if (errno != EINTR) {
        return traits_type::eof();
      }
    }
  }

 private:
  char buffer_[4096];
};

// ---- Programs ------------------------------------------------------------

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
    const std::string editor = environment(name);
    if (!isBlank(editor)) return {name, editor};
  }
  return {};
}

// The words of an editor setting such as "code --wait" or "'/opt/my
// editor/ed' -n", split as a shell splits words: blanks between them,
// single quotes, double quotes and backslashes; nothing is expanded. So the
// setting may carry arguments, and no shell ever sees the report's name.
// False when a quote is left open.
bool editorWords(const std::string& setting, std::vector<std::string>* words) {
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
      if (inWord) words->push_back(word);
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) words->push_back(word);
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

PosixPlatform::PosixPlatform(std::string desktopOpener)
    : paths_(winePrefixFromEnvironment()),
      desktopOpener_(std::move(desktopOpener)),
      consoleIsTerminal_(isatty(STDOUT_FILENO) != 0 &&
                         environment("TERM") != "dumb"),
      start_(openStartFolder()),
      current_(start_) {
  handleInterruptions();
}

// Home, erase the screen, then the scrollback, as Windows' "cls" leaves
// nothing to scroll back to. A dumb terminal knows no escape sequences.
void PosixPlatform::clearConsole() {
  if (!consoleIsTerminal_) return;
  std::cout << "\x1b[H\x1b[2J\x1b[3J" << std::flush;
}

// Like reg.exe, which reports its own errors before the run's message, the
// listing says on standard error why it found no key.
std::string PosixPlatform::registryListing(const std::string& keyPath) {
  if (paths_.winePrefix().empty()) {
    std::cerr << "HOME is not set\n";
    return std::string();
  }
  const std::string path = paths_.winePrefix() + "/system.reg";
  prefix_ = HostFolder::open(nullptr, paths_.winePrefix());
  struct stat info;
  int error = ENOENT;
  const int fd = prefix_ == nullptr
                     ? -1
                     : openRegularFile(*prefix_, "system.reg", &info, &error,
                                       /*matchCase=*/true);
  if (fd < 0) {
    if (prefix_ == nullptr) error = errno;
    std::cerr << consoleText(path + ": " + reasonOf(error)) << '\n';
    return std::string();
  }
  BoundedFileBuffer file(fd, static_cast<std::uint64_t>(info.st_size), path);
  InputFileSource systemReg(file);
  std::ostringstream listing;
  const ListingResult result =
      writeRegistryListing(systemReg, keyPath, listing);
  if (result == ListingResult::kOutOfMemory) throw std::bad_alloc();
  std::string why;
  if (file.failed(&why)) {
    std::cerr << consoleText(why) << '\n';
    return std::string();
  }
  if (result == ListingResult::kNoKey) {
    std::cerr << consoleText(path + ": no key HKLM\\" + keyPath) << '\n';
  }
  return listing.str();
}

// The capture is created afresh, never through a link, and read back from
// the same open file: no planted or stale file, nor another run's capture,
// can stand in for it. Memory running out is no listing either; the capture
// then goes at once.
std::unique_ptr<WorkFile> PosixPlatform::captureRegistry(
    const std::string& name, const std::string& keyPath, std::string* listing,
    std::string* why) {
  listing->clear();
  std::unique_ptr<PosixWorkFile> capture = createFresh(current_, name);
  if (capture == nullptr) {
    *why = current_->pathOf(name) + ": " + reasonOf(errno);
    return nullptr;
  }
  try {
    const std::string written = registryListing(keyPath);
    std::string read;
    if (!writeAll(capture->fd(), written) ||
        !readBack(capture->fd(), written.size(), &read) ||
        !capture->closeFile()) {
      *why = capture->hostPath() + ": " + std::strerror(errno);
      return nullptr;
    }
    *listing = std::move(read);
  } catch (const std::bad_alloc&) {
    *why = capture->hostPath() + ": " + std::strerror(ENOMEM);
    capture->remove();
    return nullptr;
  }
  return capture;
}

std::unique_ptr<WorkFile> PosixPlatform::openErrorLog(const std::string& name,
                                                      std::string* why) {
  std::unique_ptr<PosixWorkFile> log =
      PosixWorkFile::open(current_, name, O_WRONLY | O_APPEND, 0666);
  if (log == nullptr) *why = current_->pathOf(name) + ": " + reasonOf(errno);
  return log;
}

std::unique_ptr<InputFile> PosixPlatform::openForReading(
    const FolderEntry& file, std::string* why) {
  const HostFolderPtr folder = hostFolderOf(file.folder);
  struct stat info;
  int error = 0;
  const int fd = openRegularFile(*folder, file.name, &info, &error);
  if (fd < 0) {
    *why = folder->pathOf(file.name) + ": " + reasonOf(error);
    return nullptr;
  }
  return std::make_unique<BoundedFileBuffer>(
      fd, static_cast<std::uint64_t>(info.st_size), folder->pathOf(file.name));
}

bool PosixPlatform::fileIdentity(const FolderEntry& file,
                                 FileIdentity* identity) {
  const HostFolderPtr folder = hostFolderOf(file.folder);
  struct stat info;
  if (fstatat(folder->fd(), findEntry(*folder, file.name).c_str(), &info, 0) !=
      0) {
    return false;
  }
  *identity = identityOf(info);
  return true;
}

std::vector<FolderEntry> PosixPlatform::registryFiles() {
  if (prefix_ == nullptr) return {};
  return {FolderEntry{prefix_, "system.reg"}};
}

// As found when the folder was entered: the start folder's is the working
// directory's when the run began.
std::string PosixPlatform::currentDirectory() {
  const std::string& path = current_->hostPath();
  return path == "." ? std::string() : path;
}

FolderPtr PosixPlatform::findFolder(const std::string& windowsPath,
                                    const FolderPtr& base, std::string* why) {
  return paths_.findFolder(windowsPath, hostFolderOf(base), why);
}

// Every file is opened through the folder it lies in, so the working
// directory need not change: the folder was found only where it could be
// entered.
bool PosixPlatform::enterFolder(const FolderPtr& folder, std::string*) {
  current_ = hostFolderOf(folder);
  if (current_ == start_) {
    awayFromStart_.reset();
  } else if (!awayFromStart_) {
    awayFromStart_.emplace();
  }
  return true;
}

bool PosixPlatform::findReportPlace(const std::string& fileName,
                                    ReportPlace* place, std::string* why) {
  return findPosixReportPlace(current_, fileName, place, why);
}

std::unique_ptr<ReportFile> PosixPlatform::createReport(
    const ReportPlace& place, std::string* why) {
  return createPosixReport(place, why);
}

// The editor is the operator's own choice, found along PATH as a shell
// would find it; the file name is its last argument, as typed.
void PosixPlatform::startViewer(const std::string& fileName) {
  const auto [variable, editor] = chosenEditor();
  const std::string argument = asViewerArgument(fileName);
  const bool desktop = !environment("DISPLAY").empty() ||
                       !environment("WAYLAND_DISPLAY").empty();
  if (!editor.empty()) {
    if (startEditor(variable, editor, argument)) return;
  } else if (desktop && access(desktopOpener_.c_str(), X_OK) == 0) {
    runAndWait({desktopOpener_, argument});
    return;
  }
  std::cerr << "Report written to " << consoleText(fileName) << std::endl;
}

std::unique_ptr<Platform> makeHostPlatform() {
  return std::make_unique<PosixPlatform>("/usr/bin/xdg-open");
}

bool isHelpSwitch(const std::string&) { return false; }

std::streambuf* standardInput() {
  static StandardInputBuffer buffer;
  return &buffer;
}

std::string failureLine(const std::string& hostPath,
                        const std::string& reason) {
  return hostPath + ": " + reason;
}

bool terminalNeedsFinalLineEnd() { return isatty(STDERR_FILENO) != 0; }

// Control characters are C0, DEL and, in UTF-8, C1; a byte that begins no
// character of UTF-8 stands for itself, but one of C1's range is shown as
// "?" too.
std::string consoleText(const std::string& text, std::size_t maxBytes) {
  std::string shown;
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 1;
    if (lead >= 0xC2 && lead <= 0xF4) {
      length = lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
      for (std::size_t k = 1; k < length; ++k) {
        if (i + k >= text.size() || (text[i + k] & 0xC0) != 0x80) length = 1;
      }
    }
    if (i + length > maxBytes) break;
    const bool c1 = (length == 2 && lead == 0xC2 &&
                     static_cast<unsigned char>(text[i + 1]) < 0xA0) ||
                    (length == 1 && lead >= 0x80 && lead < 0xA0);
    if (lead < 0x20 || lead == 0x7F || c1) {
      shown += '?';
    } else {
      shown.append(text, i, length);
    }
    i += length;
  }
  return shown;
}

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

// Wine's server writes its files in the prefix's code page, which the host
// does not tell.
bool serverCodePageToUtf8(const std::string&, std::string*) { return false; }

}  // namespace shgs
