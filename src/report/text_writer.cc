#include "report/text_writer.h"

#include <iomanip>
#include <string>

#include "report/report_lines.h"
#include "version.h"

namespace shgs {
namespace {

constexpr int kLabelWidth = 21;
constexpr int kValueWidth = 8;
constexpr int kUnitWidth = 11;
constexpr int kRuleWidth = 80;
constexpr std::size_t kExcerptRowWidth = 80;

// Written after a "[black]" tag, so on the forum's black background the fill
// stays invisible while still holding the columns in place.
constexpr char kForumFill = static_cast<char>(0xA8);
constexpr char kBlackTag[] = "[black]";
constexpr int kBlackTagLength = sizeof kBlackTag - 1;

class TextWriter final : public ReportWriter {
 public:
  // Sets the stream's format as the rows want it: left adjustment, truth
  // values as words.
  TextWriter(std::ostream& out, bool forumFormatted)
      : out_(out), forumFormatted_(forumFormatted) {
    out_ << std::left << std::boolalpha;
  }

  void writeReportOpening() override {
    if (!forumFormatted_) return;
    out_ << "[CODE][white]";
    endLine();
  }

  void writeReportFooter() override {
    if (!forumFormatted_) return;
    out_ << "[/CODE][hr][yellow]" << footerText();
    endLine();
    out_ << "[url]" << kHomePageUrl << "[/url] [/COLOR][hr]";
    endLine();
    endLine();
  }

  void writeServerHeading(const ServerHeading& heading) override {
    writeLine(serverHeadingText(heading));
  }

  // A game's heading and description leave their last line open for it.
  void writeLink(const std::string& url) override {
    if (lineOpen_) endLine();
    writeMarkUp("[url]");
    out_ << url;
    writeMarkUp("[/url]");
    endLine();
  }

  void writeNodeLine(std::uint16_t nodes, bool ipLimited) override {
    writeLine(nodeLineText(nodes, ipLimited));
  }

  // The games' part stands apart from what precedes it by an empty line,
  // even at the top of a report.
  void beginPart(ReportPart part) override {
    if (part == ReportPart::kGames) endLine();
    writeRule('*');
    writeLine(partTitle(part));
    writeRule('-');
  }

  void beginGame(const GameHeading& heading) override {
    writeMarkUp("[yellow]");
    out_ << gameHeadingText(heading);
    writeMarkUp("[/COLOR]");
    lineOpen_ = true;
  }

  // Rows of at most 80 characters, each after a line end.
  void writeDescriptionLine(const std::string& line) override {
    for (std::size_t start = 0; start < line.size();
         start += kExcerptRowWidth) {
      endLine();
      out_ << line.substr(start, kExcerptRowWidth);
    }
    lineOpen_ = true;
  }

  void writeDescriptionCut() override { out_ << "..."; }

  void beginGameRows() override {
    writeMarkUp("[white]");
    writeRule('-');
  }

  void beginTournament() override {
    writeMarkUp("[orange]");
    writeLine(kTournamentNotice);
  }

  // The next row follows on the same line.
  void endTournament() override { writeMarkUp("[/COLOR]"); }

  void endGame() override {
    writeMarkUp("[white]");
    writeRule('-');
  }

  void setColour(const std::string& colour) override {
    currentColour_ = colour;
  }

  // Leaves the stream with a blank fill and right alignment.
  void writeRow(const Cell& label1, const Cell& value1, const Cell& unit1,
                const Cell& label2, const Cell& value2,
                const Cell& unit2) override {
    if (forumFormatted_) {
      writeForumRow(label1, value1, unit1, label2, value2, unit2);
    } else {
      writePlainRow(label1, value1, unit1, label2, value2, unit2);
    }
    out_ << std::setfill(' ') << std::right;
  }

 private:
  void writeMarkUp(const char* markUp) {
    if (forumFormatted_) out_ << markUp;
  }

  // Lines are not flushed one by one; the stream is flushed where the
  // report is closed.
  void endLine() {
    out_ << '\n';
    lineOpen_ = false;
  }

  void writeLine(const std::string& text) {
    out_ << text;
    endLine();
  }

  // A full-width line of "fill".
  void writeRule(char fill) {
    out_ << std::setfill(fill) << std::setw(kRuleWidth) << ""
         << std::setfill(' ');
    endLine();
  }

  void writePlainRow(const Cell& label1, const Cell& value1, const Cell& unit1,
                     const Cell& label2, const Cell& value2,
                     const Cell& unit2) {
    out_ << std::setfill(' ') << std::right << std::setw(kLabelWidth)
         << label1.text() << std::setw(kValueWidth) << value1.text()
         << std::left << std::setw(kUnitWidth) << unit1.text() << std::right
         << std::setw(kLabelWidth) << label2.text() << std::setw(kValueWidth)
         << value2.text() << std::left << unit2.text();
    endLine();
  }

  // Each field is widened by the length of the tags inside it, so the
  // visible widths match the plain row.
  void writeForumRow(const Cell& label1, const Cell& value1, const Cell& unit1,
                     const Cell& label2, const Cell& value2,
                     const Cell& unit2) {
    const std::string tag = "[" + currentColour_ + "]";
    const int tagLength = static_cast<int>(tag.size());
    out_ << std::setfill(kForumFill) << std::right << kBlackTag
         << std::setw(kLabelWidth + tagLength) << tag + label1.text()
         << kBlackTag << std::setw(kValueWidth + tagLength)
         << tag + value1.text() << std::left
         << std::setw(kUnitWidth + kBlackTagLength) << unit1.text() + kBlackTag
         << std::right << std::setw(kLabelWidth + tagLength)
         << tag + label2.text() << kBlackTag
         << std::setw(kValueWidth + tagLength) << tag + value2.text()
         << std::left << unit2.text();
    endLine();
  }

  std::ostream& out_;
  const bool forumFormatted_;
  std::string currentColour_ = "white";
  bool lineOpen_ = false;  // a game's heading or description line
};

}  // namespace

std::unique_ptr<ReportWriter> makeTextWriter(std::ostream& out,
                                             bool forumFormatted) {
  return std::make_unique<TextWriter>(out, forumFormatted);
}

}  // namespace shgs
