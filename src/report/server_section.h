#ifndef SHGS_REPORT_SERVER_SECTION_H_
#define SHGS_REPORT_SERVER_SECTION_H_

#include "datafiles/global_data.h"
#include "registry/server_snapshot.h"
#include "report/report_writer.h"
#include "report/value_format.h"

namespace shgs {

// The header line, the telnet link, the node line and the six rows of
// server settings; "warn" hears of a ship delay code of no known factor.
void writeServerSection(ReportWriter& writer, const ServerSnapshot& snapshot,
                        const GlobalRecord& global, const Warn& warn);

}  // namespace shgs

#endif  // SHGS_REPORT_SERVER_SECTION_H_
