#ifndef SHGS_REPORT_TEXT_WRITER_H_
#define SHGS_REPORT_TEXT_WRITER_H_

#include <memory>
#include <ostream>

#include "report/report_writer.h"

namespace shgs {

// The fixed-width report: plain, or with the forum's mark-up in the colour
// of the rows being written. Texts keep the bytes the server stores.
std::unique_ptr<ReportWriter> makeTextWriter(std::ostream& out,
                                             bool forumFormatted);

}  // namespace shgs

#endif  // SHGS_REPORT_TEXT_WRITER_H_
