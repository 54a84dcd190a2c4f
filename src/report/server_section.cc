#include "report/server_section.h"

// Placeholder: only the opening is written so far.
namespace shgs {

void writeReportOpening(std::ostream& out, const ExportOptions& options) {
  if (options.forumFormatted) out << "[CODE][white]" << std::endl;
}

void writeServerSection(std::ostream&, const ExportOptions&,
                        const ServerSnapshot&, const GlobalRecord&) {}

}  // namespace shgs
