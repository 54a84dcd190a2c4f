#include "report/server_section.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "report_test_helpers.h"

namespace shgs {
namespace {

using report_test::CapturedStandardError;
using report_test::linesOf;
using report_test::plainRow;
using report_test::RecordBuilder;
using report_test::ReportTest;
using report_test::serverKeyLine;
using report_test::valueLine;

struct ServerValues {
  std::string limitIP = "F";
  std::string ipAddr = "10.1.2.3";
  std::string nameAddr = "";
  std::string port = "2002";
  std::string nodeMax = "10";
};

ServerSnapshot snapshotOf(const ServerValues& values) {
  return ServerSnapshot::fromCapture(
      serverKeyLine() + valueLine("ServerRoot", "C:\\SHGS") +
      valueLine("LimitIP", values.limitIP) +
      valueLine("IPAddr", values.ipAddr) +
      valueLine("NameAddr", values.nameAddr) + valueLine("Port", values.port) +
      valueLine("NodeMax", values.nodeMax));
}

// Offsets of the global record.
constexpr std::size_t kServerFlags = 151;
constexpr std::size_t kDaysUntilDeletion = 155;
constexpr std::size_t kDailyLogLength = 156;
constexpr std::size_t kCommandLimit = 161;
constexpr std::size_t kOutputSegmentSize = 162;
constexpr std::size_t kShipDelayCode = 163;
constexpr std::size_t kProbeMovementDelay = 164;
constexpr std::size_t kCommandLimitPeriod = 165;
constexpr std::size_t kAckInterval = 166;
constexpr std::size_t kInactivityTimeout = 168;

RecordBuilder namedServer() {
  RecordBuilder record;
  record.text(0, "Nova Station").text(61, "Night Shift");
  record.u8(4094, 2).u8(4095, 6);
  return record;
}

class ServerSectionTest : public ReportTest {
 protected:
  std::vector<std::string> sectionLines(const ServerSnapshot& snapshot,
                                        const RecordBuilder& record) {
    writeServerSection(out_, options(), snapshot, GlobalRecord(record.bytes()));
    return linesOf(written());
  }
};

TEST_F(ServerSectionTest, OpensTheCodeBlockOnlyInForumMode) {
  writeReportOpening(out_, options());
  EXPECT_EQ(written(), "[CODE][white]\n");
  setForum(false);
  writeReportOpening(out_, options());
  EXPECT_EQ(written(), "");
}

TEST_F(ServerSectionTest, WritesTheHeaderLinesBeforeTheRows) {
  setForum(false);
  ServerValues values;
  values.limitIP = "T";
  const auto lines = sectionLines(snapshotOf(values), namedServer());
  ASSERT_EQ(lines.size(), 12u);
  EXPECT_EQ(lines[0], "Nova Station running Night Shift on SHGS version 2.6");
  EXPECT_EQ(lines[1], "telnet:\\\\10.1.2.3:2002");
  EXPECT_EQ(lines[2],
            "10 nodes; multiple simultaneous logons from a single IP are NOT "
            "allowed.");
  EXPECT_EQ(lines[3], std::string(80, '*'));
  EXPECT_EQ(lines[4], "Global (server) settings");
  EXPECT_EQ(lines[5], std::string(80, '-'));
}

TEST_F(ServerSectionTest, ShowsTheRevisionOnlyWhenItIsNotZero) {
  for (int revision : {0, 3}) {
    RecordBuilder record = namedServer();
    record.u8(4093, static_cast<std::uint8_t>(revision));
    const auto lines = sectionLines(snapshotOf({}), record);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], revision == 0 ? "Nova Station running Night Shift on "
                                        "SHGS version 2.6"
                                      : "Nova Station running Night Shift on "
                                        "SHGS version 2.6.3");
  }
}

TEST_F(ServerSectionTest, LinksToTheNameOrAddressWithThePortIn16Bits) {
  const struct {
    bool forum;
    const char* nameAddr;
    const char* port;
    const char* link;
  } cases[] = {
      {true, "", "2002", "[url]telnet:\\\\10.1.2.3:2002[/url]"},
      {true, "bbs.example.net", "23",
       "[url]telnet:\\\\bbs.example.net:23[/url]"},
      {false, "", "65559", "telnet:\\\\10.1.2.3:23"},
      {false, "", "-1", "telnet:\\\\10.1.2.3:65535"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.link);
    setForum(c.forum);
    ServerValues values;
    values.nameAddr = c.nameAddr;
    values.port = c.port;
    const auto lines = sectionLines(snapshotOf(values), namedServer());
    ASSERT_GT(lines.size(), 1u);
    EXPECT_EQ(lines[1], c.link);
  }
}

TEST_F(ServerSectionTest, AllowsSharedAddressesUnlessLimitIPIsExactlyT) {
  for (const char* limit : {"F", "t", "QnF"}) {
    ServerValues values;
    values.limitIP = limit;
    values.nodeMax = "65546";
    const auto lines = sectionLines(snapshotOf(values), namedServer());
    ASSERT_GT(lines.size(), 2u);
    EXPECT_EQ(lines[2],
              "10 nodes; multiple simultaneous logons from a single IP are "
              "allowed.")
        << limit;
  }
}

TEST_F(ServerSectionTest, WritesTheSixServerRows) {
  setForum(false);
  RecordBuilder record = namedServer();
  record.u8(kServerFlags, 0x01 | 0x10)
      .u8(kDaysUntilDeletion, 30)
      .u16(kDailyLogLength, 64000)
      .u8(kCommandLimit, 0)
      .u8(kCommandLimitPeriod, 10)
      .u8(kOutputSegmentSize, 255)
      .u8(kShipDelayCode, 4)
      .u8(kProbeMovementDelay, 3)
      .u16(kAckInterval, 5)
      .u16(kInactivityTimeout, 12000);
  const auto lines = sectionLines(snapshotOf({}), record);
  const std::vector<std::string> rows(lines.begin() + 6, lines.end());
  const std::vector<std::string> expected = {
      plainRow("Ship Delay:", "2", " s/TPW", "Probe Movement Delay:", "6",
               " s/sector"),
      plainRow("Command Limitation:", " Unlim", " cmds / 10s",
               "Output Segment Size:", "256", " bytes"),
      plainRow("Days Until Deletion:", "30", " days", "Ack Interval:", "5",
               " s"),
      plainRow("Daily Log Length:", "64,000", " bytes",
               "Inactivity Timeout:", "12,000", " s"),
      plainRow("Local Display On?", "false", "", "Local Beeper On?", "true",
               ""),
      plainRow("User Aliases?", "true", "", "Aliens Sleep?", "false", ""),
  };
  EXPECT_EQ(rows, expected);
}

TEST_F(ServerSectionTest, ShowsLimitsAndUnlimitedOutputSegments) {
  setForum(false);
  RecordBuilder record = namedServer();
  record.u8(kCommandLimit, 200)
      .u8(kCommandLimitPeriod, 0)
      .u8(kOutputSegmentSize, 0);
  const auto lines = sectionLines(snapshotOf({}), record);
  ASSERT_EQ(lines.size(), 12u);
  EXPECT_EQ(lines[7], plainRow("Command Limitation:", "200", " cmds / 0s",
                               "Output Segment Size:", " Unlim", " bytes"));
}

TEST_F(ServerSectionTest, ReportsAnInvalidShipDelayOncePerColumn) {
  setForum(false);
  RecordBuilder record = namedServer();
  record.u8(kShipDelayCode, 7).u8(kProbeMovementDelay, 3);
  CapturedStandardError error;
  const auto lines = sectionLines(snapshotOf({}), record);
  EXPECT_EQ(error.text(), "Invalid ship delay value!Invalid ship delay value!");
  ASSERT_EQ(lines.size(), 12u);
  EXPECT_EQ(lines[6], plainRow("Ship Delay:", "0", " s/TPW",
                               "Probe Movement Delay:", "0", " s/sector"));
}

}  // namespace
}  // namespace shgs
