#include <gtest/gtest.h>

#include <string>

#include "support/system_reg_text.h"
#include "winereg/listing.h"

// The values of system.reg as the listing shows them (winereg/values,
// escapes and encoding).

namespace shgs {
namespace {

using testing_support::head;
using testing_support::kListed;
using testing_support::kStored;
using testing_support::listed;
using testing_support::listing;
using testing_support::section;

TEST(WineregValues, ShowsEachValueKindAsRegQueryDoes) {
  const struct {
    const char* stored;  // the value line in system.reg
    const char* listed;  // its line in the listing, without the indent
  } cases[] = {
      {R"("Name"="a\"b")", "Name    REG_SZ    a\"b"},
      {R"("Tab"="a\tb")", "Tab    REG_SZ    a\tb"},
      {R"("NL"="a\nb\r")", "NL    REG_SZ    a\nb\r"},
      {R"("Ctl"="\1\e\37.")", "Ctl    REG_SZ    \x01\x1b\x1f."},
      {R"("Uni"="caf\xe9 \x2603 \xd834\xdd1e")",
       "Uni    REG_SZ    caf\xc3\xa9 \xe2\x98\x83 \xf0\x9d\x84\x9e"},
      {R"("Pad"="\x00e90")", "Pad    REG_SZ    \xc3\xa9\x30"},
      {R"("Lone"="\xd834!")", "Lone    REG_SZ    \xef\xbf\xbd!"},
      {R"("NotHex"="\xg")", "NotHex    REG_SZ    xg"},
      {R"("Raw"="é")", "Raw    REG_SZ    é"},
      {R"("Nul"="h\0i")", "Nul    REG_SZ    h"},
      {R"("Oct"="\1011")", "Oct    REG_SZ    A1"},
      {R"("Up"="\x00C9\xC9")", "Up    REG_SZ    \xc3\x89\xc3\x89"},
      {"\"Astral \xf0\x9f\x98\x80\"=\"\xf0\x9f\x98\x80\"",
       "Astral \xf0\x9f\x98\x80    REG_SZ    \xf0\x9f\x98\x80"},
      {R"(@="default text")", "(Default)    REG_SZ    default text"},
      {R"(""="unnamed")", "(Default)    REG_SZ    unnamed"},
      {R"("Say \"hi\" \\ ]"="v")", "Say \"hi\" \\ ]    REG_SZ    v"},
      {R"("Exp"=str(2):"%SystemRoot%\\x")",
       "Exp    REG_EXPAND_SZ    %SystemRoot%\\x"},
      {R"("Dw"=dword:0000002a)", "Dw    REG_DWORD    0x2a"},
      {R"("DwLong"=dword:0123456789)", "DwLong    REG_DWORD    0x1234567"},
      {R"("Bin"=hex:00,ff,10,ab,cd)", "Bin    REG_BINARY    00FF10ABCD"},
      {R"("BinOdd"=hex:AB,,cDe,f)", "BinOdd    REG_BINARY    ABCD0E0F"},
      {R"("Multi"=str(7):"one\0two\0three\0")",
       "Multi    REG_MULTI_SZ    one\\0two\\0three"},
      {R"("Gaps"=str(7):"a\0\0b\0\0")", "Gaps    REG_MULTI_SZ    a\\0\\0b\\0"},
      {R"("MultiHex"=hex(7):61,00,00,00,62,00,00,00,00,00)",
       "MultiHex    REG_MULTI_SZ    a\\0b"},
      {R"("ExpHex"=hex(2):25,00,41,00,25,00,00,00)",
       "ExpHex    REG_EXPAND_SZ    %A%"},
      {R"("Qw"=hex(b):9a,78,56,34,12,00,00,00)",
       "Qw    REG_QWORD    0x123456789a"},
      {R"("DwShort"=hex(4):01,02)", "DwShort    REG_DWORD    0102"},
      {R"("BigEndian"=hex(5):01,02,03,04)",
       "BigEndian    REG_DWORD_BIG_ENDIAN    0x1020304"},
      {R"("None"=hex(0):78,00)", "None    REG_NONE    7800"},
      {R"("Odd"=hex(14):aa)", "Odd    REG_UNKNOWN    AA"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(listing(head("win32") + section(kStored, {c.stored})),
              listed(kListed, {c.listed}) + "\n")
        << c.stored;
  }
}

}  // namespace
}  // namespace shgs
