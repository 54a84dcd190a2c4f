#include "report/report_writer.h"

#include <utility>

#include "report/html_writer.h"
#include "report/json_writer.h"
#include "report/markdown_writer.h"
#include "report/text_writer.h"
#include "report/value_format.h"

namespace shgs {

Cell::Cell(Kind kind, std::string text, std::int64_t integer)
    : kind_(kind), text_(std::move(text)), integer_(integer) {}

Cell::Cell(const char* text) : Cell(Kind::kText, text, 0) {}
Cell::Cell(std::string text) : Cell(Kind::kText, std::move(text), 0) {}
Cell::Cell(std::uint16_t count)
    : Cell(Kind::kCount, withCommas(count), count) {}
Cell::Cell(std::uint32_t count)
    : Cell(Kind::kCount, withCommas(count), count) {}
Cell::Cell(bool flag) : Cell(Kind::kFlag, toText(flag), flag ? 1 : 0) {}
Cell::Cell(float real) : Cell(Kind::kReal, toText(real), 0) {}
Cell::Cell(std::int32_t value) : Cell(Kind::kSigned, toText(value), value) {}
Cell::Cell(std::int64_t value) : Cell(Kind::kSigned, toText(value), value) {}

Cell Cell::countOrUnlimited(std::uint16_t count) {
  return count == 0 ? Cell(" Unlim") : Cell(count);
}

std::unique_ptr<ReportWriter> makeReportWriter(std::ostream& out,
                                               ReportFormat format,
                                               std::int64_t now,
                                               const std::string& server) {
  switch (format) {
    case ReportFormat::kMarkdown:
      return makeMarkdownWriter(out);
    case ReportFormat::kHtml:
      return makeHtmlWriter(out, server);
    case ReportFormat::kJson:
      return makeJsonWriter(out, now);
    case ReportFormat::kForum:
    case ReportFormat::kPlain:
      break;
  }
  return makeTextWriter(out, format == ReportFormat::kForum);
}

}  // namespace shgs
