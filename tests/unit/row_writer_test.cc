#include "report/row_writer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <iomanip>
#include <string>

#include "report_test_helpers.h"

namespace shgs {
namespace {

using report_test::ReportTest;

std::string spaces(int n) { return std::string(n, ' '); }
std::string fill(int n) { return std::string(n, '\xA8'); }

TEST(Cell, ConvertsEachKindOfValue) {
  const struct {
    Cell cell;
    const char* text;
  } cases[] = {
      {Cell(std::uint16_t{9999}), "9999"},
      {Cell(std::uint16_t{10000}), "10,000"},
      {Cell(std::uint32_t{4294967295u}), "4,294,967,295"},
      {Cell(true), "true"},
      {Cell(false), "false"},
      {Cell(0.33333334f), "0.333333"},
      {Cell(std::int32_t{-7}), "-7"},
      {Cell(std::int64_t{-1}), "-1"},
      {Cell(std::string(" Unlim")), " Unlim"},
      {Cell(" 1 in "), " 1 in "},
  };
  for (const auto& c : cases) EXPECT_EQ(c.cell.text(), c.text);
}

using WriteRowTest = ReportTest;

TEST_F(WriteRowTest, WritesAPlainRowInFixedWidths) {
  setForum(false);
  writeRow(out_, "Min size:", std::uint16_t{10}, "",
           "Max size:", std::uint16_t{20}, "");
  EXPECT_EQ(written(), spaces(12) + "Min size:" + spaces(6) + "10" +
                           spaces(11) + spaces(12) + "Max size:" + spaces(6) +
                           "20\n");
}

TEST_F(WriteRowTest, WritesAForumRowWithColourTagsAndFillBytes) {
  currentColour() = "brown";
  writeRow(out_, "Min size:", std::uint16_t{10}, "",
           "Max size:", std::uint16_t{20}, "");
  EXPECT_EQ(written(), "[black]" + fill(12) + "[brown]Min size:[black]" +
                           fill(6) + "[brown]10[black]" + fill(11) + fill(12) +
                           "[brown]Max size:[black]" + fill(6) + "[brown]20\n");
}

TEST_F(WriteRowTest, PadsAnEmptyRightColumnToItsWidths) {
  setForum(false);
  writeRow(out_, "Bubbles:", std::uint16_t{3}, "", "", "", "");
  EXPECT_EQ(written(), spaces(13) + "Bubbles:" + spaces(7) + "3" + spaces(11) +
                           spaces(21) + spaces(8) + "\n");
  setForum(true);
  writeRow(out_, "Bubbles:", std::uint16_t{3}, "", "", "", "");
  EXPECT_EQ(written(), "[black]" + fill(13) + "[white]Bubbles:[black]" +
                           fill(7) + "[white]3[black]" + fill(11) + fill(21) +
                           "[white][black]" + fill(8) + "[white]\n");
}

TEST_F(WriteRowTest, WidensForumFieldsByTheColourTag) {
  currentColour() = "lime green";
  writeRow(out_, "Beacon cost:", std::uint32_t{200}, "cr",
           "Cloak cost:", std::uint32_t{25000}, "cr");
  EXPECT_EQ(written(), "[black]" + fill(9) + "[lime green]Beacon cost:[black]" +
                           fill(5) + "[lime green]200cr[black]" + fill(9) +
                           fill(10) + "[lime green]Cloak cost:[black]" +
                           fill(2) + "[lime green]25,000cr\n");
}

TEST_F(WriteRowTest, WritesTextsAsWideAsTheirFieldsOrWiderWithoutFill) {
  const std::string label1 = "Times Class0/9 Blown:";  // 21 characters
  const std::string label2 = "Twenty-two characters:";
  const std::string value = "123456789";
  setForum(false);
  writeRow(out_, label1, value, "a unit longer", label2, value, "");
  EXPECT_EQ(written(),
            label1 + value + "a unit longer" + label2 + value + "\n");
  setForum(true);
  writeRow(out_, label1, value, "a unit longer", label2, value, "");
  EXPECT_EQ(written(), "[black][white]" + label1 + "[black][white]" + value +
                           "a unit longer[black][white]" + label2 +
                           "[black][white]" + value + "\n");
}

TEST_F(WriteRowTest, LeavesBlankFillAndRightAlignmentBehind) {
  for (bool forum : {false, true}) {
    SCOPED_TRACE(forum ? "forum" : "plain");
    setForum(forum);
    out_ << std::left << std::setfill('*');
    writeRow(out_, "Closed game?", true, "",
             "Extern last ran on:", " Fri Jan 1 1988", "");
    written();
    out_ << std::setw(5) << "ab";
    EXPECT_EQ(written(), "   ab");
  }
}

TEST_F(WriteRowTest, ReadsTheOptionsAndColourOnEveryCall) {
  setForum(false);
  writeRow(out_, "", "", "", "", "", "x");
  EXPECT_EQ(written(), spaces(21 + 8 + 11 + 21 + 8) + "x\n");
  setForum(true);
  currentColour() = "red";
  writeRow(out_, "", "", "", "", "", "x");
  EXPECT_EQ(written(), "[black]" + fill(21) + "[red][black]" + fill(8) +
                           "[red][black]" + fill(11) + fill(21) +
                           "[red][black]" + fill(8) + "[red]x\n");
}

}  // namespace
}  // namespace shgs
