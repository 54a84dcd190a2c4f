#include "platform/posix/posix_platform.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <system_error>

#include "platform/posix/environment.h"
#include "platform/posix/input_file.h"
#include "platform/posix/registry_capture.h"
#include "platform/posix/report_file.h"
#include "platform/posix/viewer.h"
#include "platform/posix/work_file.h"

namespace shgs {
namespace {

namespace fs = std::filesystem;

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
  std::string prefix = environmentValue("WINEPREFIX");
  if (prefix.empty()) {
    const std::string home = environmentValue("HOME");
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
HostFolderPtr openStartFolder(const FolderListingsPtr& listings) {
  const std::string path = workingDirectory();
  const int fd = open(".", kFolderFlags);
  return std::make_shared<HostFolder>(fd, path.empty() ? "." : path, listings);
}

// Like reg.exe, which reports its own errors before the run's message, the
// listing says on standard error why it found no key.
void tellWhyNotListed(const SystemRegListing& found) {
  if (found.complaint.empty()) return;
  std::cerr << consoleText(found.complaint) << '\n';
}

// The capture that memory ran out for goes at once.
void dropForLackOfMemory(PosixWorkFile& capture, std::string* why) {
  *why = capture.hostPath() + ": " + std::strerror(ENOMEM);
  capture.remove();
}

}  // namespace

PosixPlatform::PosixPlatform(std::string desktopOpener)
    : listings_(std::make_shared<FolderListings>()),
      paths_(winePrefixFromEnvironment(), listings_),
      desktopOpener_(std::move(desktopOpener)),
      consoleIsTerminal_(isatty(STDOUT_FILENO) != 0 &&
                         environmentValue("TERM") != "dumb"),
      start_(openStartFolder(listings_)),
      current_(start_) {
  handleInterruptions();
}

// Home, erase the screen, then the scrollback, as Windows' "cls" leaves
// nothing to scroll back to. A dumb terminal knows no escape sequences.
void PosixPlatform::clearConsole() {
  if (!consoleIsTerminal_) return;
  std::cout << "\x1b[H\x1b[2J\x1b[3J" << std::flush;
}

// The capture is created afresh, never through a link, and read back from
// the same open file: no planted or stale file, nor another run's capture,
// can stand in for it. Memory running out is no listing either.
std::unique_ptr<WorkFile> PosixPlatform::captureRegistry(
    const std::string& name, const std::string& keyPath, std::string* listing,
    std::string* why) {
  listing->clear();
  std::unique_ptr<PosixWorkFile> capture = createCapture(current_, name);
  if (capture == nullptr) {
    *why = current_->pathOf(name) + ": " + reasonOf(errno);
    return nullptr;
  }
  const SystemRegListing found =
      listSystemReg(paths_.winePrefix(), keyPath, listings_);
  prefix_ = found.prefix;
  server_ = found.server;
  tellWhyNotListed(found);
  std::string read;
  const CopyResult copied =
      found.outOfMemory ? CopyResult::kOutOfMemory
                        : writeAndReadBack(capture->fd(), found.text, &read);
  if (copied == CopyResult::kOutOfMemory) {
    dropForLackOfMemory(*capture, why);
    return nullptr;
  }
  if (copied == CopyResult::kFailed || !capture->closeFile()) {
    *why = capture->hostPath() + ": " + std::strerror(errno);
    return nullptr;
  }
  *listing = std::move(read);
  return capture;
}

bool PosixPlatform::listRegistry(const std::string& keyPath,
                                 std::string* listing, std::string* why) {
  SystemRegListing found =
      listSystemReg(paths_.winePrefix(), keyPath, listings_);
  prefix_ = found.prefix;
  server_ = found.server;
  if (found.outOfMemory) {
    const std::vector<FolderEntry> files = registryFiles();
    *why = (files.empty() ? std::string("system.reg")
                          : files.front().folder->pathOf(files.front().name)) +
           ": " + std::strerror(ENOMEM);
    return false;
  }
  *why = found.complaint;
  *listing = std::move(found.text);
  return true;
}

std::unique_ptr<WorkFile> PosixPlatform::openErrorLog(const std::string& name,
                                                      std::string* why) {
  std::unique_ptr<PosixWorkFile> log =
      PosixWorkFile::open(current_, name, O_WRONLY | O_APPEND);
  if (log == nullptr) *why = current_->pathOf(name) + ": " + reasonOf(errno);
  return log;
}

// A file the server's account could not read itself is one that cannot be
// read: judged on the file opened, whatever links led to it.
std::unique_ptr<InputFile> PosixPlatform::openForReading(
    const FolderEntry& file, std::string* why, bool* missing) {
  const HostFolderPtr folder = hostFolderOf(file.folder);
  struct stat info;
  int error = 0;
  const int fd = openRegularFile(*folder, file.name, &info, &error);
  *missing = fd < 0 && (error == ENOENT || error == ENOTDIR);
  if (fd < 0) {
    *why = folder->pathOf(file.name) + ": " + reasonOf(error);
    return nullptr;
  }
  if (server_ && !server_->mayRead(info)) {
    close(fd);
    *why = folder->pathOf(file.name) + ": not readable by the server's owner";
    return nullptr;
  }
  return std::make_unique<PosixInputFile>(
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

void PosixPlatform::startViewer(const std::string& fileName) {
  viewReport(fileName, desktopOpener_);
}

std::unique_ptr<Platform> makeHostPlatform() {
  return std::make_unique<PosixPlatform>("/usr/bin/xdg-open");
}

bool isHelpSwitch(const std::string&) { return false; }

bool tellsWhereBeforeFatalMessages() { return true; }

}  // namespace shgs
