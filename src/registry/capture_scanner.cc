#include "registry/capture_scanner.h"

// Placeholder: the capture scanner is being written.
namespace shgs {

const char kNotFound[] = "QnF";

CaptureScanner::CaptureScanner(std::string captureText)
    : text_(std::move(captureText)) {}
std::string CaptureScanner::lookupValue(const std::string&, bool) {
  return kNotFound;
}
void CaptureScanner::rewind() {}
std::string valueTextAfterName(const std::string&) { return ""; }

}  // namespace shgs
