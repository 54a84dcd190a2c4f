#include "report/game_section.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "datafiles/record_encoding.h"
#include "report/value_format.h"
#include "report_test_helpers.h"
#include "support/test_support.h"

namespace shgs {
namespace {

using report_test::DirectoryPlatform;
using report_test::gameKeyLine;
using report_test::linesOf;
using report_test::plainRow;
using report_test::RecordBuilder;
using report_test::ReportTest;
using report_test::serverKeyLine;
using report_test::valueLine;
using testing_support::TempDir;

// Offsets of the configuration record.
constexpr std::size_t kSectors = 0;
constexpr std::size_t kOptionFlags = 10;
constexpr std::size_t kTurnsPerDay = 15;
constexpr std::size_t kFerrengiRegenRate = 26;
constexpr std::size_t kFerrengiMoveChance = 33;
constexpr std::size_t kAlienMoveChance = 34;
constexpr std::size_t kTournamentMode = 103;
constexpr std::size_t kDaysToEnter = 105;
constexpr std::size_t kMaxDeaths = 107;
constexpr std::size_t kClass0BlownCount = 158;
constexpr std::size_t kGameStartDay = 160;
constexpr std::size_t kBubbleCount = 166;
constexpr std::size_t kMinBubbleLinks = 168;
constexpr std::size_t kMaxBubbleSize = 169;
constexpr std::size_t kMinBubbleSize = 171;
constexpr std::size_t kLimpetRemovalCost = 204;
constexpr std::size_t kShipReregistryCost = 206;
constexpr std::size_t kArmidMineCost = 212;
constexpr std::size_t kTwarp1DriveCost = 218;
constexpr std::size_t kTwarp2DriveCost = 222;
constexpr std::size_t kTwarpUpgradeBaseCost = 226;
constexpr std::size_t kMaxBubbleLinks = 263;
constexpr std::size_t kMinTunnelDepth = 264;
constexpr std::size_t kMaxTunnelDepth = 265;

constexpr std::uint8_t kInternalAliens = 0x02;
constexpr std::uint8_t kInternalFerrengi = 0x08;

struct GameValues {
  std::string nameAddr = "";
  std::string port = "2002";
  std::string description = "none";
  std::string title = "Bob's Place";
};

ServerSnapshot snapshotOf(const GameValues& values) {
  return ServerSnapshot::fromCapture(
      serverKeyLine() + valueLine("ServerRoot", "C:\\SHGS") +
      valueLine("IPAddr", "10.1.2.3") + valueLine("NameAddr", values.nameAddr) +
      valueLine("Port", values.port) + gameKeyLine('A') +
      valueLine("Deleted", "F") + valueLine("Active", "T") +
      valueLine("Directory", "C:\\SHGS\\GAMEA") +
      valueLine("Description", values.description) +
      valueLine("Title", values.title));
}

// Every cost at its stock price.
RecordBuilder stockCosts() {
  RecordBuilder record;
  record.u16(206, 5000).u16(244, 25000).u16(212, 1000).u16(214, 10000);
  record.u16(216, 100).u16(204, 5000).u32(208, 20000).u16(234, 15000);
  record.u16(254, 2000).u32(250, 25000).u16(236, 1000).u32(230, 30000);
  record.u16(238, 3000).u32(246, 6000).u32(198, 50000).u32(194, 25000);
  record.u32(218, 50000).u32(222, 80000).u16(226, 10000).u16(228, 10000);
  return record;
}

class GameSectionTest : public ReportTest {
 protected:
  GameSectionTest() : platform_(dir_.path()) {}

  std::string sectionStart(const RecordBuilder& record,
                           const GameValues& values = {},
                           std::int64_t now = 0) {
    writeGameSectionStart(out_, 'A', ConfigRecord(record.bytes()),
                          snapshotOf(values), options(), now, platform_);
    return written();
  }

  std::string sectionEnd(const RecordBuilder& record) {
    writeGameSectionEnd(out_, ConfigRecord(record.bytes()), options());
    return written();
  }

  TempDir dir_;
  DirectoryPlatform platform_;
};

TEST_F(GameSectionTest, WritesTheSameBannerInBothModes) {
  for (bool forum : {false, true}) {
    setForum(forum);
    writeGameSettingsBanner(out_);
    EXPECT_EQ(written(), "\n" + std::string(80, '*') +
                             "\nLocal (game) settings\n" +
                             std::string(80, '-') + "\n");
  }
}

TEST_F(GameSectionTest, WritesHeadingLinkAndSeparatorWithForumMarkUp) {
  RecordBuilder record;
  record.u16(kSectors, 5000).u16(kTurnsPerDay, 250);
  const auto lines = linesOf(sectionStart(record));
  ASSERT_GT(lines.size(), 3u);
  EXPECT_EQ(lines[0],
            "[yellow]Game A - Bob's Place - 5000 sectors - 250 turns[/COLOR]");
  EXPECT_EQ(lines[1],
            "[url]shplay:\\\\10.1.2.3:2002\\new?game=A&sectors=5000&name="
            "BobsPlace[/url]");
  EXPECT_EQ(lines[2], "[white]" + std::string(80, '-'));
}

TEST_F(GameSectionTest, WritesSectorsPlainInHeadingAndLinkButGroupedInRows) {
  setForum(false);
  RecordBuilder record;
  record.u16(kSectors, 20000).u16(kTurnsPerDay, 0);
  GameValues values;
  values.nameAddr = "bbs.example.net";
  values.port = "67538";  // 65536 + 2002
  values.title = "It's 'The' Big One";
  const auto lines = linesOf(sectionStart(record, values));
  ASSERT_GT(lines.size(), 5u);
  EXPECT_EQ(lines[0],
            "Game A - It's 'The' Big One - 20000 sectors -  Unlim turns");
  EXPECT_EQ(lines[1],
            "shplay:\\\\bbs.example.net:2002\\new?game=A&sectors=20000&"
            "name=ItsTheBigOne");
  EXPECT_EQ(lines[2], std::string(80, '-'));
  EXPECT_EQ(lines[5],
            plainRow("Sectors:", "20,000", "", "Max users:", "0", ""));
  EXPECT_EQ(lines[8], plainRow("Turns per day:", " Unlim", "",
                               "Turn bank:", "1", " days"));
}

TEST_F(GameSectionTest, PutsTheDescriptionBetweenHeadingAndLink) {
  setForum(false);
  testing_support::makeDirectories(dir_ / "c:/shgs/descfile");
  testing_support::writeFile(dir_ / "c:/shgs/descfile/game1.txt",
                             "A quiet game.\r\nNo bots.\r\n");
  GameValues values;
  values.description = "Game1.TXT";
  const auto lines = linesOf(sectionStart(RecordBuilder(), values));
  ASSERT_GT(lines.size(), 4u);
  EXPECT_EQ(lines[0], "Game A - Bob's Place - 0 sectors -  Unlim turns");
  EXPECT_EQ(lines[1], "A quiet game.");
  EXPECT_EQ(lines[2], "No bots.");
  EXPECT_EQ(lines[3].compare(0, 9, "shplay:\\\\"), 0) << lines[3];
}

TEST_F(GameSectionTest, WritesTheTournamentBlockInOrangeBeforeTheRows) {
  RecordBuilder record;
  record.u8(kTournamentMode, 1).u16(kDaysToEnter, 3).u16(kMaxDeaths, 2);
  const auto lines = linesOf(sectionStart(record));
  ASSERT_GT(lines.size(), 5u);
  EXPECT_EQ(lines[3], "[orange]Tournament mode is ON.");
  EXPECT_NE(lines[4].find("[orange]Days to enter:"), std::string::npos);
  EXPECT_NE(lines[4].find("[orange]3 days"), std::string::npos);
  // The closing tag has no line end of its own: the first row follows it.
  EXPECT_EQ(lines[5].compare(0, 15, "[/COLOR][black]"), 0) << lines[5];
  EXPECT_NE(lines[5].find("[white]Age of Game:"), std::string::npos);

  setForum(false);
  const auto plain = linesOf(sectionStart(record));
  ASSERT_GT(plain.size(), 5u);
  EXPECT_EQ(plain[3], "Tournament mode is ON.");
  EXPECT_EQ(plain[4],
            plainRow("Days to enter:", "3", " days", "Max deaths:", "2", ""));
}

// The colour of a forum row: the tag after its leading fill.
std::string rowColour(const std::string& row) {
  const std::size_t open = row.find('[', 7);
  const std::size_t close = row.find(']', open);
  if (open == std::string::npos || close == std::string::npos) return "";
  return row.substr(open + 1, close - open - 1);
}

TEST_F(GameSectionTest, ColoursTheRowGroupsWhiteBlueCyanRed) {
  const auto lines = linesOf(sectionStart(RecordBuilder()));
  ASSERT_EQ(lines.size(), 3u + 24u);
  std::vector<std::string> colours;
  for (std::size_t i = 3; i < lines.size(); ++i) {
    colours.push_back(rowColour(lines[i]));
  }
  std::vector<std::string> expected(15, "white");
  expected.insert(expected.end(), 3, "blue");
  expected.insert(expected.end(), 2, "cyan");
  expected.insert(expected.end(), 4, "red");
  EXPECT_EQ(colours, expected);
  EXPECT_EQ(currentColour(), "red");
}

TEST_F(GameSectionTest, CountsTheAgeInWholeDaysTowardZero) {
  setForum(false);
  const std::uint16_t startDay = 7000;
  const std::int64_t start = dayNumberToTime(startDay);
  const struct {
    std::int64_t now;
    const char* age;
  } cases[] = {
      {start, "0"},          {start + 3 * 86400 + 5, "3"},  {start - 1, "0"},
      {start - 86400, "-1"}, {start - 2 * 86400 - 1, "-2"},
  };
  RecordBuilder record;
  record.u16(kGameStartDay, startDay).u16(191, 1);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.now - start);
    const auto lines = linesOf(sectionStart(record, {}, c.now));
    ASSERT_GT(lines.size(), 3u);
    EXPECT_EQ(lines[3], plainRow("Age of Game:", c.age, " days",
                                 "Game banged on:", " Fri Jan 1 1988", ""));
  }
}

TEST_F(GameSectionTest, ShowsTheBlownCountOneLowerButNeverNegative) {
  setForum(false);
  const struct {
    std::uint16_t stored;
    const char* shown;
  } cases[] = {{0, "0"}, {1, "0"}, {5, "4"}, {65535, "65534"}};
  for (const auto& c : cases) {
    RecordBuilder record;
    record.u16(kClass0BlownCount, c.stored).u16(99, 12);
    const auto lines = linesOf(sectionStart(record));
    ASSERT_GT(lines.size(), 13u);
    EXPECT_EQ(lines[13], plainRow("Times Class0/9 Blown:", c.shown, "",
                                  "Cloak failure rate:", "12", "%"))
        << c.stored;
  }
}

TEST_F(GameSectionTest, ShowsDerivedValuesInTheirCellWidths) {
  setForum(false);
  RecordBuilder record;
  record.u16(267, 65535);  // turn bank 65536, shown in 16 bits
  record.u16(261, 1441);   // fighter lock decay -1
  record.u8(187, 31).u8(188, 255);
  record.u8(19, 0x8A).u8(24, 0xFA);  // starting credits -1000
  record.u16(31, 90).u8(266, 5).u16(164, 1);
  const auto lines = linesOf(sectionStart(record));
  ASSERT_EQ(lines.size(), 27u);
  EXPECT_EQ(lines[8], plainRow("Turns per day:", " Unlim", "",
                               "Turn bank:", "0", " days"));
  EXPECT_EQ(lines[9], plainRow("Time limit per day:", "90", " min",
                               "Time penalty:", "5", " min/logon"));
  EXPECT_EQ(lines[10], plainRow("Starting credits:", "4,294,966,296", "cr",
                                "Starting holds:", "0", ""));
  EXPECT_EQ(lines[17], plainRow("Max course length:", "0", "",
                                "Fighter lock decay:", "65,535", "s"));
  EXPECT_EQ(lines[25],
            plainRow("Steal Factor:", "100", "%", "Rob factor:", "850", "%"));
  EXPECT_EQ(lines[26], plainRow("Busts clear every:", "0", " days",
                                "Last bust clear:", " Fri Jan 1 1988", ""));
}

TEST_F(GameSectionTest, SkipsTheBubbleGroupWithoutBubbles) {
  setForum(false);
  currentColour() = "red";
  const auto lines = linesOf(sectionEnd(stockCosts()));
  const std::vector<std::string> expected = {
      plainRow("Internal aliens?", "false", "", "Internal Ferrengi?", "false",
               ""),
      std::string(80, '-'),
  };
  EXPECT_EQ(lines, expected);
}

TEST_F(GameSectionTest, WritesTheBubbleGroupInBrown) {
  RecordBuilder record = stockCosts();
  record.u16(kBubbleCount, 12000)
      .u16(kMinBubbleSize, 10)
      .u16(kMaxBubbleSize, 20);
  record.u8(kMinBubbleLinks, 1).u8(kMaxBubbleLinks, 3);
  record.u8(kMinTunnelDepth, 4).u8(kMaxTunnelDepth, 9);
  const std::string forum = sectionEnd(record);
  EXPECT_NE(forum.find("[brown]Min size:"), std::string::npos);
  setForum(false);
  const auto lines = linesOf(sectionEnd(record));
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[0], plainRow("Bubbles:", "12,000", "", "", "", ""));
  EXPECT_EQ(lines[1], plainRow("Min size:", "10", "", "Max size:", "20", ""));
  EXPECT_EQ(lines[2], plainRow("Min links:", "1", "", "Max links:", "3", ""));
  EXPECT_EQ(lines[3], plainRow("Min tunnel depth:", "4", "",
                               "Max tunnel depth:", "9", ""));
}

TEST(AddCost, ListsACostThatDiffersOrWhenStockPricesAreWanted) {
  const struct {
    bool stockWanted;
    std::uint32_t value;
    std::uint32_t stock;
    bool listed;
  } cases[] = {
      {false, 5000, 5000, false},
      {false, 5001, 5000, true},
      {false, 0, 5000, true},
      {true, 5000, 5000, true},
      {false, 65536 + 5000, 5000, true},
  };
  for (const auto& c : cases) {
    ExportOptions options;
    options.includeStockPriceData = c.stockWanted;
    std::vector<CostEntry> costList = {{"First:", 1}};
    addCost(costList, options, "Beacon cost:", c.value, c.stock);
    ASSERT_EQ(costList.size(), c.listed ? 2u : 1u) << c.value;
    if (c.listed) {
      EXPECT_EQ(costList[1].label, "Beacon cost:");
      EXPECT_EQ(costList[1].value, c.value);
    }
  }
}

// The cost rows of a plain section end: between the alien row's start and
// the rows before it.
std::vector<std::string> costRowsOf(const std::vector<std::string>& lines) {
  std::vector<std::string> rows;
  for (const std::string& line : lines) {
    if (line.find("Internal aliens?") != std::string::npos) break;
    rows.push_back(line);
  }
  return rows;
}

TEST_F(GameSectionTest, ListsOnlyCostsAwayFromStockTwoToARow) {
  setForum(false);
  RecordBuilder record = stockCosts();
  record.u16(kShipReregistryCost, 4000).u16(kArmidMineCost, 25000);
  EXPECT_EQ(
      costRowsOf(linesOf(sectionEnd(record))),
      std::vector<std::string>({plainRow("Ship reregistry cost:", "4000", "cr",
                                         "Armid mine cost:", "25,000", "cr")}));
  record.u16(kLimpetRemovalCost, 0);
  EXPECT_EQ(costRowsOf(linesOf(sectionEnd(record))),
            std::vector<std::string>(
                {plainRow("Ship reregistry cost:", "4000", "cr",
                          "Armid mine cost:", "25,000", "cr"),
                 plainRow("Limpet removal cost:", "0", "cr", "", "", "")}));
}

TEST_F(GameSectionTest, LeavesTheCostListOutWhenEveryCostIsStock) {
  currentColour() = "red";
  const std::string forum = sectionEnd(stockCosts());
  EXPECT_EQ(forum.find("lime green"), std::string::npos);
  EXPECT_EQ(forum.find("cr"), std::string::npos);
}

TEST_F(GameSectionTest, ListsEveryCostWhenStockPricesAreWanted) {
  options().includeStockPriceData = true;
  const std::string forum = sectionEnd(stockCosts());
  EXPECT_NE(forum.find("[lime green]Ship reregistry cost:"), std::string::npos);
  setForum(false);
  const auto rows = costRowsOf(linesOf(sectionEnd(stockCosts())));
  ASSERT_EQ(rows.size(), 10u);
  EXPECT_EQ(rows[0], plainRow("Ship reregistry cost:", "5000", "cr",
                              "Cloak cost:", "25,000", "cr"));
  EXPECT_EQ(rows[8], plainRow("TWarp I drive cost:", "50,000", "cr",
                              "TWarp II drive cost:", "80,000", "cr"));
  EXPECT_EQ(rows[9], plainRow("Twarp upgrade cost:", "40,000", "cr",
                              "Psychic probe cost:", "10,000", "cr"));
}

TEST_F(GameSectionTest, WrapsTheTwarpUpgradeCostModulo2To32) {
  setForum(false);
  RecordBuilder record = stockCosts();
  record.u32(kTwarp1DriveCost, 4000000000u).u32(kTwarp2DriveCost, 80000);
  record.u16(kTwarpUpgradeBaseCost, 10000);
  EXPECT_EQ(costRowsOf(linesOf(sectionEnd(record))),
            std::vector<std::string>(
                {plainRow("TWarp I drive cost:", "4,000,000,000", "cr",
                          "Twarp upgrade cost:", "295,057,296", "cr")}));
}

TEST_F(GameSectionTest, WritesMoveChancesForTheInternalTradersOnly) {
  setForum(false);
  const std::string aliensRow(
      plainRow("Alien move chance:", " 1 in ", "7", "", "", ""));
  const struct {
    std::uint8_t flags;
    std::vector<std::string> rows;
  } cases[] = {
      {0, {}},
      {kInternalAliens, {aliensRow}},
      {kInternalFerrengi,
       {plainRow("", "", "", "Ferrengi move chance:", " 1 in ", "12"),
        plainRow("Ferrengi regen rate:", "20", "%", "Invincible Ferrengal?",
                 "true", "")}},
      {kInternalAliens | kInternalFerrengi,
       {plainRow("Alien move chance:", " 1 in ", "7",
                 "Ferrengi move chance:", " 1 in ", "12"),
        plainRow("Ferrengi regen rate:", "20", "%", "Invincible Ferrengal?",
                 "true", "")}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(int{c.flags});
    RecordBuilder record = stockCosts();
    record.u8(kOptionFlags, c.flags).u8(11, 0x02);
    record.u8(kAlienMoveChance, 7).u8(kFerrengiMoveChance, 12);
    record.u8(kFerrengiRegenRate, 20);
    const auto lines = linesOf(sectionEnd(record));
    ASSERT_EQ(lines.size(), c.rows.size() + 2);
    EXPECT_EQ(
        lines[0],
        plainRow("Internal aliens?", toText((c.flags & 0x02) != 0), "",
                 "Internal Ferrengi?", toText((c.flags & 0x08) != 0), ""));
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 1, lines.end() - 1),
              c.rows);
  }
}

TEST_F(GameSectionTest, EndsWithAWhiteSeparatorInForumMode) {
  const auto forum = linesOf(sectionEnd(stockCosts()));
  ASSERT_FALSE(forum.empty());
  EXPECT_NE(forum[0].find("[magenta]Internal aliens?"), std::string::npos);
  EXPECT_EQ(forum.back(), "[white]" + std::string(80, '-'));
}

TEST_F(GameSectionTest, WritesTheFooterOnlyInForumMode) {
  writeReportFooter(out_, options());
  const auto lines = linesOf(written());
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0],
            "[/CODE][hr][yellow]The preceding table was produced by the SHGS "
            "Game Settings Exporter v1.20!");
  const std::string open = "[url]http";
  const std::string close = "[/url] [/COLOR][hr]";
  EXPECT_EQ(lines[1].compare(0, open.size(), open), 0) << lines[1];
  ASSERT_GT(lines[1].size(), open.size() + close.size());
  EXPECT_EQ(lines[1].substr(lines[1].size() - close.size()), close);
  EXPECT_EQ(lines[2], "");

  setForum(false);
  writeReportFooter(out_, options());
  EXPECT_EQ(written(), "");
}

}  // namespace
}  // namespace shgs
