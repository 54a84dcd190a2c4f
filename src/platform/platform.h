#ifndef SHGS_PLATFORM_PLATFORM_H_
#define SHGS_PLATFORM_PLATFORM_H_

#include <cstdint>
#include <ctime>
#include <memory>
#include <streambuf>
#include <string>
#include <vector>

namespace shgs {

// Which file a name denotes, however it is spelled: device and inode on
// POSIX, volume serial number and file index on Windows.
struct FileIdentity {
  std::uint64_t volume = 0;
  std::uint64_t index = 0;

  bool operator==(const FileIdentity& other) const {
    return volume == other.volume && index == other.index;
  }
  bool operator!=(const FileIdentity& other) const { return !(*this == other); }
};

// A file the run makes for itself (the registry capture, an error log). It
// was created or opened without following a link and is a regular file; no
// program the run starts inherits it; while it exists an interruption of the
// run (Ctrl-C and its kin) removes it. Destroying the object closes the file
// and leaves it where it is.
class WorkFile {
 public:
  virtual ~WorkFile() = default;

  // Closes the file and removes it from the directory it was made in, when
  // its name there still denotes this file (another run may have replaced
  // it meanwhile).
  virtual void remove() = 0;
};

// The operating-system services the exporter needs. The server and its
// registry are Windows things; on other hosts the implementation maps them
// onto the Wine prefix the server runs in. The build picks the implementation
// (platform_posix.cc or platform_windows.cc); nothing else knows which it is.
class Platform {
 public:
  virtual ~Platform() = default;

  // Clears the console. Writes nothing when standard output is not a console,
  // so redirected output holds no control sequences.
  virtual void clearConsole() = 0;

  // Writes the recursive listing of the registry key "keyPath" (below
  // HKEY_LOCAL_MACHINE) into a new file "name" in the current directory and
  // reads back into "*listing" what was written. An earlier entry of exactly
  // that name is removed first; another spelling of the name is neither read
  // nor touched. An absent key gives an empty listing. Returns nullptr,
  // leaving "*listing" empty, when the capture could not be created or
  // written whole; the file then stays where it is.
  virtual std::unique_ptr<WorkFile> captureRegistry(const std::string& name,
                                                    const std::string& keyPath,
                                                    std::string* listing) = 0;

  // Opens the error log "name" in the current directory for appending,
  // creating it when it does not exist. Returns nullptr when it cannot be
  // opened, or when that name is a link, a FIFO or a device.
  virtual std::unique_ptr<WorkFile> openErrorLog(const std::string& name) = 0;

  // Opens the regular file at "hostPath" for reading, links followed, in
  // binary. Reading ends at the size the file had when it was opened.
  // Returns nullptr when it is not a regular file or cannot be opened.
  virtual std::unique_ptr<std::streambuf> openForReading(
      const std::string& hostPath) = 0;

  // The identity of the existing file at "hostPath", links followed. False
  // when there is no such file.
  virtual bool fileIdentity(const std::string& hostPath,
                            FileIdentity* identity) = 0;

  // The name under which the host keeps the file that "path" (a name as the
  // operator typed it) denotes: its last component, after following links
  // and undoing what the host ignores in names.
  virtual std::string storedFileName(const std::string& path) = 0;

  // Host paths of the files the registry is read from; empty where the
  // registry is not read from files.
  virtual std::vector<std::string> registryFiles() = 0;

  // The working directory as the host names it; empty when it cannot be told.
  virtual std::string currentDirectory() = 0;

  // Makes "hostPath" (a path as the host names it, such as one returned by
  // currentDirectory) the working directory. Returns false when it could not.
  virtual bool changeDirectory(const std::string& hostPath) = 0;

  // The host path of a file or directory that the server's registry or the
  // exporter names Windows-style ("C:\SHGS\GAME", "shcfig.dat"). Relative
  // paths stay relative to the working directory.
  virtual std::string hostPath(const std::string& windowsPath) = 0;

  // Shows the report file "fileName" to the operator and waits until the
  // viewer ends. The viewer's result is not examined.
  virtual void startViewer(const std::string& fileName) = 0;
};

// The implementation for the host the program was built for, made once at
// the start of a run: it fixes what the environment says about where the
// server lives, and from then on an interruption removes the work files.
std::unique_ptr<Platform> makeHostPlatform();

// True when a message on standard error needs a line end of its own to keep
// the next shell prompt off its line: standard error is a POSIX terminal.
// Windows' command processor starts its prompt on a new line itself, and a
// file or pipe gets the message exactly as written.
bool terminalNeedsFinalLineEnd();

// Seconds since 1970-01-01 00:00 UTC.
std::int64_t currentTime();

// The broken-down local time of "t" in the machine's time zone. Returns false
// when the platform cannot convert it.
bool toLocalTime(std::int64_t t, std::tm* out);

// Makes the next conversions follow the time zone now named by the
// environment (TZ).
void reloadTimeZone();

}  // namespace shgs

#endif  // SHGS_PLATFORM_PLATFORM_H_
