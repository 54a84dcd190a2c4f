#ifndef SHGS_PLATFORM_PLATFORM_H_
#define SHGS_PLATFORM_PLATFORM_H_

#include <cstdint>
#include <ctime>
#include <fstream>
#include <string>

namespace shgs {

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

  // Writes the recursive listing of the server's registry key into "qil.tmp"
  // in the current directory. An absent key gives an empty file.
  virtual void captureRegistry() = 0;

  // Removes the file at "hostPath" directly. Returns false when it could not.
  virtual bool removeFile(const std::string& hostPath) = 0;

  // The working directory as the host names it; empty when it cannot be told.
  virtual std::string currentDirectory() = 0;

  // Makes "hostPath" (a path as the host names it, such as one returned by
  // currentDirectory) the working directory. Returns false when it could not.
  virtual bool changeDirectory(const std::string& hostPath) = 0;

  // The host path of a file or directory that the server's registry or the
  // exporter names Windows-style ("C:\SHGS\GAME", "shcfig.dat"). Relative
  // paths stay relative to the working directory.
  virtual std::string hostPath(const std::string& windowsPath) = 0;

  // "directory" and "name" joined with the host's separator.
  virtual std::string joinPath(const std::string& directory,
                               const std::string& name) = 0;

  // True when "hostPath" names a regular file (links followed). Directories,
  // FIFOs and devices are not: opening or reading them fails or blocks.
  virtual bool isRegularFile(const std::string& hostPath) = 0;

  // Shows the report file "fileName" to the operator and waits until the
  // viewer ends. The viewer's result is not examined.
  virtual void startViewer(const std::string& fileName) = 0;
};

// The implementation for the host the program was built for.
Platform& hostPlatform();

// Opens the file that "windowsPath" names (through Platform::hostPath) for
// reading. Anything but a regular file counts as a file that cannot be
// opened. Returns false,
// with "*in" closed, when the file cannot be opened.
bool openForReading(Platform& platform, const std::string& windowsPath,
                    std::ios_base::openmode mode, std::ifstream* in);

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
