#ifndef SHGS_DRIVER_RUN_H_
#define SHGS_DRIVER_RUN_H_

#include "platform/platform.h"

namespace shgs {

// One run of the exporter, from the registry capture to the viewer. Returns
// the exit code of a run that was not ended by a fatal problem.
int run(Platform& platform);

}  // namespace shgs

#endif  // SHGS_DRIVER_RUN_H_
