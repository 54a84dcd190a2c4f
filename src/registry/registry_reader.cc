#include "registry/registry_reader.h"

#include <fstream>
#include <sstream>
#include <string>

#include "driver/fatal.h"
#include "registry/capture_scanner.h"

namespace shgs {
namespace {

// The capture command writes "qil.tmp"; it is read as "QIL.TMP", the same
// file on the case-insensitive file systems the server lives on.
constexpr char kCaptureWritten[] = "qil.tmp";
constexpr char kCaptureRead[] = "QIL.TMP";

std::string readCapture(Platform& platform) {
  std::ifstream capture;
  if (!openForReading(platform, kCaptureRead, std::ios::binary, &capture)) {
    fatal("Failed to initialize registry data.");
  }
  std::ostringstream text;
  text << capture.rdbuf();
  return text.str();
}

}  // namespace

RegistryReader::RegistryReader(Platform& platform) : DataReader(platform) {
  platform.captureRegistry();
  snapshot_ = ServerSnapshot::fromCapture(readCapture(platform));
  if (snapshot_.serverRoot() == kNotFound) {
    fatal(
        "Failed to open registry data; ServerRoot key not found.\n"
        "Make sure SHGS is installed on this PC.");
  }
  platform.removeFile(platform.hostPath(kCaptureWritten));
}

}  // namespace shgs
