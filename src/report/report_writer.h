#ifndef SHGS_REPORT_REPORT_WRITER_H_
#define SHGS_REPORT_REPORT_WRITER_H_

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>

namespace shgs {

// How the report is written: the forum's BBCode, plain text, Markdown with
// tables, one web page, or JSON for programs.
enum class ReportFormat { kForum, kPlain, kMarkdown, kHtml, kJson };

// One cell of a settings row: the kind of its value, the number, and its
// report text, which each constructor makes as the report's formatting rules
// say.
class Cell {
 public:
  enum class Kind { kText, kCount, kFlag, kReal, kSigned };

  Cell(const char* text);     // text, unchanged
  Cell(std::string text);     // text, unchanged
  Cell(std::uint16_t count);  // 16-bit count, with commas
  Cell(std::uint32_t count);  // 32-bit count, with commas
  Cell(bool flag);            // "true" / "false"
  Cell(float real);           // general notation, 6 digits
  Cell(std::int32_t value);   // signed
  Cell(std::int64_t value);   // wide signed

  // " Unlim" for a stored 0, which means no limit; the count otherwise.
  static Cell countOrUnlimited(std::uint16_t count);

  Kind kind() const { return kind_; }
  const std::string& text() const { return text_; }
  // The number of a count, a flag (0 or 1) or a signed value. A real's
  // number is its text: what the report shows is what it means.
  std::int64_t integer() const { return integer_; }

 private:
  Cell(Kind kind, std::string text, std::int64_t integer);

  Kind kind_;
  std::string text_;
  std::int64_t integer_;
};

// The two parts of the report, each under its banner.
enum class ReportPart { kServer, kGames };

// What the server section's heading names: "<serverName> running
// <runningName> on SHGS version <version>".
struct ServerHeading {
  std::string serverName;
  std::string runningName;
  std::string version;
};

// What a game section's heading names: "Game <letter> - <title> -
// <sectors> sectors - <turns> turns". "directory" is the game's folder as
// the registry names it.
struct GameHeading {
  char letter;
  std::string title;
  std::string directory;
  std::uint16_t sectors;
  std::string turns;
};

// Writes the report in one format. The section writers say what the report
// holds, each row once, in the order the report shows it; the writer alone
// knows the mark-up and layout. Texts are passed as the server stores them.
class ReportWriter {
 public:
  virtual ~ReportWriter() = default;

  // First and last: what encloses the report (the forum's code block and
  // footer, the page, the JSON object).
  virtual void writeReportOpening() = 0;
  virtual void writeReportFooter() = 0;

  virtual void writeServerHeading(const ServerHeading& heading) = 0;
  // The server's telnet link or a game's client link, as the report shows it.
  virtual void writeLink(const std::string& url) = 0;
  // How many nodes, and whether one IP may log on more than once at a time.
  virtual void writeNodeLine(std::uint16_t nodes, bool ipLimited) = 0;

  virtual void beginPart(ReportPart part) = 0;

  // A game section: its heading, then its description's lines (each as much
  // of a line of the file as the excerpt shows) and the mark that the
  // excerpt was cut, its client link, then its rows.
  virtual void beginGame(const GameHeading& heading) = 0;
  virtual void writeDescriptionLine(const std::string& line) = 0;
  virtual void writeDescriptionCut() = 0;
  virtual void beginGameRows() = 0;
  // The tournament notice, then its row.
  virtual void beginTournament() = 0;
  virtual void endTournament() = 0;
  virtual void endGame() = 0;

  // The rows that follow form a group, in this colour where the format has
  // colours.
  virtual void setColour(const std::string& colour) = 0;

  // One two-column row (label, value, unit; label, value, unit). An empty
  // column has an empty label, value and unit.
  virtual void writeRow(const Cell& label1, const Cell& value1,
                        const Cell& unit1, const Cell& label2,
                        const Cell& value2, const Cell& unit2) = 0;
};

// A writer of "format" into "out", which must outlive it. "now" is the
// run's current time (seconds since 1970); "server" names the server where
// a format names it before any section (the web page's title).
std::unique_ptr<ReportWriter> makeReportWriter(std::ostream& out,
                                               ReportFormat format,
                                               std::int64_t now,
                                               const std::string& server);

}  // namespace shgs

#endif  // SHGS_REPORT_REPORT_WRITER_H_
