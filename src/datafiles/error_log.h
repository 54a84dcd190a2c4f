#ifndef SHGS_DATAFILES_ERROR_LOG_H_
#define SHGS_DATAFILES_ERROR_LOG_H_

#include <memory>
#include <string>

#include "datafiles/work_files.h"
#include "platform/platform.h"

namespace shgs {

// The error log every reader of the server's data holds: "qilerror.txt",
// opened for appending in the directory that is current when the reader is
// made, and removed from that same directory when the reader goes. Nothing
// writes into it; a directory where it cannot be opened (or where that name
// is a link, a FIFO or a device) keeps the reader from being made. A run
// that makes no work files has no log: nothing is opened, nothing can fail.
class ErrorLog {
 public:
  ErrorLog(Platform& platform, WorkFiles workFiles);
  ~ErrorLog();
  ErrorLog(const ErrorLog&) = delete;
  ErrorLog& operator=(const ErrorLog&) = delete;

  // True when the run wanted a log and could not open it.
  bool failed() const { return failed_; }
  // Where and why it could not be opened (see Platform).
  const std::string& why() const { return why_; }

 private:
  std::string why_;
  std::unique_ptr<WorkFile> file_;
  bool failed_ = false;
};

// The message that ends a run whose reader could not open its log.
constexpr char kErrorLogFailure[] = "Error log failed to open.";

}  // namespace shgs

#endif  // SHGS_DATAFILES_ERROR_LOG_H_
