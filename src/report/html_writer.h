#ifndef SHGS_REPORT_HTML_WRITER_H_
#define SHGS_REPORT_HTML_WRITER_H_

#include <memory>
#include <ostream>
#include <string>

#include "report/report_writer.h"

namespace shgs {

// The report as one standalone HTML5 page in UTF-8, titled with "server":
// each part and game a section with its heading and tables, no scripts, a
// small style sheet that follows the reader's light or dark setting and
// prints well. Every text is escaped, so whatever the server holds reads as
// that text.
std::unique_ptr<ReportWriter> makeHtmlWriter(std::ostream& out,
                                             const std::string& server);

}  // namespace shgs

#endif  // SHGS_REPORT_HTML_WRITER_H_
