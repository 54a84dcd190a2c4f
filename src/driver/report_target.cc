#include "driver/report_target.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include "datafiles/work_files.h"
#include "platform/ascii_case.h"

namespace shgs {
namespace {

bool isWorkFileName(const std::string& name) {
  return equalsIgnoringCase(name, kErrorLogName) ||
         equalsIgnoringCase(name, kCaptureName);
}

// Both separators count, as they do for the server's own paths.
std::string lastComponent(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string reasonFor(const FolderEntry& file) {
  return isWorkFileName(file.name) ? "is a file the run removes"
                                   : "is a file the run reads";
}

// The files the run reads or removes, in every folder it enters.
std::vector<FolderEntry> filesUsed(Platform& platform, const WalkPlan& plan,
                                   WorkFiles workFiles) {
  std::vector<FolderEntry> files = platform.registryFiles();
  if (workFiles == WorkFiles::kMade) {
    files.push_back({platform.startFolder(), kErrorLogName});
    files.push_back({platform.startFolder(), kCaptureName});
  }
  for (FolderEntry& file : plan.filesUsed()) files.push_back(std::move(file));
  return files;
}

// The file of "files" that "place" denotes, or nullptr. A file the run
// looks up is found without regard to case, so the name is compared so too;
// an existing file is compared by identity with each file as the run opens
// it, links followed, since any name may lead to it.
const FolderEntry* usedFileAt(Platform& platform, const ReportPlace& place,
                              const std::vector<FolderEntry>& files) {
  for (const FolderEntry& file : files) {
    if (equalsIgnoringCase(place.name, file.name) &&
        place.folder->isSameAs(*file.folder)) {
      return &file;
    }
  }
  if (!place.exists) return nullptr;
  for (const FolderEntry& file : files) {
    FileIdentity identity;
    if (platform.fileIdentity(file, &identity) && identity == place.identity) {
      return &file;
    }
  }
  return nullptr;
}

// Whether the report may not take "place"; "*why" says why.
bool isRefused(Platform& platform, const std::string& fileName,
               const ReportPlace& place, const WalkPlan& plan,
               WorkFiles workFiles, std::string* why) {
  const std::string path = place.folder->pathOf(place.name);
  if (workFiles == WorkFiles::kMade &&
      (isWorkFileName(lastComponent(fileName)) || isWorkFileName(place.name))) {
    *why = failureLine(path, "is a file the run removes");
    return true;
  }
  const std::vector<FolderEntry> files = filesUsed(platform, plan, workFiles);
  const FolderEntry* used = usedFileAt(platform, place, files);
  if (used != nullptr) *why = failureLine(path, reasonFor(*used));
  return used != nullptr;
}

// A name the host cannot hold is refused before it is looked for.
bool isImpossibleName(const std::string& fileName, std::string* why) {
  const std::string shown = fileName.substr(0, 100);
  if (fileName.find('\0') != std::string::npos) {
    *why = failureLine(shown, "a name cannot hold a NUL byte");
    return true;
  }
  if (fileName.size() > kMaxReportNameLength) {
    *why = failureLine(shown + "...", std::strerror(ENAMETOOLONG));
    return true;
  }
  return false;
}

}  // namespace

std::unique_ptr<ReportFile> startReport(Platform& platform,
                                        const std::string& fileName,
                                        const WalkPlan& plan,
                                        WorkFiles workFiles, std::string* why) {
  ReportPlace place;
  if (isImpossibleName(fileName, why) ||
      !platform.findReportPlace(fileName, &place, why)) {
    return nullptr;
  }
  if (isRefused(platform, fileName, place, plan, workFiles, why)) {
    return nullptr;
  }
  return platform.createReport(place, why);
}

}  // namespace shgs
