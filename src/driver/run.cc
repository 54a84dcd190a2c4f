#include "driver/run.h"

#include <cerrno>
#include <cstring>
#include <iostream>
#include <memory>
#include <new>
#include <sstream>
#include <string>
#include <vector>

#include "datafiles/config_data.h"
#include "datafiles/description_file.h"
#include "datafiles/global_data.h"
#include "driver/export_options.h"
#include "driver/fatal.h"
#include "driver/messages.h"
#include "driver/options_menu.h"
#include "driver/report_target.h"
#include "driver/walk_plan.h"
#include "registry/registry_reader.h"
#include "report/game_list.h"
#include "report/report.h"

namespace shgs {
namespace {

constexpr char kCannotCreate[] = "Failed to create output file.";
constexpr char kCannotWrite[] = "Failed to write output file.";

// What kind of run this is, as the command line says.
struct Run {
  explicit Run(const CommandLine& commandLine)
      : messages(commandLine.interactive ? MessageStyle::kConsole
                                         : MessageStyle::kLog),
        workFiles(commandLine.interactive ? WorkFiles::kMade
                                          : WorkFiles::kNone),
        check(commandLine.check) {}

  const Messages messages;
  const WorkFiles workFiles;
  const bool check;  // everything but the report's writing
};

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
// so its error log, when the run makes work files, lies there. A problem
// ends the run; the unfinished report goes with it, and the file that had
// the report's name stays as it was.
class DirectoryWalk final : public ReportSource {
 public:
  DirectoryWalk(Platform& platform, const WalkPlan& plan, const Run& run,
                std::unique_ptr<ReportFile>& report)
      : platform_(platform), plan_(plan), run_(run), report_(report) {}

  void readServer(const ServerWriter& write) override {
    enter(0);
    const GlobalData global(platform_, run_.workFiles);
    if (!global.failure().empty()) stop(global.why(), global.failure());
    write(global.record());
  }

  void readGame(char letter, const GameWriter& write) override {
    const WalkStep& step = enter(letter);
    const ConfigData config(platform_, run_.workFiles);
    if (!config.failure().empty()) stop(config.why(), config.failure());
    std::string why;
    const std::unique_ptr<DescriptionFile> description =
        DescriptionFile::open(platform_, step.description, &why);
    write(config.record(), description.get());
    if (description != nullptr) description->failed(&why);
    if (why.empty()) return;
    // Windows words its reasons as sentences.
    if (why.back() == '.') why.pop_back();
    leftOut_.push_back(why + "; description left out");
  }

  void warn(const std::string& message) override {
    run_.messages.warn(message);
  }

  // The lines that say which descriptions exist but could not be read:
  // the report is written without them, and the run says so once it is.
  const std::vector<std::string>& leftOut() const { return leftOut_; }

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
    run_.messages.fatal(why, message);
  }

  Platform& platform_;
  const WalkPlan& plan_;
  const Run& run_;
  std::unique_ptr<ReportFile>& report_;
  std::vector<std::string> leftOut_;
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

// "What" written to standard output, or the run ends.
void flushStandardOutput(const Messages& messages, const std::string& what) {
  std::cout.flush();
  if (!std::cout) {
    messages.fatal(failureLine("standard output", std::strerror(errno)),
                   "Failed to write " + what + ".");
  }
}

// The listed games on standard output, for --list-games.
int listGames(const ServerSnapshot& snapshot, ReportFormat format,
              const Messages& messages) {
  writeGameList(std::cout, snapshot, format);
  flushStandardOutput(messages, "the game list");
  return kReportWritten;
}

// Writes the whole report into "out" as the plan says; returns what it
// left out (see DirectoryWalk::leftOut).
std::vector<std::string> writeReportTo(std::ostream& out, Platform& platform,
                                       const ServerSnapshot& snapshot,
                                       const ExportOptions& options,
                                       const WalkPlan& plan, const Run& run,
                                       std::unique_ptr<ReportFile>& report) {
  DirectoryWalk source(platform, plan, run, report);
  writeReport(out, snapshot, options, source, currentTime());
  out.flush();
  return source.leftOut();
}

void tell(const Messages& messages, const std::vector<std::string>& lines) {
  for (const std::string& line : lines) messages.line(line);
}

// The report into its file, which gets its name only when it is whole. A
// check makes the new file all the same, as that is where a run fails when
// the folder is not writable, then lets it go unnamed.
void writeReportFile(Platform& platform, const ServerSnapshot& snapshot,
                     const ExportOptions& options, const WalkPlan& plan,
                     const Run& run, const char** step) {
  std::string why;
  std::unique_ptr<ReportFile> report =
      startReport(platform, options.outputFileName, plan, run.workFiles, &why);
  if (report == nullptr) {
    run.messages.fatal(why, kCannotCreate);
  }
  *step = kCannotWrite;
  if (run.check) {
    std::ostream discarded(nullptr);
    tell(run.messages, writeReportTo(discarded, platform, snapshot, options,
                                     plan, run, report));
    return;
  }
  std::ostream out(&report->contents());
  const std::vector<std::string> leftOut =
      writeReportTo(out, platform, snapshot, options, plan, run, report);
  if (!report->commit(&why)) {
    run.messages.fatal(why, kCannotWrite);
  }
  tell(run.messages, leftOut);
}

// The report on standard output: held until it is whole, so that a run that
// fails writes none of it.
void writeReportToStandardOutput(Platform& platform,
                                 const ServerSnapshot& snapshot,
                                 const ExportOptions& options,
                                 const WalkPlan& plan, const Run& run) {
  std::ostringstream held;
  std::unique_ptr<ReportFile> none;
  const std::vector<std::string> leftOut =
      writeReportTo(held, platform, snapshot, options, plan, run, none);
  if (!run.check) {
    std::cout << held.str();
    flushStandardOutput(run.messages, "output file");
  }
  tell(run.messages, leftOut);
}

// The viewer is to show the file the report went to, named as typed, from
// the folder the run started in.
void showReport(Platform& platform, const ExportOptions& options,
                const std::string& startDirectory) {
  std::string why;
  if (!platform.enterFolder(platform.startFolder(), &why)) {
    fatal(why, "Failed to enter directory " + consoleText(startDirectory));
  }
  platform.startViewer(options.outputFileName);
}

// The run's choices: the menu's, or those of the command line once its
// games are known to be listed.
int choose(Platform& platform, const ServerSnapshot& snapshot,
           const CommandLine& commandLine, const Run& run,
           ExportOptions* options) {
  if (commandLine.interactive) {
    return chooseOnTheMenu(platform, snapshot, *options) ? kReportWritten
                                                         : kRunFailed;
  }
  CommandLine chosen = commandLine;
  if (!chooseGames(snapshot, &chosen)) {
    run.messages.warn(chosen.problem);
    return kGameNotListed;
  }
  *options = chosen.options;
  return kReportWritten;
}

// The run's steps; "*step" is the message that ends the run should memory
// run out in the step it is at.
int runSteps(Platform& platform, const CommandLine& commandLine, const Run& run,
             const char** step) {
  const RegistryReader registry(platform, run.workFiles);
  if (!registry.failure().empty()) {
    run.messages.fatal(registry.why(), registry.failure());
  }
  const ServerSnapshot& snapshot = registry.snapshot();
  *step = kCannotWrite;
  if (commandLine.listGames) {
    return listGames(snapshot, commandLine.options.format, run.messages);
  }
  ExportOptions options;
  const int chosen = choose(platform, snapshot, commandLine, run, &options);
  if (chosen != kReportWritten) return chosen;
  const std::string startDirectory = platform.currentDirectory();
  if (commandLine.interactive) tellOutputLocation(startDirectory);
  *step = kCannotCreate;
  const WalkPlan plan(platform, snapshot, options, run.workFiles);
  if (options.outputFileName == kStandardOutputName &&
      !commandLine.interactive) {
    *step = kCannotWrite;
    writeReportToStandardOutput(platform, snapshot, options, plan, run);
    return kReportWritten;
  }
  writeReportFile(platform, snapshot, options, plan, run, step);
  if (commandLine.interactive) showReport(platform, options, startDirectory);
  return kReportWritten;
}

}  // namespace

// Memory running out anywhere ends the run with the message of its step,
// never an abort; the unfinished report goes as the stack unwinds.
int run(Platform& platform, const CommandLine& commandLine) {
  const Run run(commandLine);
  const char* step = "Failed to initialize registry data.";
  try {
    return runSteps(platform, commandLine, run, &step);
  } catch (const std::bad_alloc&) {
    run.messages.fatal(std::strerror(ENOMEM), step);
  }
}

}  // namespace shgs
