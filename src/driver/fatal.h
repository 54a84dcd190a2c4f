#ifndef SHGS_DRIVER_FATAL_H_
#define SHGS_DRIVER_FATAL_H_

#include <string>

namespace shgs {

// Writes "message", the last words of a run, to standard error as is; on a
// terminal whose next prompt would follow it on the same line, a line end is
// added.
void writeFinalMessage(const std::string& message);

// Flushes standard output, writes "message" with writeFinalMessage and ends
// the process at once with exit code 1. No destructor runs, so error logs
// and the registry capture stay where they are; an unfinished report is the
// caller's to drop first (see ReportFile), or its new file stays too.
[[noreturn]] void fatal(const std::string& message);

// As fatal, after the line that tells where and why (see Platform), when
// there is one and the host shows it (tellsWhereBeforeFatalMessages).
[[noreturn]] void fatal(const std::string& why, const std::string& message);

}  // namespace shgs

#endif  // SHGS_DRIVER_FATAL_H_
