#ifndef SHGS_DRIVER_FATAL_H_
#define SHGS_DRIVER_FATAL_H_

#include <string>

namespace shgs {

// Ends the process at once with exit code 1 after writing "message" (as is,
// no line end added) to standard error. No destructor runs, so error logs and
// the registry capture stay where they are; what the report stream holds is
// flushed first, so the output file keeps everything written before.
[[noreturn]] void fatal(const std::string& message);

}  // namespace shgs

#endif  // SHGS_DRIVER_FATAL_H_
