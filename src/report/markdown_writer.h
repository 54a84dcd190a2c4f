#ifndef SHGS_REPORT_MARKDOWN_WRITER_H_
#define SHGS_REPORT_MARKDOWN_WRITER_H_

#include <memory>
#include <ostream>

#include "report/report_writer.h"

namespace shgs {

// The report in Markdown (CommonMark with GitHub's tables), in UTF-8: a
// heading for each section, a table for each block of rows, the
// descriptions as paragraphs, the links as links. Every text is escaped, so
// whatever the server holds reads as that text.
std::unique_ptr<ReportWriter> makeMarkdownWriter(std::ostream& out);

}  // namespace shgs

#endif  // SHGS_REPORT_MARKDOWN_WRITER_H_
