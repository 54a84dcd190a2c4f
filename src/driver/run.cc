#include "driver/run.h"

#include <fstream>
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
#include "registry/registry_reader.h"
#include "report/report.h"

namespace shgs {
namespace {

void tellOutputLocation(const std::string& startDirectory) {
  std::cout << std::endl
            << "Output file will be placed in\n"
            << startDirectory << std::endl
            << "(unless a directory was specified with the filename on the "
               "options screen)."
            << std::endl;
}

// The server's files, read where the report needs them: each section's
// reader is made in its directory (the server's GAME directory, then each
// game's), so its error log lies there. A problem ends the run; the report
// keeps what was written before it.
class DirectoryWalk final : public ReportSource {
 public:
  DirectoryWalk(Platform& platform, const ServerSnapshot& snapshot,
                std::ostream& report)
      : platform_(platform), snapshot_(snapshot), report_(report) {}

  void readServer(const ServerWriter& write) override {
    enterDirectory(snapshot_.serverRoot() + "\\GAME");
    const GlobalData global(platform_);
    if (!global.failure().empty()) stop(global.failure());
    write(global.record());
  }

  void readGame(char letter, const GameWriter& write) override {
    enterDirectory(snapshot_.gameDirectory(letter));
    const ConfigData config(platform_);
    if (!config.failure().empty()) stop(config.failure());
    const std::unique_ptr<DescriptionFile> description = DescriptionFile::open(
        platform_, DescriptionFile::pathOf(snapshot_.serverRoot(),
                                           snapshot_.gameDescription(letter)));
    write(config.record(), description.get());
  }

 private:
  // "windowsPath" is reported as the program built it, not as the host path.
  void enterDirectory(const std::string& windowsPath) {
    if (!platform_.changeDirectory(platform_.hostPath(windowsPath))) {
      stop("Failed to enter directory " + windowsPath);
    }
  }

  [[noreturn]] void stop(const std::string& message) {
    report_.flush();
    fatal(message);
  }

  Platform& platform_;
  const ServerSnapshot& snapshot_;
  std::ostream& report_;
};

// Writes the whole report into "file" and closes it. Returns false when a
// write failed.
bool writeReportFile(std::ofstream& file, Platform& platform,
                     const ServerSnapshot& snapshot,
                     const ExportOptions& options) {
  DirectoryWalk source(platform, snapshot, file);
  writeReport(file, snapshot, options, source, currentTime());
  file.close();  // flushes what the report holds
  return !file.fail();
}

}  // namespace

int run(Platform& platform) {
  const RegistryReader registry(platform);
  if (!registry.failure().empty()) fatal(registry.failure());
  const ServerSnapshot& snapshot = registry.snapshot();
  ExportOptions& options = exportOptions();
  if (runOptionsMenu(snapshot, options, std::cin, std::cout, platform) ==
      MenuResult::kInputEnded) {
    writeFinalMessage(
        "Input ended before the options were confirmed; no report was "
        "written.");
    return 1;
  }
  const std::string startDirectory = platform.currentDirectory();
  tellOutputLocation(startDirectory);
  if (!mayWriteReportAs(platform, options.outputFileName, snapshot, options,
                        startDirectory)) {
    fatal("Failed to create output file.");
  }
  std::ofstream file(options.outputFileName, std::ios::out | std::ios::trunc);
  if (!file.is_open()) fatal("Failed to create output file.");
  if (!writeReportFile(file, platform, snapshot, options)) {
    fatal("Failed to write output file.");
  }
  // The viewer is to show the file the report went to, named as typed.
  if (!platform.changeDirectory(startDirectory)) {
    fatal("Failed to enter directory " + startDirectory);
  }
  platform.startViewer(options.outputFileName);
  return 0;
}

}  // namespace shgs
