#include "datafiles/error_log.h"

#include "datafiles/work_files.h"

namespace shgs {

ErrorLog::ErrorLog(Platform& platform, WorkFiles workFiles) {
  if (workFiles == WorkFiles::kNone) return;
  file_ = platform.openErrorLog(kErrorLogName, &why_);
  failed_ = file_ == nullptr;
}

// Removed from the directory it was made in, so the working directory need
// not change.
ErrorLog::~ErrorLog() {
  if (file_ != nullptr) file_->remove();
}

}  // namespace shgs
