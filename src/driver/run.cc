#include "driver/run.h"

#include <iostream>
#include <memory>
#include <string>

#include "datafiles/config_data.h"
#include "datafiles/description_file.h"
#include "datafiles/global_data.h"
#include "driver/export_options.h"
#include "driver/fatal.h"
#include "driver/options_menu.h"
#include "driver/report_target.h"
#include "driver/walk_plan.h"
#include "registry/registry_reader.h"
#include "report/report.h"

namespace shgs {
namespace {

void tellOutputLocation(const std::string& startDirectory) {
  std::cout << std::endl
            << "Output file will be placed in\n"
            << consoleText(startDirectory) << std::endl
            << "(unless a directory was specified with the filename on the "
               "options screen)."
            << std::endl;
}

// The server's files, read where the report needs them: each section's
// reader is made in its folder (the server's GAME folder, then each game's),
// so its error log lies there. A problem ends the run; the unfinished report
// goes with it, and the file that had the report's name stays as it was.
class DirectoryWalk final : public ReportSource {
 public:
  DirectoryWalk(Platform& platform, const WalkPlan& plan,
                std::unique_ptr<ReportFile>& report)
      : platform_(platform), plan_(plan), report_(report) {}

  void readServer(const ServerWriter& write) override {
    enter(0);
    const GlobalData global(platform_);
    if (!global.failure().empty()) stop(global.why(), global.failure());
    write(global.record());
  }

  void readGame(char letter, const GameWriter& write) override {
    const WalkStep& step = enter(letter);
    const ConfigData config(platform_);
    if (!config.failure().empty()) stop(config.why(), config.failure());
    const std::unique_ptr<DescriptionFile> description =
        DescriptionFile::open(platform_, step.description);
    write(config.record(), description.get());
  }

 private:
  // The path in the message is the Windows path the program built.
  const WalkStep& enter(char letter) {
    const WalkStep* step = plan_.stepOf(letter);
    std::string why = step->why;
    if (step->folder == nullptr || !platform_.enterFolder(step->folder, &why)) {
      stop(why, "Failed to enter directory " + consoleText(step->windowsPath));
    }
    return *step;
  }

  [[noreturn]] void stop(const std::string& why, const std::string& message) {
    report_.reset();
    fatal(why, message);
  }

  Platform& platform_;
  const WalkPlan& plan_;
  std::unique_ptr<ReportFile>& report_;
};

// The menu's choices; false when input ended before they were confirmed.
bool chooseOnTheMenu(Platform& platform, const ServerSnapshot& snapshot,
                     ExportOptions& options) {
  std::istream input(standardInput());
  input.tie(&std::cout);
  if (runOptionsMenu(snapshot, options, input, std::cout, [&platform] {
        platform.clearConsole();
      }) == MenuResult::kInputEnded) {
    writeFinalMessage(
        "Input ended before the options were confirmed; no report was "
        "written.");
    return false;
  }
  return true;
}

// Writes the whole report and gives it its name. False, "*why" set, when a
// write failed.
bool writeReportFile(std::unique_ptr<ReportFile>& report, Platform& platform,
                     const ServerSnapshot& snapshot,
                     const ExportOptions& options, const WalkPlan& plan,
                     std::string* why) {
  DirectoryWalk source(platform, plan, report);
  std::ostream out(&report->contents());
  writeReport(out, snapshot, options, source, currentTime());
  out.flush();
  return report->commit(why);
}

}  // namespace

int run(Platform& platform, const CommandLine& commandLine) {
  const RegistryReader registry(platform);
  if (!registry.failure().empty()) fatal(registry.why(), registry.failure());
  const ServerSnapshot& snapshot = registry.snapshot();
  ExportOptions options;
  if (commandLine.interactive) {
    if (!chooseOnTheMenu(platform, snapshot, options)) return 1;
  } else {
    CommandLine chosen = commandLine;
    if (!chooseGames(snapshot, &chosen)) return badUsage(chosen.problem);
    options = chosen.options;
  }
  const std::string startDirectory = platform.currentDirectory();
  if (commandLine.interactive) tellOutputLocation(startDirectory);
  const WalkPlan plan(platform, snapshot, options);
  std::string why;
  std::unique_ptr<ReportFile> report =
      startReport(platform, options.outputFileName, plan, &why);
  if (report == nullptr) fatal(why, "Failed to create output file.");
  if (!writeReportFile(report, platform, snapshot, options, plan, &why)) {
    fatal(why, "Failed to write output file.");
  }
  // The viewer is to show the file the report went to, named as typed.
  if (!platform.enterFolder(platform.startFolder(), &why)) {
    fatal(why, "Failed to enter directory " + consoleText(startDirectory));
  }
  if (commandLine.interactive) platform.startViewer(options.outputFileName);
  return 0;
}

}  // namespace shgs
