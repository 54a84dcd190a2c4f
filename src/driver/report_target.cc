#include "driver/report_target.h"

#include <algorithm>
#include <vector>

#include "datafiles/description_file.h"
#include "datafiles/work_files.h"
#include "driver/fatal.h"
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

// Identities of the existing files among those the run reads or removes.
class UsedFiles {
 public:
  explicit UsedFiles(Platform& platform) : platform_(platform) {}

  void add(const std::string& hostPath) {
    FileIdentity identity;
    if (platform_.fileIdentity(hostPath, &identity)) {
      identities_.push_back(identity);
    }
  }

  // A reader made in the working directory: its data file and its log.
  void addReaderFiles(const std::string& dataFileName) {
    add(platform_.hostPath(dataFileName));
    add(kErrorLogName);
  }

  bool holds(const FileIdentity& identity) const {
    return std::find(identities_.begin(), identities_.end(), identity) !=
           identities_.end();
  }

 private:
  Platform& platform_;
  std::vector<FileIdentity> identities_;
};

// A directory that cannot be entered stops the report there, so what lies
// beyond it is never read.
void addFilesOfTheWalk(Platform& platform, const ServerSnapshot& snapshot,
                       const ExportOptions& options, UsedFiles* files) {
  if (options.globalDataIncluded) {
    if (!platform.changeDirectory(
            platform.hostPath(snapshot.serverRoot() + "\\GAME"))) {
      return;
    }
    files->addReaderFiles("shglob.dat");
  }
  for (char letter : options.selectedGames) {
    if (!platform.changeDirectory(
            platform.hostPath(snapshot.gameDirectory(letter)))) {
      return;
    }
    files->addReaderFiles("shcfig.dat");
    const std::string description = DescriptionFile::pathOf(
        snapshot.serverRoot(), snapshot.gameDescription(letter));
    if (!description.empty()) files->add(platform.hostPath(description));
  }
}

bool denotesUsedFile(Platform& platform, const std::string& fileName,
                     const ServerSnapshot& snapshot,
                     const ExportOptions& options,
                     const std::string& startDirectory) {
  FileIdentity target;
  if (!platform.fileIdentity(fileName, &target)) return false;
  UsedFiles files(platform);
  for (const std::string& path : platform.registryFiles()) files.add(path);
  files.add(kErrorLogName);
  addFilesOfTheWalk(platform, snapshot, options, &files);
  if (!platform.changeDirectory(startDirectory)) {
    fatal("Failed to enter directory " + startDirectory);
  }
  return files.holds(target);
}

}  // namespace

bool mayWriteReportAs(Platform& platform, const std::string& fileName,
                      const ServerSnapshot& snapshot,
                      const ExportOptions& options,
                      const std::string& startDirectory) {
  if (fileName.find('\0') != std::string::npos) return false;
  if (isWorkFileName(lastComponent(fileName)) ||
      isWorkFileName(platform.storedFileName(fileName))) {
    return false;
  }
  return !denotesUsedFile(platform, fileName, snapshot, options,
                          startDirectory);
}

}  // namespace shgs
