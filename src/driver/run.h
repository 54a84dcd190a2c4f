#ifndef SHGS_DRIVER_RUN_H_
#define SHGS_DRIVER_RUN_H_

#include "driver/command_line.h"
#include "platform/platform.h"

namespace shgs {

// One run of the exporter, from the registry capture to the viewer: the
// choices made on the menu, or by "commandLine" when it gives any, without
// a screen or a viewer. Returns the exit code of a run that was not ended
// by a fatal problem.
int run(Platform& platform, const CommandLine& commandLine);

}  // namespace shgs

#endif  // SHGS_DRIVER_RUN_H_
