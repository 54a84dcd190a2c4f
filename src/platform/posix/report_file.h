#ifndef SHGS_PLATFORM_POSIX_REPORT_FILE_H_
#define SHGS_PLATFORM_POSIX_REPORT_FILE_H_

#include <memory>
#include <string>

#include "platform/platform.h"
#include "platform/posix/folder.h"

namespace shgs {

// Where the report "fileName" (relative to "current", or absolute) goes:
// links at the name are followed to the file they lead to, which need not
// exist yet. False, "*why" set, when its folder is missing, or the name is
// a folder, a FIFO, a device or a file the user may not write.
bool findPosixReportPlace(const HostFolderPtr& current,
                          const std::string& fileName, ReportPlace* place,
                          std::string* why);

// The report's new file, created exclusively in the place's folder.
std::unique_ptr<ReportFile> createPosixReport(const ReportPlace& place,
                                              std::string* why);

}  // namespace shgs

#endif  // SHGS_PLATFORM_POSIX_REPORT_FILE_H_
