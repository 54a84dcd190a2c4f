#ifndef SHGS_REPORT_GAME_LIST_H_
#define SHGS_REPORT_GAME_LIST_H_

#include <ostream>

#include "registry/server_snapshot.h"
#include "report/report_writer.h"

namespace shgs {

// The games the server lists (those the menu offers), in letter order: one
// a line, the letter, the title and the folder separated by tabs, with each
// control character as "?" so that no title can break a line or steer a
// terminal; or, in ReportFormat::kJson, one JSON object as
// docs/game-list.schema.json describes it. Lines are not flushed.
void writeGameList(std::ostream& out, const ServerSnapshot& snapshot,
                   ReportFormat format);

}  // namespace shgs

#endif  // SHGS_REPORT_GAME_LIST_H_
