#include "registry/capture_scanner.h"

#include <gtest/gtest.h>

#include <string>

#include "support/capture_builder.h"

namespace shgs {
namespace {

using namespace std::string_literals;
using testing_support::CaptureBuilder;
using testing_support::kCaptureStyles;

// Lookups in order, each from the start or on from where the one before left.
TEST(CaptureScanner, FindsTheFirstWholeWordAfterTheStartPoint) {
  const struct {
    const char* name;
    bool fromStart;
    std::string value;
  } lookups[] = {
      // The first occurrence wins, even in a title's text: the rest of
      // that line, " 1234567890", less its first 8 bytes.
      {"Port", true, "890"},
      {"Port", false, "23"},  // on below the line of the match before
      {"Title", false, "Directory here"},
      {"Directory", false, "C:\\ONE"},
      {"Flag", false, "  two  words  "},
      {"Empty", false, ""},
      {"Server\\Games\\A", false, ""},  // the last word of a key path line
      {"Title", false, "Alpha"},
      {"Last", false, "end"},       // the last line needs no line end...
      {"Title", false, kNotFound},  // ...but the scanner stays at the end
      {"PORT", true, kNotFound},
      {"Por", true, kNotFound},
      {"Port", false, kNotFound},  // failed until started again
      {"Port", true, "890"},
  };
  for (const auto& style : kCaptureStyles) {
    SCOPED_TRACE(style.name);
    CaptureScanner scanner(CaptureBuilder(style)
                               .serverKey()
                               .value("port", "1")
                               .value("Port:", "2")
                               .value("PortX", "3")
                               .value("XPort", "4")
                               .value("Title", "Port 1234567890")
                               .value("Port", "23")
                               .value("Title", "Directory here")
                               .value("Directory", "C:\\ONE")
                               .value("Flag", "  two  words  ")
                               .value("Empty", "")
                               .gameKey('A')
                               .value("Title", "Alpha")
                               .lastValue("Last", "end")
                               .text());
    for (const auto& lookup : lookups) {
      EXPECT_EQ(scanner.lookupValue(lookup.name, lookup.fromStart),
                lookup.value)
          << lookup.name << (lookup.fromStart ? " from the start" : "");
    }
  }
}

TEST(CaptureScanner, ReadsWordsAndLineEndsByteForByte) {
  const std::string bytes =
      "\xffPort\tREG_SZ\t1\nPo\0rt\tREG_SZ\t2\nx\fPort\tREG_SZ\t3\n"s;
  const std::string carriageReturns =
      "A\tREG_SZ\tx\ry\r\nB\tREG_SZ\tz\r\r\nC\tREG_SZ\tw\r";
  const struct {
    std::string capture;
    std::string name;
    std::string value;
  } cases[] = {
      {"", "Port", kNotFound},
      {" \r\n\r\n\t\v\f", "Port", kNotFound},
      {"Port", "Port", kNotFound},  // a word that ends the capture
      {"Port ", "Port", ""},
      {bytes, "Port", "3"},  // NUL and bytes from 0x80 up are word bytes
      {bytes, "Po\0rt"s, "2"},
      {carriageReturns, "A", "x\ry"},  // only a CR before the LF goes
      {carriageReturns, "B", "z\r"},
      {carriageReturns, "C", "w\r"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CaptureScanner(c.capture).lookupValue(c.name, true), c.value)
        << ::testing::PrintToString(c.capture) << " " << c.name;
  }
}

TEST(ValueTextAfterName, ReadsBothListingLayouts) {
  const struct {
    const char* rest;
    const char* value;
  } cases[] = {
      // Tab layout: the first 8 bytes go, whatever they are.
      {"\tREG_SZ\tText", "Text"},
      {"\tREG_SZ\t", ""},
      {"\tREG_SZ", ""},
      {"\tREG_SZ    Text", "   Text"},
      // Blank layout: blanks, a REG_ word, four blanks.
      {"    REG_SZ    Text", "Text"},
      {" REG_SZ    Text", "Text"},
      {"    REG_SZ      two  words  ", "  two  words  "},
      {"    REG_SZ", ""},
      {"    REG_EXPAND_SZ    %Root%", "%Root%"},
      {"    REG_    x", "x"},
      // Anything else: the first 8 bytes go.
      {"", ""},
      {"12345678", ""},
      {"123456789", "9"},
      {"    REG_SZ  Text", "SZ  Text"},
      {"    REG_SZ\tText", "SZ\tText"},
      {"    reg_sz    Text", "sz    Text"},
      {"REG_SZ    Text", "  Text"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(valueTextAfterName(c.rest), c.value) << '"' << c.rest << '"';
  }
}

}  // namespace
}  // namespace shgs
