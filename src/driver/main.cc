#include <cstdlib>
#include <iostream>
#include <memory>

#include "driver/command_line.h"
#include "driver/run.h"
#include "platform/platform.h"

// The command line is read before anything is made.
int main(int argc, char** argv) {
  const shgs::CommandLine commandLine = shgs::parseCommandLine(argc, argv);
  switch (commandLine.action) {
    case shgs::CommandLine::Action::kHelp:
      return shgs::answer(shgs::usageText(), "the help");
    case shgs::CommandLine::Action::kVersion:
      return shgs::answer(shgs::versionText() + "\n", "the version");
    case shgs::CommandLine::Action::kBadUsage:
      return shgs::badUsage(commandLine.problem);
    case shgs::CommandLine::Action::kRun:
      break;
  }
  const std::unique_ptr<shgs::Platform> platform = shgs::makeHostPlatform();
  // The folders the platform holds need no closing one by one: the system
  // closes them as the process ends.
  std::exit(shgs::run(*platform, commandLine));
}
