#include "report/html_writer.h"

#include <string>
#include <utility>

#include "report/report_lines.h"
#include "report/server_text.h"
#include "version.h"

namespace shgs {
namespace {

constexpr char kStyle[] =
    R"(:root { color-scheme: light dark; --muted: #595959; --rule: #c8c8c8; }
@media (prefers-color-scheme: dark) { :root { --muted: #a8a8a8; --rule: #484848; } }
body { font-family: system-ui, sans-serif; line-height: 1.4; max-width: 62rem; margin: 1rem auto; padding: 0 1rem; }
h1 { font-size: 1.5rem; }
h2 { font-size: 1.25rem; border-bottom: 1px solid var(--rule); }
h3 { font-size: 1.1rem; }
table { border-collapse: collapse; margin: 0.5rem 0 1rem; }
th { font-weight: normal; text-align: right; color: var(--muted); padding: 0.1rem 0.4rem 0.1rem 1.5rem; }
td { padding: 0.1rem 0.4rem; font-variant-numeric: tabular-nums; }
tbody + tbody { border-top: 1px solid var(--rule); }
footer { margin-top: 2rem; border-top: 1px solid var(--rule); color: var(--muted); }
@media print {
  :root { color-scheme: light; --muted: #333; --rule: #999; }
  body { max-width: none; margin: 0; font-size: 10pt; }
  a { color: inherit; text-decoration: none; }
  h2, h3 { break-after: avoid; }
  table { break-inside: avoid; }
}
)";

// Text as a page shows it: in UTF-8, with every character that is mark-up
// in text or in a quoted attribute escaped.
std::string pageText(const std::string& text) {
  std::string out;
  for (const char c : visibleText(serverTextAsUtf8(text))) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string anchor(const std::string& url) {
  return "<a href=\"" + pageText(url) + "\">" + pageText(url) + "</a>";
}

// Only the schemes of the report's own links become links.
std::string link(const std::string& url) {
  for (const char* scheme : {"shplay:", "telnet:"}) {
    if (url.rfind(scheme, 0) == 0) return anchor(url);
  }
  return pageText(url);
}

std::string column(const Cell& label, const Cell& value, const Cell& unit) {
  if (label.text().empty()) return "<td></td><td></td>";
  return "<th scope=\"row\">" + pageText(label.text()) + "</th><td>" +
         pageText(shownValue(value, unit)) + "</td>";
}

class HtmlWriter final : public ReportWriter {
 public:
  HtmlWriter(std::ostream& out, std::string server)
      : out_(out), server_(std::move(server)) {}

  void writeReportOpening() override {
    out_ << "<!doctype html>\n<html lang=\"en\">\n<head>\n"
         << "<meta charset=\"utf-8\">\n"
         << "<meta name=\"viewport\" content=\"width=device-width, "
            "initial-scale=1\">\n"
         << "<title>SHGS game settings: " << pageText(server_) << "</title>\n"
         << "<style>\n"
         << kStyle << "</style>\n</head>\n<body>\n";
  }

  // The home page is the program's own, so it is a link whatever its scheme.
  void writeReportFooter() override {
    closePart();
    out_ << "<footer>\n<p>" << pageText(footerText()) << "<br>\n"
         << anchor(kHomePageUrl) << "</p>\n</footer>\n</body>\n</html>\n";
  }

  void writeServerHeading(const ServerHeading& heading) override {
    closeBlock();
    out_ << "<h1>" << pageText(serverHeadingText(heading)) << "</h1>\n";
  }

  void writeLink(const std::string& url) override {
    closeBlock();
    out_ << "<p>" << link(url) << "</p>\n";
  }

  void writeNodeLine(std::uint16_t nodes, bool ipLimited) override {
    writeParagraph(nodeLineText(nodes, ipLimited));
  }

  void beginPart(ReportPart part) override {
    closePart();
    out_ << "<section>\n<h2>" << pageText(partTitle(part)) << "</h2>\n";
    partOpen_ = true;
  }

  void beginGame(const GameHeading& heading) override {
    closeGame();
    out_ << "<section>\n<h3>" << pageText(gameHeadingText(heading))
         << "</h3>\n";
    gameOpen_ = true;
  }

  void writeDescriptionLine(const std::string& line) override {
    out_ << (paragraphOpen_ ? "<br>\n" : "<p>") << pageText(line);
    paragraphOpen_ = true;
  }

  void writeDescriptionCut() override {
    out_ << (paragraphOpen_ ? "..." : "<p>...");
    paragraphOpen_ = true;
  }

  void beginGameRows() override { closeBlock(); }
  void beginTournament() override { writeParagraph(kTournamentNotice); }
  // The tournament's row stands in a table of its own, below its notice.
  void endTournament() override { closeBlock(); }
  void endGame() override { closeGame(); }

  // Each group of rows is a table body of its own.
  void setColour(const std::string&) override {
    if (groupOpen_) out_ << "</tbody>\n";
    groupOpen_ = false;
  }

  void writeRow(const Cell& label1, const Cell& value1, const Cell& unit1,
                const Cell& label2, const Cell& value2,
                const Cell& unit2) override {
    if (!tableOpen_) {
      closeBlock();
      out_ << "<table>\n";
      tableOpen_ = true;
    }
    if (!groupOpen_) out_ << "<tbody>\n";
    groupOpen_ = true;
    out_ << "<tr>" << column(label1, value1, unit1)
         << column(label2, value2, unit2) << "</tr>\n";
  }

 private:
  // Ends an open paragraph or table.
  void closeBlock() {
    if (paragraphOpen_) out_ << "</p>\n";
    if (groupOpen_) out_ << "</tbody>\n";
    if (tableOpen_) out_ << "</table>\n";
    paragraphOpen_ = groupOpen_ = tableOpen_ = false;
  }

  void closeGame() {
    closeBlock();
    if (gameOpen_) out_ << "</section>\n";
    gameOpen_ = false;
  }

  void closePart() {
    closeGame();
    if (partOpen_) out_ << "</section>\n";
    partOpen_ = false;
  }

  void writeParagraph(const std::string& text) {
    closeBlock();
    out_ << "<p>" << pageText(text) << "</p>\n";
  }

  std::ostream& out_;
  const std::string server_;
  bool partOpen_ = false;
  bool gameOpen_ = false;
  bool paragraphOpen_ = false;
  bool tableOpen_ = false;
  bool groupOpen_ = false;
};

}  // namespace

std::unique_ptr<ReportWriter> makeHtmlWriter(std::ostream& out,
                                             const std::string& server) {
  return std::make_unique<HtmlWriter>(out, server);
}

}  // namespace shgs
