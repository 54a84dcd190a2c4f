#ifndef SHGS_REPORT_SERVER_SECTION_H_
#define SHGS_REPORT_SERVER_SECTION_H_

#include <ostream>

#include "datafiles/global_data.h"
#include "driver/export_options.h"
#include "registry/server_snapshot.h"

namespace shgs {

// "[CODE][white]" and a line end in forum mode; nothing otherwise.
void writeReportOpening(std::ostream& out, const ExportOptions& options);

// The header line, the telnet link, the node line and the six rows of
// server settings.
void writeServerSection(std::ostream& out, const ExportOptions& options,
                        const ServerSnapshot& snapshot,
                        const GlobalRecord& global);

}  // namespace shgs

#endif  // SHGS_REPORT_SERVER_SECTION_H_
