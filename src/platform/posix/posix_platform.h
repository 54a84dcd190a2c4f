#ifndef SHGS_PLATFORM_POSIX_POSIX_PLATFORM_H_
#define SHGS_PLATFORM_POSIX_POSIX_PLATFORM_H_

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/folder.h"
#include "platform/posix/interruption.h"
#include "platform/posix/prefix_paths.h"
#include "platform/posix/server_account.h"

namespace shgs {

// The platform on a POSIX host, where the server runs under Wine. The Wine
// prefix is WINEPREFIX, else ~/.wine, made absolute when the object is built,
// so later directory changes do not move it. makeHostPlatform() makes the one
// whose desktop opener is /usr/bin/xdg-open; tests name a stand-in.
class PosixPlatform final : public Platform {
 public:
  explicit PosixPlatform(std::string desktopOpener);

  void clearConsole() override;
  std::unique_ptr<WorkFile> captureRegistry(const std::string& name,
                                            const std::string& keyPath,
                                            std::string* listing,
                                            std::string* why) override;
  std::unique_ptr<WorkFile> openErrorLog(const std::string& name,
                                         std::string* why) override;
  std::unique_ptr<InputFile> openForReading(const FolderEntry& file,
                                            std::string* why,
                                            bool* missing) override;
  bool fileIdentity(const FolderEntry& file, FileIdentity* identity) override;
  bool listRegistry(const std::string& keyPath, std::string* listing,
                    std::string* why) override;
  std::vector<FolderEntry> registryFiles() override;
  FolderPtr startFolder() override { return start_; }
  FolderPtr currentFolder() override { return current_; }
  std::string currentDirectory() override;
  FolderPtr findFolder(const std::string& windowsPath, const FolderPtr& base,
                       std::string* why) override;
  bool enterFolder(const FolderPtr& folder, std::string* why) override;
  bool findReportPlace(const std::string& fileName, ReportPlace* place,
                       std::string* why) override;
  std::unique_ptr<ReportFile> createReport(const ReportPlace& place,
                                           std::string* why) override;
  void startViewer(const std::string& fileName) override;

 private:
  FolderListingsPtr listings_;  // of every folder the run looks into
  PrefixPaths paths_;
  std::string desktopOpener_;
  bool consoleIsTerminal_;
  HostFolderPtr start_;
  HostFolderPtr current_;
  HostFolderPtr prefix_;                 // once system.reg has been looked for
  std::optional<ServerAccount> server_;  // once system.reg has been read
  // While the run is in the server's folders, making and removing a work
  // file in each, an interruption waits until it is back.
  std::optional<InterruptionHold> awayFromStart_;
};

}  // namespace shgs

#endif  // SHGS_PLATFORM_POSIX_POSIX_PLATFORM_H_
