#include "report/row_writer.h"

#include <gtest/gtest.h>

#include <iomanip>
#include <sstream>
#include <string>

#include "driver/export_options.h"

namespace shgs {
namespace {

std::string spaces(int n) { return std::string(n, ' '); }
std::string fill(int n) { return std::string(n, '\xA8'); }

// Resets the process-wide options and colour around each test; the stream
// starts as the options menu leaves standard output.
class WriteRowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset();
    out_ << std::left << std::boolalpha;
  }
  void TearDown() override { reset(); }
  static void reset() {
    exportOptions() = ExportOptions();
    currentColour() = "white";
  }

  std::ostringstream out_;
};

TEST_F(WriteRowTest, HoldsTheColumnsInPlainAndForumRows) {
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
    exportOptions().forumFormatted = c.forum;
    currentColour() = c.colour;
    writeRow(out_, c.cells[0], c.cells[1], c.cells[2], c.cells[3], c.cells[4],
             c.cells[5]);
    EXPECT_EQ(out_.str(), c.row + "\n");
    out_.str("");
  }
}

TEST_F(WriteRowTest, LeavesBlankFillAndRightAlignmentBehind) {
  for (bool forum : {false, true}) {
    SCOPED_TRACE(forum ? "forum" : "plain");
    exportOptions().forumFormatted = forum;
    out_ << std::left << std::setfill('*');
    writeRow(out_, "Closed game?", true, "",
             "Extern last ran on:", " Fri Jan 1 1988", "");
    out_.str("");
    out_ << std::setw(5) << "ab";
    EXPECT_EQ(out_.str(), "   ab");
    out_.str("");
  }
}

}  // namespace
}  // namespace shgs
