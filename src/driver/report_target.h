#ifndef SHGS_DRIVER_REPORT_TARGET_H_
#define SHGS_DRIVER_REPORT_TARGET_H_

#include <string>

#include "driver/export_options.h"
#include "platform/platform.h"
#include "registry/server_snapshot.h"

namespace shgs {

// Whether the report may be written under "fileName", the name as the
// operator typed it, resolved against the start directory (the working
// directory when called). It may not denote, however spelled, a work file
// of the run ("qil.tmp", "qilerror.txt", which the readers remove when they
// end) or a file the run reads: the registry's files, shglob.dat, and each
// selected game's shcfig.dat and description file. A name holding a NUL
// byte is refused too: no file has such a name, and the system would cut it
// there. Finding the files the run reads walks the directories as the
// report does, and returns to the start directory.
bool mayWriteReportAs(Platform& platform, const std::string& fileName,
                      const ServerSnapshot& snapshot,
                      const ExportOptions& options,
                      const std::string& startDirectory);

}  // namespace shgs

#endif  // SHGS_DRIVER_REPORT_TARGET_H_
