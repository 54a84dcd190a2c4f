#ifndef SHGS_DRIVER_COMMAND_LINE_H_
#define SHGS_DRIVER_COMMAND_LINE_H_

#include <string>

#include "driver/export_options.h"
#include "registry/server_snapshot.h"

namespace shgs {

// The exit statuses of a run, for scripts and schedulers to tell apart.
enum ExitStatus {
  kReportWritten = 0,  // or the help, the version, the game list given
  kRunFailed = 1,      // a problem ended the run; its message says which
  kUsageError = 2,     // the command line was not understood
  kGameNotListed = 3,  // a chosen letter is no listed game's
};

// What the program's arguments ask for. Without any, the menu makes every
// choice; any option makes them instead, for a run without the menu.
struct CommandLine {
  enum class Action { kRun, kHelp, kVersion, kBadUsage };

  Action action = Action::kRun;
  bool interactive = true;  // no option given: the menu
  bool listGames = false;   // --list-games: the listed games, no report
  bool check = false;       // --check: everything but writing the report
  // The choices of a run without the menu; its games are chosen once the
  // listed ones are known. An outputFileName of "-" is standard output.
  ExportOptions options;
  std::string games;    // upper-case letters of --games, or "all"
  std::string problem;  // for kBadUsage: what was wrong, one line
};

// The report name that means standard output.
constexpr char kStandardOutputName[] = "-";

// Reads "argv" with the system's option parser: long options may be
// abbreviated as far as they stay unambiguous.
CommandLine parseCommandLine(int argc, char** argv);

// Puts the games of "commandLine" into its options, as "snapshot" lists
// them. False, with "problem" naming every letter no listed game has (and
// the letters listed), when there is such a letter.
bool chooseGames(const ServerSnapshot& snapshot, CommandLine* commandLine);

// What the program does and takes, for --help.
std::string usageText();

// "shgs-exporter <version>", for --version.
std::string versionText();

// Writes "problem" and where to find the usage to standard error, and gives
// the exit status of a command line that was not understood.
int badUsage(const std::string& problem);

// Writes "text", "what" (the help, the version), to standard output and
// returns the exit status: 0, or 1 after a line on standard error when
// standard output could not take it (full, or closed).
int answer(const std::string& text, const std::string& what);

}  // namespace shgs

#endif  // SHGS_DRIVER_COMMAND_LINE_H_
