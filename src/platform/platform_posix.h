#ifndef SHGS_PLATFORM_PLATFORM_POSIX_H_
#define SHGS_PLATFORM_PLATFORM_POSIX_H_

#include <memory>
#include <optional>
#include <streambuf>
#include <string>
#include <vector>

#include "platform/platform.h"

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
                                            std::string* listing) override;
  std::unique_ptr<WorkFile> openErrorLog(const std::string& name) override;
  std::unique_ptr<std::streambuf> openForReading(
      const std::string& hostPath) override;
  bool fileIdentity(const std::string& hostPath,
                    FileIdentity* identity) override;
  std::string storedFileName(const std::string& path) override;
  std::vector<std::string> registryFiles() override;
  std::string currentDirectory() override;
  bool changeDirectory(const std::string& hostPath) override;
  std::string hostPath(const std::string& windowsPath) override;
  void startViewer(const std::string& fileName) override;

 private:
  std::string systemRegPath() const { return winePrefix_ + "/system.reg"; }
  std::optional<std::string> registryListing(const std::string& keyPath);

  std::string winePrefix_;
  std::string desktopOpener_;
};

}  // namespace shgs

#endif  // SHGS_PLATFORM_PLATFORM_POSIX_H_
