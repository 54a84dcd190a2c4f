#include "report/markdown_writer.h"

#include <cctype>
#include <string>
#include <string_view>

#include "report/report_lines.h"
#include "report/server_text.h"
#include "version.h"

namespace shgs {
namespace {

// Characters that are mark-up wherever they stand: emphasis, code, links,
// raw HTML and entities, tables, strikethrough, headings, quotes, and the
// math some sites render. A backslash makes each one its plain self.
constexpr char kMarkUp[] = "\\`*_[]<>&|~#$";
// What starts a list or underlines a heading at the start of a line.
constexpr char kLineStartMarkUp[] = "+-=";

constexpr char kTableHead[] =
    "| Setting | Value | Setting | Value |\n"
    "| ---: | :--- | ---: | :--- |\n";

std::string escaped(const std::string& text, const char* special) {
  std::string out;
  for (const char c : text) {
    if (std::string_view(special).find(c) != std::string_view::npos) {
      out += '\\';
    }
    out += c;
  }
  return out;
}

// Text as it is to read inline: in UTF-8, with no control character left to
// end a line or a table row, and no mark-up.
std::string inlineText(const std::string& text) {
  return escaped(visibleText(serverTextAsUtf8(text)), kMarkUp);
}

// Leading blanks would make a line code, and rendering drops them anyway;
// a list number ("1." or "1)") is kept from starting a list.
std::string lineText(const std::string& text) {
  std::string line = inlineText(text);
  line.erase(0, line.find_first_not_of(" \t"));
  line.erase(line.find_last_not_of(" \t") + 1);
  if (!line.empty() && std::string_view(kLineStartMarkUp).find(line[0]) !=
                           std::string_view::npos) {
    return "\\" + line;
  }
  std::size_t digits = 0;
  while (digits < line.size() &&
         std::isdigit(static_cast<unsigned char>(line[digits]))) {
    ++digits;
  }
  if (digits > 0 && digits < line.size() &&
      (line[digits] == '.' || line[digits] == ')')) {
    line.insert(digits, "\\");
  }
  return line;
}

// The destination in angle brackets, where only these need escaping; the
// renderer encodes the rest.
std::string link(const std::string& url) {
  return "[" + inlineText(url) + "](<" +
         escaped(visibleText(serverTextAsUtf8(url)), "\\<>") + ">)";
}

class MarkdownWriter final : public ReportWriter {
 public:
  explicit MarkdownWriter(std::ostream& out) : out_(out) {}

  void writeReportOpening() override {}

  void writeReportFooter() override {
    closeBlock();
    out_ << "---\n\n"
         << lineText(footerText()) << "\\\n"
         << link(kHomePageUrl) << "\n";
  }

  void writeServerHeading(const ServerHeading& heading) override {
    writeHeading("# ", serverHeadingText(heading));
  }

  void writeLink(const std::string& url) override {
    closeBlock();
    out_ << link(url) << "\n\n";
  }

  void writeNodeLine(std::uint16_t nodes, bool ipLimited) override {
    writeParagraph(nodeLineText(nodes, ipLimited));
  }

  void beginPart(ReportPart part) override {
    writeHeading("## ", partTitle(part));
  }

  void beginGame(const GameHeading& heading) override {
    writeHeading("### ", gameHeadingText(heading));
  }

  // The lines of one paragraph, each but the last ending in a hard break.
  // A line of blanks shows nothing and would end the paragraph.
  void writeDescriptionLine(const std::string& line) override {
    const std::string shown = lineText(line);
    if (shown.empty()) return;
    if (paragraphOpen_) out_ << "\\\n";
    out_ << shown;
    paragraphOpen_ = true;
  }

  void writeDescriptionCut() override {
    out_ << "...";
    paragraphOpen_ = true;
  }

  void beginGameRows() override { closeBlock(); }
  void beginTournament() override { writeParagraph(kTournamentNotice); }
  // The tournament's row stands in a table of its own, below its notice.
  void endTournament() override { closeBlock(); }
  void endGame() override { closeBlock(); }
  void setColour(const std::string&) override {}

  void writeRow(const Cell& label1, const Cell& value1, const Cell& unit1,
                const Cell& label2, const Cell& value2,
                const Cell& unit2) override {
    if (!tableOpen_) {
      closeBlock();
      out_ << kTableHead;
      tableOpen_ = true;
    }
    out_ << "| " << inlineText(label1.text()) << " | "
         << inlineText(shownValue(value1, unit1)) << " | "
         << inlineText(label2.text()) << " | "
         << inlineText(shownValue(value2, unit2)) << " |\n";
  }

 private:
  // Ends an open paragraph or table with the empty line after it.
  void closeBlock() {
    if (paragraphOpen_) out_ << "\n\n";
    if (tableOpen_) out_ << "\n";
    paragraphOpen_ = tableOpen_ = false;
  }

  void writeHeading(const char* level, const std::string& text) {
    closeBlock();
    out_ << level << inlineText(text) << "\n\n";
  }

  void writeParagraph(const std::string& text) {
    closeBlock();
    out_ << lineText(text) << "\n\n";
  }

  std::ostream& out_;
  bool paragraphOpen_ = false;
  bool tableOpen_ = false;
};

}  // namespace

std::unique_ptr<ReportWriter> makeMarkdownWriter(std::ostream& out) {
  return std::make_unique<MarkdownWriter>(out);
}

}  // namespace shgs
