#ifndef SHGS_DRIVER_COMMAND_LINE_H_
#define SHGS_DRIVER_COMMAND_LINE_H_

#include <string>

#include "driver/export_options.h"
#include "registry/server_snapshot.h"

namespace shgs {

// What the program's arguments ask for. Without any, the menu makes every
// choice; any option makes them instead, for a run without the menu.
struct CommandLine {
  enum class Action { kRun, kHelp, kVersion, kBadUsage };

  Action action = Action::kRun;
  bool interactive = true;  // no option given: the menu
  // The choices of a run without the menu; its games are chosen once the
  // listed ones are known.
  ExportOptions options;
  std::string games;    // upper-case letters of --games, or "all"
  std::string problem;  // for kBadUsage: what was wrong, one line
};

// Reads "argv" with the system's option parser: long options may be
// abbreviated as far as they stay unambiguous.
CommandLine parseCommandLine(int argc, char** argv);

// Puts the games of "commandLine" into its options, as "snapshot" lists
// them. False, with "problem" naming it, for a letter no listed game has.
bool chooseGames(const ServerSnapshot& snapshot, CommandLine* commandLine);

// What the program does and takes, for --help.
std::string usageText();

// "shgs-exporter <version>", for --version.
std::string versionText();

// Writes "problem" and the usage to standard error, and gives the exit
// status of a command line that was not understood.
int badUsage(const std::string& problem);

}  // namespace shgs

#endif  // SHGS_DRIVER_COMMAND_LINE_H_
