#include "report/report_writer.h"

#include <gtest/gtest.h>

#include <iomanip>
#include <sstream>
#include <string>

namespace shgs {
namespace {

std::string spaces(int n) { return std::string(n, ' '); }
std::string fill(int n) { return std::string(n, '\xA8'); }

TEST(ReportWriter, HoldsTheColumnsInPlainAndForumRows) {
  const std::string label21 = "Times Class0/9 Blown:";
  const std::string label22 = "Twenty-two characters:";
  const struct {
    bool forum;
    const char* colour;
    std::string cells[6];
    std::string row;
  } cases[] = {
      {false,
       "brown",
       {"Min size:", "10", "", "Max size:", "20", ""},
       spaces(12) + "Min size:" + spaces(6) + "10" + spaces(11) + spaces(12) +
           "Max size:" + spaces(6) + "20"},
      {true,
       "brown",
       {"Min size:", "10", "", "Max size:", "20", ""},
       "[black]" + fill(12) + "[brown]Min size:[black]" + fill(6) +
           "[brown]10[black]" + fill(11) + fill(12) +
           "[brown]Max size:[black]" + fill(6) + "[brown]20"},
      {false,
       "white",
       {"Bubbles:", "3", "", "", "", ""},
       spaces(13) + "Bubbles:" + spaces(7) + "3" + spaces(11 + 21 + 8)},
      {true,
       "white",
       {"Bubbles:", "3", "", "", "", ""},
       "[black]" + fill(13) + "[white]Bubbles:[black]" + fill(7) +
           "[white]3[black]" + fill(11) + fill(21) + "[white][black]" +
           fill(8) + "[white]"},
      {true,
       "lime green",
       {"Beacon cost:", "200", "cr", "Cloak cost:", "25,000", "cr"},
       "[black]" + fill(9) + "[lime green]Beacon cost:[black]" + fill(5) +
           "[lime green]200cr[black]" + fill(9) + fill(10) +
           "[lime green]Cloak cost:[black]" + fill(2) + "[lime green]25,000cr"},
      // Texts as wide as their fields or wider get no fill at all.
      {false,
       "white",
       {label21, "123456789", "a unit longer", label22, "123456789", ""},
       label21 + "123456789a unit longer" + label22 + "123456789"},
      {true,
       "white",
       {label21, "123456789", "a unit longer", label22, "123456789", ""},
       "[black][white]" + label21 +
           "[black][white]123456789a unit "
           "longer[black][white]" +
           label22 + "[black][white]123456789"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.row);
    std::ostringstream out;
    ReportWriter writer(out, c.forum);
    writer.setColour(c.colour);
    writer.writeRow(c.cells[0], c.cells[1], c.cells[2], c.cells[3], c.cells[4],
                    c.cells[5]);
    EXPECT_EQ(out.str(), c.row + "\n");
  }
}

TEST(ReportWriter, LeavesBlankFillAndRightAlignmentBehindARow) {
  for (bool forum : {false, true}) {
    SCOPED_TRACE(forum ? "forum" : "plain");
    std::ostringstream out;
    ReportWriter writer(out, forum);
    out << std::left << std::setfill('*');
    writer.writeRow("Closed game?", true, "",
                    "Extern last ran on:", " Fri Jan 1 1988", "");
    out.str("");
    out << std::setw(5) << "ab";
    EXPECT_EQ(out.str(), "   ab");
  }
}

// Mark-up, rules and line ends; the colour starts white.
TEST(ReportWriter, WritesMarkUpOnlyInForumMode) {
  for (bool forum : {false, true}) {
    SCOPED_TRACE(forum ? "forum" : "plain");
    std::ostringstream out;
    ReportWriter writer(out, forum);
    EXPECT_EQ(writer.currentColour(), "white");
    writer.writeMarkUp("[white]");
    writer.writeRule('-');
    writer.out() << true;
    writer.endLine();
    EXPECT_EQ(out.str(),
              (forum ? "[white]" : "") + std::string(80, '-') + "\ntrue\n");
  }
}

}  // namespace
}  // namespace shgs
