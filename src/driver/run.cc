#include "driver/run.h"

#include <cctype>
#include <fstream>
#include <iostream>
#include <string>

#include "datafiles/config_data.h"
#include "datafiles/global_data.h"
#include "driver/export_options.h"
#include "driver/fatal.h"
#include "driver/options_menu.h"
#include "registry/registry_reader.h"
#include "report/game_section.h"
#include "report/server_section.h"

namespace shgs {
namespace {

// "windowsPath" is reported as the program built it, not as the host path.
void enterDirectory(Platform& platform, const std::string& windowsPath) {
  if (!platform.changeDirectory(platform.hostPath(windowsPath))) {
    fatal("Failed to enter directory " + windowsPath);
  }
}

// The readers remove their error logs and the capture when they end, so a
// report under one of those names would be deleted right after it was
// written. Compared without regard to case, as Windows file names are.
bool namesTemporaryFile(const std::string& fileName) {
  const std::size_t slash = fileName.find_last_of("/\\");
  std::string name =
      slash == std::string::npos ? fileName : fileName.substr(slash + 1);
  for (char& c : name) c = static_cast<char>(std::tolower(c));
  return name == "qilerror.txt" || name == "qil.tmp";
}

void tellOutputLocation(const std::string& startDirectory) {
  std::cout << std::endl
            << "Output file will be placed in\n"
            << startDirectory << std::endl
            << "(unless a directory was specified with the filename on the "
               "options screen)."
            << std::endl;
}

void writeServerPart(std::ostream& out, Platform& platform,
                     const ServerSnapshot& snapshot,
                     const ExportOptions& options) {
  enterDirectory(platform, snapshot.serverRoot() + "\\GAME");
  const GlobalData global(platform);
  writeServerSection(out, options, snapshot, global.record());
}

void writeGameParts(std::ostream& out, Platform& platform,
                    const ServerSnapshot& snapshot,
                    const ExportOptions& options) {
  if (options.selectedGames.empty()) return;
  writeGameSettingsBanner(out);
  const std::int64_t now = currentTime();
  for (char letter : options.selectedGames) {
    enterDirectory(platform, snapshot.gameDirectory(letter));
    const ConfigData config(platform);
    writeGameSectionStart(out, letter, config.record(), snapshot, options, now,
                          platform);
    writeGameSectionEnd(out, config.record(), options);
  }
}

// Writes the whole report into "file" through standard output, which holds
// the file's buffer meanwhile. Returns false when a write failed.
bool writeReport(std::ofstream& file, Platform& platform,
                 const ServerSnapshot& snapshot, const ExportOptions& options) {
  std::streambuf* console = std::cout.rdbuf(file.rdbuf());
  writeReportOpening(std::cout, options);
  if (options.globalDataIncluded) {
    writeServerPart(std::cout, platform, snapshot, options);
  }
  writeGameParts(std::cout, platform, snapshot, options);
  writeReportFooter(std::cout, options);
  const bool written = static_cast<bool>(std::cout.flush());
  std::cout.rdbuf(console);
  std::cout.clear();
  file.close();
  return written && !file.fail();
}

}  // namespace

int run(Platform& platform) {
  const RegistryReader registry(platform);
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
  if (namesTemporaryFile(options.outputFileName)) {
    fatal("Failed to create output file.");
  }
  std::ofstream file(options.outputFileName, std::ios::out | std::ios::trunc);
  if (!file.is_open()) fatal("Failed to create output file.");
  if (!writeReport(file, platform, snapshot, options)) {
    fatal("Failed to write output file.");
  }
  platform.changeDirectory(startDirectory);
  platform.startViewer(options.outputFileName);
  return 0;
}

}  // namespace shgs
