#include "driver/walk_plan.h"

#include <utility>

#include "datafiles/config_data.h"
#include "datafiles/description_file.h"
#include "datafiles/global_data.h"
#include "datafiles/work_files.h"

namespace shgs {
namespace {

// The description's folder and name: what comes before and after its last
// separator.
FolderEntry findDescription(Platform& platform, const std::string& windowsPath,
                            const FolderPtr& base) {
  const std::size_t separator = windowsPath.find_last_of("\\/");
  if (windowsPath.empty() || separator == std::string::npos) return {};
  const std::string folderPath =
      windowsPath.substr(0, separator == 0 ? 1 : separator);
  std::string ignored;
  return {platform.findFolder(folderPath, base, &ignored),
          windowsPath.substr(separator + 1)};
}

}  // namespace

WalkPlan::WalkPlan(Platform& platform, const ServerSnapshot& snapshot,
                   const ReportContents& contents, WorkFiles workFiles)
    : workFiles_(workFiles) {
  FolderPtr current = platform.currentFolder();
  const std::string gameFolder = snapshot.serverRoot() + "\\GAME";
  if (!contents.globalDataIncluded) {
    // The server's file all the same: never a report's place.
    std::string ignored;
    globalRecord_ = {platform.findFolder(gameFolder, current, &ignored),
                     kGlobalDataFile};
  } else {
    WalkStep server;
    server.windowsPath = gameFolder;
    server.dataFile = kGlobalDataFile;
    if (!addStep(platform, std::move(server), current)) return;
    current = steps_.back().folder;
  }
  for (const char letter : contents.selectedGames) {
    WalkStep game;
    game.letter = letter;
    game.windowsPath = snapshot.gameDirectory(letter);
    game.dataFile = kConfigDataFile;
    if (!addStep(platform, std::move(game), current)) return;
    WalkStep& added = steps_.back();
    added.description = findDescription(
        platform,
        DescriptionFile::pathOf(snapshot.serverRoot(),
                                snapshot.gameDescription(letter)),
        added.folder);
    current = added.folder;
  }
}

// False when the step's folder cannot be found: the plan ends with it.
bool WalkPlan::addStep(Platform& platform, WalkStep step,
                       const FolderPtr& base) {
  step.folder = platform.findFolder(step.windowsPath, base, &step.why);
  steps_.push_back(std::move(step));
  return steps_.back().folder != nullptr;
}

const WalkStep* WalkPlan::stepOf(char letter) const {
  for (const WalkStep& step : steps_) {
    if (step.letter == letter) return &step;
  }
  return nullptr;
}

std::vector<FolderEntry> WalkPlan::filesUsed() const {
  std::vector<FolderEntry> files;
  if (globalRecord_.folder != nullptr) files.push_back(globalRecord_);
  for (const WalkStep& step : steps_) {
    if (step.folder == nullptr) continue;
    files.push_back({step.folder, step.dataFile});
    if (workFiles_ == WorkFiles::kMade) {
      files.push_back({step.folder, kErrorLogName});
    }
    if (step.description.folder != nullptr) files.push_back(step.description);
  }
  return files;
}

}  // namespace shgs
