#include "platform/wine_registry.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace shgs {
namespace {

constexpr char kServerKey[] =
    "Software\\Orbital Forge Software\\Starhaul Deluxe Game Server";
// The server key as system.reg writes it in a section line.
constexpr char kStoredKey[] =
    "Software\\\\Orbital Forge Software\\\\Starhaul Deluxe Game Server";
constexpr char kListedKey[] =
    "HKEY_LOCAL_MACHINE\\Software\\Orbital Forge Software\\Starhaul Deluxe "
    "Game Server";

// The head of a system.reg as Wine writes it.
std::string fileHead(const std::string& arch) {
  return "WINE REGISTRY Version 2\n"
         ";; All keys relative to REGISTRY\\\\Machine\n"
         "\n"
         "#arch=" +
         arch + "\n";
}

// A section of "lines" for the key "storedPath" (backslashes doubled).
std::string section(const std::string& storedPath,
                    const std::vector<std::string>& lines) {
  std::string text =
      "\n[" + storedPath + "] 1733500000\n#time=1db47c4e1f0a9f2\n";
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

std::string listing(const std::string& systemReg,
                    const std::string& keyPath = kServerKey) {
  std::ostringstream out;
  writeRegistryListing(systemReg, keyPath, out);
  return out.str();
}

// One listed key with its value lines, as the listing prints it.
std::string listedKey(const std::string& path,
                      const std::vector<std::string>& values) {
  std::string text = "\n" + path + "\n";
  for (const std::string& value : values) text += "    " + value + "\n";
  return text;
}

TEST(WineRegistry, ListsTheKeyAndItsSubkeysInFileOrder) {
  const std::string file =
      fileHead("win32") + section("Software\\\\Microsoft", {"\"A\"=\"1\""}) +
      section(kStoredKey, {"\"IPAddr\"=\"10.0.0.5\"", "\"Port\"=\"23\"",
                           "\"ServerRoot\"=\"C:\\\\SHGS\""}) +
      section(std::string(kStoredKey) + "\\\\Games\\\\A",
              {"\"Active\"=\"T\"", "\"Title\"=\"First Game\""}) +
      section(std::string(kStoredKey) + "\\\\Games\\\\B",
              {"\"Directory\"=\"C:\\\\SHGS\\\\GAMEB\""}) +
      section("Software\\\\Wine", {"\"Version\"=\"8.0\""});
  const std::string games = std::string(kListedKey) + "\\Games";
  EXPECT_EQ(
      listing(file),
      listedKey(kListedKey,
                {"IPAddr    REG_SZ    10.0.0.5", "Port    REG_SZ    23",
                 "ServerRoot    REG_SZ    C:\\SHGS"}) +
          listedKey(games, {}) +
          listedKey(games + "\\A", {"Active    REG_SZ    T",
                                    "Title    REG_SZ    First Game"}) +
          listedKey(games + "\\B", {"Directory    REG_SZ    C:\\SHGS\\GAMEB"}) +
          "\n");
}

TEST(WineRegistry, ShowsEachValueKindAsRegQueryDoes) {
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
      {R"("Pad"="\x00e90")",
       "Pad    REG_SZ    \xc3\xa9"
       "0"},
      {R"("Lone"="\xd834!")", "Lone    REG_SZ    \xef\xbf\xbd!"},
      {R"("NotHex"="\xg")", "NotHex    REG_SZ    xg"},
      {R"("Raw"="é")", "Raw    REG_SZ    é"},
      {R"("Nul"="h\0i")", "Nul    REG_SZ    h"},
      {R"("Oct"="\0000")", "Oct    REG_SZ    "},
      {R"("Empty"="")", "Empty    REG_SZ    "},
      {R"(@="default text")", "(Default)    REG_SZ    default text"},
      {R"(""="unnamed")", "(Default)    REG_SZ    unnamed"},
      {R"("Say \"hi\" \\ ]"="v")", "Say \"hi\" \\ ]    REG_SZ    v"},
      {R"("Exp"=str(2):"%SystemRoot%\\x")",
       "Exp    REG_EXPAND_SZ    %SystemRoot%\\x"},
      {R"("Dw"=dword:0000002a)", "Dw    REG_DWORD    0x2a"},
      {R"("Max"=dword:ffffffff)", "Max    REG_DWORD    0xffffffff"},
      {R"("Bin"=hex:00,ff,10,ab,cd)", "Bin    REG_BINARY    00FF10ABCD"},
      {R"("NoBytes"=hex:)", "NoBytes    REG_BINARY    "},
      {R"("Multi"=str(7):"one\0two\0three\0")",
       "Multi    REG_MULTI_SZ    one\\0two\\0three"},
      {R"("Gaps"=str(7):"a\0\0b\0\0")", "Gaps    REG_MULTI_SZ    a\\0\\0b\\0"},
      {R"("Unended"=str(7):"a\0b")", "Unended    REG_MULTI_SZ    a\\0b"},
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
    SCOPED_TRACE(c.stored);
    EXPECT_EQ(listing(fileHead("win32") + section(kStoredKey, {c.stored})),
              listedKey(kListedKey, {c.listed}) + "\n");
  }
}

TEST(WineRegistry, JoinsHexValuesContinuedOnFollowingLines) {
  for (const char* lineEnd : {"\n", "\r\n"}) {
    SCOPED_TRACE(lineEnd[0] == '\r' ? "CRLF" : "LF");
    std::string file = fileHead("win32") + section(kStoredKey, {}) +
                       "\"Long\"=hex:01,02,\\\n  03,04,\\\n  05\n"
                       "\"After\"=\"x\"\n";
    std::string withLineEnds;
    for (char c : file) withLineEnds += c == '\n' ? lineEnd : std::string(1, c);
    EXPECT_EQ(listing(withLineEnds),
              listedKey(kListedKey, {"Long    REG_BINARY    0102030405",
                                     "After    REG_SZ    x"}) +
                  "\n");
  }
}

TEST(WineRegistry, PrefersTheThirtyTwoBitViewOnlyOnSixtyFourBitPrefixes) {
  const std::string plain = section(kStoredKey, {"\"Root\"=\"plain\""});
  const std::string wow = section(
      "Software\\\\Wow6432Node\\\\Orbital Forge Software\\\\Starhaul Deluxe "
      "Game Server",
      {"\"Root\"=\"wow\""});
  const std::string wowSubkeyOnly = section(
      "Software\\\\Wow6432Node\\\\Orbital Forge Software\\\\Starhaul Deluxe "
      "Game Server\\\\Games\\\\A",
      {"\"Title\"=\"wow game\""});
  const struct {
    std::string name, file, expected;
  } cases[] = {
      {"win64 with both", fileHead("win64") + plain + wow,
       listedKey(kListedKey, {"Root    REG_SZ    wow"})},
      {"win64, wow listed first", fileHead("win64") + wow + plain,
       listedKey(kListedKey, {"Root    REG_SZ    wow"})},
      {"win64 without wow", fileHead("win64") + plain,
       listedKey(kListedKey, {"Root    REG_SZ    plain"})},
      {"win32 with both", fileHead("win32") + plain + wow,
       listedKey(kListedKey, {"Root    REG_SZ    plain"})},
      {"win64, wow holds only a subkey",
       fileHead("win64") + plain + wowSubkeyOnly,
       listedKey(kListedKey, {}) +
           listedKey(std::string(kListedKey) + "\\Games", {}) +
           listedKey(std::string(kListedKey) + "\\Games\\A",
                     {"Title    REG_SZ    wow game"})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(listing(c.file), c.expected + "\n");
  }
}

TEST(WineRegistry, MatchesKeysIgnoringCaseAndPrintsStoredNames) {
  const std::string file =
      fileHead("win32") +
      section(
          "SOFTWARE\\\\orbital forge software\\\\STARHAUL deluxe game "
          "server",
          {"\"Port\"=\"23\""}) +
      section(
          "SOFTWARE\\\\orbital forge software\\\\STARHAUL deluxe game "
          "server\\\\gAmes\\\\a",
          {"\"Title\"=\"t\""});
  const std::string requested =
      "software\\ORBITAL Forge Software\\starhaul "
      "deluxe GAME server";
  const std::string root = "HKEY_LOCAL_MACHINE\\" + requested;
  EXPECT_EQ(listing(file, requested),
            listedKey(root, {"Port    REG_SZ    23"}) +
                listedKey(root + "\\gAmes", {}) +
                listedKey(root + "\\gAmes\\a", {"Title    REG_SZ    t"}) +
                "\n");
}

// Wine never writes these orders, but an edited file may hold them.
TEST(WineRegistry, KeepsValuesUnderTheirOwnKeyInUnsortedFiles) {
  const std::string games = std::string(kStoredKey) + "\\\\Games";
  const std::string listedGames = std::string(kListedKey) + "\\Games";
  const std::string file = fileHead("win32") +
                           section(games + "\\\\A", {"\"Title\"=\"a\""}) +
                           section(games + "\\\\a", {"\"Active\"=\"T\""}) +
                           section(kStoredKey, {"\"Port\"=\"23\""});
  EXPECT_EQ(listing(file),
            listedKey(kListedKey, {}) + listedKey(listedGames, {}) +
                listedKey(listedGames + "\\A",
                          {"Title    REG_SZ    a", "Active    REG_SZ    T"}) +
                listedKey(kListedKey, {"Port    REG_SZ    23"}) + "\n");
}

TEST(WineRegistry, LeavesOutKeysOutsideTheRequestedTree) {
  const std::vector<std::string> outside = {
      "Software\\\\Orbital Forge Software\\\\Starhaul Deluxe Game Server2",
      "Software\\\\Orbital Forge Software\\\\Starhaul Deluxe Game Server "
      "Extra\\\\Games\\\\A",
      "Software\\\\Orbital Forge Software",
      "Software\\\\Other\\\\Orbital Forge Software\\\\Starhaul Deluxe Game "
      "Server",
      "Orbital Forge Software\\\\Starhaul Deluxe Game Server",
  };
  for (const std::string& path : outside) {
    SCOPED_TRACE(path);
    EXPECT_EQ(listing(fileHead("win64") + section(path, {"\"X\"=\"y\""})), "");
  }
}

TEST(WineRegistry, GivesAnEmptyListingWithoutTheKey) {
  const std::string cases[] = {
      "",
      fileHead("win32"),
      fileHead("win64") + section("Software\\\\Wine", {"\"A\"=\"1\""}),
      "this is not a registry file\n\"Port\"=\"23\"\n",
  };
  for (const std::string& file : cases) {
    SCOPED_TRACE(file);
    EXPECT_EQ(listing(file), "");
  }
}

TEST(WineRegistry, SkipsDamagedLinesAndNeverCreditsThemToAnotherKey) {
  const std::string file =
      fileHead("win32") + section(kStoredKey, {"\"Port\"=\"23\""}) +
      // The closing bracket of this section line is missing.
      "\n[" + kStoredKey + "\\\\Games\\\\B 1733500000\n" +
      "\"Title\"=\"lost\"\n" +
      section(std::string(kStoredKey) + "\\\\Games\\\\C",
              {"\"Open\"=\"no closing quote", "\"Bad\"=dword:zz",
               "\"Type\"=hex(zz):01", "\"What\"=float:1.5", "\"Eq\" \"x\"",
               std::string("\"Nul\"=\"a") + '\0' + "b\"", "\"Good\"=\"kept\""});
  const std::string games = std::string(kListedKey) + "\\Games";
  EXPECT_EQ(listing(file),
            listedKey(kListedKey, {"Port    REG_SZ    23"}) +
                listedKey(games, {}) +
                listedKey(games + "\\C",
                          {"Nul    REG_SZ    a", "Good    REG_SZ    kept"}) +
                "\n");
}

// Every line of a listing is empty, a key path line or an indented value.
void expectListingShape(const std::string& text) {
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    const bool keyLine = line.rfind(kListedKey, 0) == 0;
    const bool valueLine = line.rfind("    ", 0) == 0;
    EXPECT_TRUE(line.empty() || keyLine || valueLine) << line;
  }
}

TEST(WineRegistry, ReadsEveryTruncationOfAFileSafely) {
  const std::string file =
      fileHead("win64") +
      section(std::string("Software\\\\Wow6432Node\\\\") +
                  "Orbital Forge Software\\\\Starhaul Deluxe Game Server",
              {"@=\"d\"", "\"Long\"=hex:01,02,\\", "  03",
               "\"Port\"=str(2):\"2\\x00e93\"", "\"D\"=dword:0000002a"}) +
      section(std::string("Software\\\\Wow6432Node\\\\") +
                  "Orbital Forge Software\\\\Starhaul Deluxe Game "
                  "Server\\\\Games\\\\A",
              {"\"Title\"=\"A \\\"game\\\"\""});
  for (std::size_t size = 0; size <= file.size(); ++size) {
    SCOPED_TRACE(size);
    expectListingShape(listing(file.substr(0, size)));
  }
  EXPECT_NE(listing(file).find("    Title    REG_SZ    A \"game\"\n"),
            std::string::npos);
}

TEST(WineRegistry, FindsTheKeyBehindTenMegabytesOfOtherKeys) {
  std::string file = fileHead("win32");
  const std::string filler =
      section("Software\\\\Filler\\\\Key",
              {"\"Data\"=hex:" + std::string(3000, 'a') + ",\\", "  00"});
  while (file.size() < 10 * 1024 * 1024) file += filler;
  file += section(kStoredKey, {"\"Port\"=\"23\""});
  EXPECT_EQ(listing(file),
            listedKey(kListedKey, {"Port    REG_SZ    23"}) + "\n");
}

TEST(WineRegistry, BoundsTheLinesOfImpliedKeysForVeryDeepPaths) {
  std::string deep = kStoredKey;
  for (int i = 0; i < 20000; ++i) deep += "\\\\k";
  const std::string file = fileHead("win32") + section(deep, {"\"V\"=\"1\""});
  const std::string text = listing(file);
  EXPECT_LT(text.size(), 3 * file.size() + 200 * 1024);
  // The key itself is listed whole, with its value.
  EXPECT_NE(text.find("\\k\\k\n    V    REG_SZ    1\n"), std::string::npos);
}

}  // namespace
}  // namespace shgs
