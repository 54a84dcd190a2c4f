#include "registry/capture_scanner.h"

#include <gtest/gtest.h>

#include <string>

#include "unit/capture_builder.h"

namespace shgs {
namespace {

using testing_support::CaptureBuilder;
using testing_support::CaptureStyle;
using testing_support::kCaptureStyles;

class CaptureScannerTest : public ::testing::TestWithParam<CaptureStyle> {
 protected:
  CaptureBuilder capture() const { return CaptureBuilder(GetParam()); }
};

TEST_P(CaptureScannerTest, ReturnsValueTextWithInnerAndTrailingBlanks) {
  CaptureScanner scanner(capture()
                             .serverKey()
                             .value("Flag", "T ")
                             .value("Title", "  Two  words  ")
                             .value("Empty", "")
                             .value("LimitIP", "T")
                             .text());
  EXPECT_EQ("T ", scanner.lookupValue("Flag", true));
  EXPECT_EQ("  Two  words  ", scanner.lookupValue("Title", true));
  EXPECT_EQ("", scanner.lookupValue("Empty", true));
  EXPECT_EQ("T", scanner.lookupValue("LimitIP", true));
}

TEST_P(CaptureScannerTest, MatchesOnlyTheWholeWordInItsCase) {
  CaptureScanner scanner(capture()
                             .serverKey()
                             .value("port", "1")
                             .value("Port:", "2")
                             .value("PortX", "3")
                             .value("XPort", "4")
                             .value("Port", "23")
                             .text());
  EXPECT_EQ("23", scanner.lookupValue("Port", true));
  EXPECT_EQ(kNotFound, scanner.lookupValue("PORT", true));
  EXPECT_EQ(kNotFound, scanner.lookupValue("Por", true));
}

TEST_P(CaptureScannerTest, FirstOccurrenceWinsEvenInsideAnotherValue) {
  CaptureScanner scanner(capture()
                             .serverKey()
                             .value("Motd", "Port 1234567890")
                             .value("Port", "23")
                             .text());
  // The rest of the Motd line, " 1234567890", less its first 8 bytes.
  EXPECT_EQ("890", scanner.lookupValue("Port", true));
}

TEST_P(CaptureScannerTest, FindsTheLastWordOfAKeyPathLine) {
  CaptureScanner scanner(
      capture().serverKey().gameKey('A').value("Title", "Alpha").text());
  EXPECT_EQ("", scanner.lookupValue("Server\\Games\\A", true));
  EXPECT_EQ("Alpha", scanner.lookupValue("Title", false));
}

TEST_P(CaptureScannerTest, ContinuesBelowTheLineOfThePreviousMatch) {
  CaptureScanner scanner(capture()
                             .serverKey()
                             .value("Title", "Directory here")
                             .value("Directory", "C:\\ONE")
                             .value("Title", "Second")
                             .value("Directory", "C:\\TWO")
                             .text());
  EXPECT_EQ("Directory here", scanner.lookupValue("Title", true));
  EXPECT_EQ("C:\\ONE", scanner.lookupValue("Directory", false));
  EXPECT_EQ("Second", scanner.lookupValue("Title", false));
  EXPECT_EQ("C:\\TWO", scanner.lookupValue("Directory", false));
  EXPECT_EQ(kNotFound, scanner.lookupValue("Title", false));
}

TEST_P(CaptureScannerTest, StaysFailedAfterNotFoundUntilLookedUpFromStart) {
  CaptureScanner scanner(capture().serverKey().value("Port", "23").text());
  EXPECT_EQ(kNotFound, scanner.lookupValue("NodeMax", true));
  EXPECT_EQ(kNotFound, scanner.lookupValue("Port", false));
  EXPECT_EQ("23", scanner.lookupValue("Port", true));
  EXPECT_EQ(kNotFound, scanner.lookupValue("NodeMax", false));
  scanner.rewind();
  EXPECT_EQ("23", scanner.lookupValue("Port", false));
}

TEST_P(CaptureScannerTest, ReadsTheLastLineButNeverAWordThatEndsTheCapture) {
  CaptureScanner scanner(
      capture().serverKey().value("Port", "23").raw("    Port").text());
  EXPECT_EQ("23", scanner.lookupValue("Port", true));
  EXPECT_EQ(kNotFound, scanner.lookupValue("Port", false));
  EXPECT_EQ(kNotFound, CaptureScanner("Port").lookupValue("Port", true));
  EXPECT_EQ("", CaptureScanner("Port ").lookupValue("Port", true));
  CaptureScanner lastLine(
      capture().serverKey().raw("    Port\tREG_SZ\t23").text());
  EXPECT_EQ("23", lastLine.lookupValue("Port", true));
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, CaptureScannerTest, ::testing::ValuesIn(kCaptureStyles),
    [](const ::testing::TestParamInfo<CaptureStyle>& info) {
      return std::string(info.param.name);
    });

TEST(CaptureScanner, FindsNothingInAnEmptyOrBlankCapture) {
  for (const char* text : {"", " ", "\r\n\r\n", "\t\v\f"}) {
    CaptureScanner scanner(text);
    EXPECT_EQ(kNotFound, scanner.lookupValue("Port", true)) << '"' << text;
  }
}

TEST(CaptureScanner, TreatsNulAndHighBytesAsWordBytes) {
  using namespace std::string_literals;
  CaptureScanner scanner(
      "\xffPort\tREG_SZ\t1\nPo\0rt\tREG_SZ\t2\nx\fPort\tREG_SZ\t3\n"s);
  EXPECT_EQ("3", scanner.lookupValue("Port", true));
  EXPECT_EQ("2", scanner.lookupValue("Po\0rt"s, true));
}

TEST(CaptureScanner, DropsOnlyACarriageReturnRightBeforeTheLineFeed) {
  CaptureScanner scanner("A\tREG_SZ\tx\ry\r\nB\tREG_SZ\tz\r\r\nC\tREG_SZ\tw\r");
  EXPECT_EQ("x\ry", scanner.lookupValue("A", true));
  EXPECT_EQ("z\r", scanner.lookupValue("B", true));
  EXPECT_EQ("w\r", scanner.lookupValue("C", true));
}

TEST(ValueTextAfterName, ReadsBothListingLayouts) {
  const struct {
    const char* rest;
    const char* value;
  } cases[] = {
      // Tab layout: the first 8 bytes go, whatever they are.
      {"\tREG_SZ\tText", "Text"},
      {"\tREG_SZ\t  two  words ", "  two  words "},
      {"\tREG_SZ\t", ""},
      {"\tREG_SZ", ""},
      {"\t", ""},
      {"\tREG_SZ    Text", "   Text"},
      // Blank layout: blanks, a REG_ word, four blanks.
      {"    REG_SZ    Text", "Text"},
      {" REG_SZ    Text", "Text"},
      {"    REG_SZ      two  words  ", "  two  words  "},
      {"    REG_SZ    ", ""},
      {"    REG_SZ", ""},
      {"    REG_EXPAND_SZ    %Root%", "%Root%"},
      {"    REG_    x", "x"},
      // Anything else: the first 8 bytes go.
      {"", ""},
      {"1234567", ""},
      {"12345678", ""},
      {"123456789", "9"},
      {"    REG_SZ  Text", "SZ  Text"},
      {"    REG_SZ\tText", "SZ\tText"},
      {"    Text in blanks", " in blanks"},
      {"    reg_sz    Text", "sz    Text"},
      {"REG_SZ    Text", "  Text"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.value, valueTextAfterName(c.rest)) << '"' << c.rest << '"';
  }
}

}  // namespace
}  // namespace shgs
