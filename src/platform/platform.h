#ifndef SHGS_PLATFORM_PLATFORM_H_
#define SHGS_PLATFORM_PLATFORM_H_

#include <cstddef>
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

// Operations that can fail fill a "why" text when they do: the host path
// concerned and the system's reason, "<host path>: <reason>" (see
// failureLine).

// A directory the run has found and holds on to: whatever later happens to
// the names that led to it, it stays that directory, however deep.
class Folder {
 public:
  virtual ~Folder() = default;

  // Where the host keeps it, for messages.
  virtual const std::string& hostPath() const = 0;

  // Where the host keeps its entry "name", for messages.
  virtual std::string pathOf(const std::string& name) const = 0;

  // Whether "other" is the same directory, reached another way or not.
  virtual bool isSameAs(const Folder& other) const = 0;
};

using FolderPtr = std::shared_ptr<const Folder>;

// A name in a folder, as the server's programs would look it up: without
// regard to letter case where the name does not exist as written.
struct FolderEntry {
  FolderPtr folder;
  std::string name;
};

// A file the run makes for itself (the registry capture, an error log, the
// unfinished report). It was created or opened without following a link and
// is a regular file; one it created no other account may write or read
// (POSIX: mode 0600; Windows: no other handle may write it, and the
// capture and the logs allow their owner alone); no program the run starts
// inherits it; while it exists an interruption of the run (Ctrl-C and its kin)
// removes it. Destroying the object closes the file and leaves it where it is.
class WorkFile {
 public:
  virtual ~WorkFile() = default;

  // Closes the file and removes it from the folder it was made in, when its
  // name there still denotes this file (another run may have replaced it
  // meanwhile).
  virtual void remove() = 0;
};

// A regular file open for reading. Reading ends at the size the file had
// when it was opened.
class InputFile : public std::streambuf {
 public:
  // True once reading stopped short of that size: the system reported an
  // error, or the file shrank meanwhile. "why" tells which.
  virtual bool failed(std::string* why) const = 0;
};

// Where the report is to go: "name" in "folder", after following any links
// at the name the operator gave.
struct ReportPlace {
  FolderPtr folder;
  std::string name;  // as the host keeps it there
  bool exists = false;
  FileIdentity identity;  // of the existing file
};

// The report being written: a new file of the run's own beside its place,
// which becomes the report only when it is complete. Until then the file
// that had the report's name stays as it was; destroying the object
// unfinished, or an interruption, removes the new file.
class ReportFile {
 public:
  virtual ~ReportFile() = default;

  // Where the report is written.
  virtual std::streambuf& contents() = 0;

  // Writes out what "contents" holds and gives the file the report's name,
  // replacing the file that had it. It takes its final permissions on the
  // open file just before: on POSIX the replaced file's mode bits, group
  // and, where the run may set it, owner; else 0666 less the umask. False,
  // with the new file removed, when writing failed.
  virtual bool commit(std::string* why) = 0;
};

// The operating-system services the exporter needs. The server and its
// registry are Windows things; on other hosts the implementation maps them
// onto the Wine prefix the server runs in. The build picks the implementation
// (platform/posix or platform/windows); nothing else knows which it is.
class Platform {
 public:
  virtual ~Platform() = default;

  // Clears the console. Writes nothing when standard output is not a console,
  // so redirected output holds no control sequences.
  virtual void clearConsole() = 0;

  // Writes the recursive listing of the registry key "keyPath" (below
  // HKEY_LOCAL_MACHINE) into a new file "name" in the current folder and
  // reads back into "*listing" what was written. An earlier entry of exactly
  // that name is removed first; another spelling of the name is neither read
  // nor touched. An absent key gives an empty listing. Returns nullptr,
  // leaving "*listing" empty, when the capture could not be created, written
  // whole or held in memory; the file then stays where it is.
  virtual std::unique_ptr<WorkFile> captureRegistry(const std::string& name,
                                                    const std::string& keyPath,
                                                    std::string* listing,
                                                    std::string* why) = 0;

  // The recursive listing of the registry key "keyPath" (below
  // HKEY_LOCAL_MACHINE) into "*listing", held in memory only: no file is
  // made. An absent key gives an empty listing, and "*why" then tells why
  // where the host can. False, "*listing" empty and "*why" set, when the
  // listing could not be made or held whole.
  virtual bool listRegistry(const std::string& keyPath, std::string* listing,
                            std::string* why) = 0;

  // Opens the error log "name" in the current folder for appending, creating
  // it when it does not exist. Returns nullptr when it cannot be opened, or
  // when that name is a link, a FIFO or a device.
  virtual std::unique_ptr<WorkFile> openErrorLog(const std::string& name,
                                                 std::string* why) = 0;

  // Opens the regular file "file" (links followed) for reading, in binary.
  // A FIFO or a device is never opened, nor (POSIX) a file the owner of the
  // Wine prefix could not read itself. Returns nullptr when there is no
  // such file ("*missing" then true) or it cannot be opened.
  virtual std::unique_ptr<InputFile> openForReading(const FolderEntry& file,
                                                    std::string* why,
                                                    bool* missing) = 0;

  // The identity of the existing file "file", links followed. False when
  // there is no such file.
  virtual bool fileIdentity(const FolderEntry& file,
                            FileIdentity* identity) = 0;

  // The files the registry is read from; none where it is not read from
  // files.
  virtual std::vector<FolderEntry> registryFiles() = 0;

  // The folder the program was started in, held since the platform was made.
  virtual FolderPtr startFolder() = 0;

  // The folder that is current: the start folder until another is entered.
  virtual FolderPtr currentFolder() = 0;

  // The working directory as the host names it, for the operator; empty
  // when it cannot be told.
  virtual std::string currentDirectory() = 0;

  // Finds the directory that the server's registry or the exporter names
  // Windows-style ("C:\SHGS\GAME", a game's Directory); a relative path is
  // taken from "base". Returns nullptr when there is none, or when it may
  // not be entered.
  virtual FolderPtr findFolder(const std::string& windowsPath,
                               const FolderPtr& base, std::string* why) = 0;

  // Makes "folder" the current folder, in which the readers look for their
  // files. False when it could not be entered.
  virtual bool enterFolder(const FolderPtr& folder, std::string* why) = 0;

  // Where the report named "fileName" (as the operator typed it, relative
  // to the current folder) is to go. False when no report can go there: its
  // folder is missing, or the name is a folder, a FIFO, a device or a file
  // the user may not write.
  virtual bool findReportPlace(const std::string& fileName, ReportPlace* place,
                               std::string* why) = 0;

  // Starts the report's new file beside "place". Returns nullptr when it
  // cannot be created.
  virtual std::unique_ptr<ReportFile> createReport(const ReportPlace& place,
                                                   std::string* why) = 0;

  // Shows the report file "fileName" to the operator and waits until the
  // viewer ends. The viewer's result is not examined.
  virtual void startViewer(const std::string& fileName) = 0;
};

// The implementation for the host the program was built for, made once at
// the start of a run: it fixes what the environment says about where the
// server lives and holds the start folder, and from then on an interruption
// removes the work files.
std::unique_ptr<Platform> makeHostPlatform();

// "<host path>: <reason>", what tells where and why something failed.
inline std::string failureLine(const std::string& hostPath,
                               const std::string& reason) {
  return hostPath + ": " + reason;
}

// Whether a run with the menu writes that line before a fatal message, on
// a line of its own: POSIX does; Windows keeps the messages as they are. A
// run with options tells where and why on both.
bool tellsWhereBeforeFatalMessages();

// Whether "argument" asks for help the host's own way besides -h and
// --help: "/?" on Windows.
bool isHelpSwitch(const std::string& argument);

// The process's standard input. On POSIX one left non-blocking by another
// program is waited on, not taken as ended.
std::streambuf* standardInput();

// True when a message on standard error needs a line end of its own to keep
// the next shell prompt off its line: standard error is a POSIX terminal.
// Windows' command processor starts its prompt on a new line itself, and a
// file or pipe gets the message exactly as written.
bool terminalNeedsFinalLineEnd();

// "text" as the console may show it: at most "maxBytes" bytes of it, cut
// where a character ends, with every control character shown as "?".
// Registry values and paths are data, never instructions to the terminal.
std::string consoleText(const std::string& text,
                        std::size_t maxBytes = std::string::npos);

// Seconds since 1970-01-01 00:00 UTC.
std::int64_t currentTime();

// The broken-down local time of "t" in the machine's time zone. Returns false
// when the platform cannot convert it.
bool toLocalTime(std::int64_t t, std::tm* out);

// Makes the next conversions follow the time zone now named by the
// environment (TZ).
void reloadTimeZone();

// "text", which the server wrote in the code page the system gives such
// programs (Windows: the ANSI code page), as UTF-8 in "*utf8". False where
// the host has no such code page (POSIX): the caller keeps its own rule.
bool serverCodePageToUtf8(const std::string& text, std::string* utf8);

}  // namespace shgs

#endif  // SHGS_PLATFORM_PLATFORM_H_
