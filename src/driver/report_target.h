#ifndef SHGS_DRIVER_REPORT_TARGET_H_
#define SHGS_DRIVER_REPORT_TARGET_H_

#include <cstddef>
#include <memory>
#include <string>

#include "driver/walk_plan.h"
#include "platform/platform.h"

namespace shgs {

// No name longer than this can be created on either host; a longer one the
// operator typed is kept only this far.
constexpr std::size_t kMaxReportNameLength = 32768;

// Starts the report "fileName" (as the operator typed it, resolved against
// the current folder): a new file beside the file the name leads to, links
// followed. Returns nullptr, "*why" set, when no report may be written
// there: it could not be created, or the name denotes, however spelled and
// whether it exists yet or not, a file the run reads or removes (the
// registry's files, and in each folder of "plan" its data file and the
// game's description; when the run makes work files, the capture, and any
// file named as an error log or a capture). A name holding a NUL byte, or
// longer than kMaxReportNameLength, is refused too.
std::unique_ptr<ReportFile> startReport(Platform& platform,
                                        const std::string& fileName,
                                        const WalkPlan& plan,
                                        WorkFiles workFiles, std::string* why);

}  // namespace shgs

#endif  // SHGS_DRIVER_REPORT_TARGET_H_
