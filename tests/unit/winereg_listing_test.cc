#include "winereg/listing.h"

#include <gtest/gtest.h>

#include <new>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

namespace shgs {
namespace {

constexpr char kServerKey[] =
    "Software\\Orbital Forge Software\\Starhaul Deluxe Game Server";
// The server key as a section line of system.reg writes it, and as the
// listing shows it.
const std::string kStored =
    "Software\\\\Orbital Forge Software\\\\Starhaul Deluxe Game Server";
const std::string kWowStored =
    "Software\\\\Wow6432Node\\\\Orbital Forge Software\\\\Starhaul Deluxe "
    "Game Server";
const std::string kListed = std::string("HKEY_LOCAL_MACHINE\\") + kServerKey;

// The head of a system.reg as Wine writes it.
std::string head(const std::string& arch) {
  return "WINE REGISTRY Version 2\n;; All keys relative to "
         "REGISTRY\\\\Machine\n\n#arch=" +
         arch + "\n";
}

// A section of value "lines" for the key "storedPath" (backslashes doubled).
std::string section(const std::string& storedPath,
                    const std::vector<std::string>& lines) {
  std::string text = "\n[" + storedPath + "] 1733500000\n#time=1db47c4e1f\n";
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

struct Listing {
  ListingResult result;
  std::string text;
};

// "lineLimit" 0 reads through the program's own buffer.
Listing listKey(const std::string& systemReg,
                const std::string& keyPath = kServerKey,
                std::size_t lineLimit = 0) {
  std::ostringstream out;
  const ListingResult result =
      writeRegistryListing(systemReg, keyPath, out,
                           lineLimit == 0 ? kSystemRegLineLimit : lineLimit);
  return {result, out.str()};
}

std::string listing(const std::string& systemReg,
                    const std::string& keyPath = kServerKey) {
  return listKey(systemReg, keyPath).text;
}

// One listed key with its value lines, as the listing prints it.
std::string listed(const std::string& path,
                   const std::vector<std::string>& values = {}) {
  std::string text = "\n" + path + "\n";
  for (const std::string& value : values) text += "    " + value + "\n";
  return text;
}

std::string withCrLf(const std::string& text) {
  std::string converted;
  for (char c : text) {
    converted += c == '\n' ? std::string("\r\n") : std::string(1, c);
  }
  return converted;
}

TEST(WineRegistry, ListsTheKeyTreeOfTheRightView) {
  const std::string root = kListed, games = kListed + "\\Games";
  const std::string continued = head("win32") + section(kStored, {}) +
                                "\"Long\"=hex:01,02,\\\n  03,04,\\\n  05\n"
                                "\"After\"=\"x\"\n";
  const std::string joined = listed(
      root, {"Long    REG_BINARY    0102030405", "After    REG_SZ    x"});
  const std::string plain = section(kStored, {"\"Root\"=\"plain\""});
  const std::string wow = section(kWowStored, {"\"Root\"=\"wow\""});
  const std::string asPlain = listed(root, {"Root    REG_SZ    plain"});
  const std::string asWow = listed(root, {"Root    REG_SZ    wow"});
  const std::string lower =
      "SOFTWARE\\\\orbital forge software\\\\STARHAUL deluxe game server";
  const struct {
    const char* name;
    std::string file;
    std::string expected;  // without the closing empty line
    std::string keyPath = kServerKey;
  } cases[] = {
      {"file order; keys without values implied",
       head("win32") + section("Software\\\\Microsoft", {"\"A\"=\"1\""}) +
           section(kStored, {"\"Port\"=\"23\"", "\"ServerRoot\"=\"C:\\\\S\""}) +
           section(kStored + "\\\\Games\\\\A", {"\"Title\"=\"First Game\""}) +
           section(kStored + "\\\\Games\\\\B", {"\"Active\"=\"T\""}) +
           section("Software\\\\Wine", {"\"Version\"=\"8.0\""}),
       listed(root, {"Port    REG_SZ    23", "ServerRoot    REG_SZ    C:\\S"}) +
           listed(games) +
           listed(games + "\\A", {"Title    REG_SZ    First Game"}) +
           listed(games + "\\B", {"Active    REG_SZ    T"})},
      {"continued hex, LF", continued, joined},
      {"continued hex, CRLF", withCrLf(continued), joined},
      {"no values", head("win32") + section(kStored, {}), listed(root)},
      {"no line end at the end",
       head("win32") + section(kStored, {}) + "\"Port\"=\"23\"",
       listed(root, {"Port    REG_SZ    23"})},
      {"continued hex cut by the end, CRLF",
       head("win32") + section(kStored, {}) + "\"Long\"=hex:01,\\\r\n  02,\\\r",
       listed(root, {"Long    REG_BINARY    0102"})},
      {"win64 prefers wow", head("win64") + plain + wow, asWow},
      {"win64, wow listed first", head("win64") + wow + plain, asWow},
      {"win64 without wow", head("win64") + plain, asPlain},
      {"win32 ignores wow", head("win32") + plain + wow, asPlain},
      {"win64, wow holds only a subkey",
       head("win64") + plain +
           section(kWowStored + "\\\\Games\\\\A", {"\"Title\"=\"w\""}),
       listed(root) + listed(games) +
           listed(games + "\\A", {"Title    REG_SZ    w"})},
      // Names match whatever their case; the listing shows them as asked for
      // down to the key, then as stored.
      {"case",
       head("win32") + section(lower, {"\"Port\"=\"23\""}) +
           section(lower + "\\\\gAmes\\\\a", {"\"Title\"=\"t\""}),
       listed("HKEY_LOCAL_MACHINE\\software\\ORBITAL Forge Software\\starhaul "
              "deluxe GAME server",
              {"Port    REG_SZ    23"}) +
           listed("HKEY_LOCAL_MACHINE\\software\\ORBITAL Forge "
                  "Software\\starhaul deluxe GAME server\\gAmes") +
           listed("HKEY_LOCAL_MACHINE\\software\\ORBITAL Forge "
                  "Software\\starhaul deluxe GAME server\\gAmes\\a",
                  {"Title    REG_SZ    t"}),
       "software\\ORBITAL Forge Software\\starhaul deluxe GAME server"},
      // A separator written as an escape, doubled separators, an escaped
      // letter: each key is reached from outside the key.
      {"escapes in paths",
       head("win32") + section("Software\\\\Wine", {}) +
           section("Software\\x5cOrbital Forge Software\\\\Starhaul Deluxe "
                   "Game Server",
                   {"\"A\"=\"1\""}) +
           section("Software\\\\Wine", {}) +
           section("\\\\Software\\\\\\\\Orbital Forge \\x53oftware\\\\Starhaul "
                   "Deluxe Game Server\\\\Games\\\\\\\\B\\\\",
                   {"\"B\"=\"2\""}),
       listed(root, {"A    REG_SZ    1"}) + listed(games) +
           listed(games + "\\B", {"B    REG_SZ    2"})},
      // Wine never writes this order, but an edited file may hold it.
      {"unsorted",
       head("win32") + section(kStored + "\\\\Games\\\\A", {"\"T\"=\"a\""}) +
           section(kStored + "\\\\Games\\\\a", {"\"B\"=\"b\""}) +
           section(kStored, {"\"Port\"=\"23\""}),
       listed(root) + listed(games) +
           listed(games + "\\A", {"T    REG_SZ    a", "B    REG_SZ    b"}) +
           listed(root, {"Port    REG_SZ    23"})},
      {"damaged lines",
       head("win32") + section(kStored, {"\"Port\"=\"23\""}) + "\n[" + kStored +
           "\\\\Games\\\\B 1733500000\n\"Title\"=\"no closing bracket\"\n" +
           section(kStored + "\\\\Games\\\\C",
                   {"\"Open\"=\"no closing quote", "\"Bad\"=dword:zz",
                    "\"Type\"=hex(zz):01", "\"What\"=float:1.5", "\"Eq\" \"x\"",
                    std::string("\"Nul\"=\"a") + '\0' + "b\"",
                    "\"Good\"=\"kept\""}),
       listed(root, {"Port    REG_SZ    23"}) + listed(games) +
           listed(games + "\\C",
                  {"Nul    REG_SZ    a", "Good    REG_SZ    kept"})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Listing result = listKey(c.file, c.keyPath);
    EXPECT_EQ(result.text, c.expected + "\n");
    EXPECT_EQ(result.result, ListingResult::kListed);
  }
}

TEST(WineRegistry, ListsNothingWithoutTheKey) {
  const std::string files[] = {
      "",
      head("win32"),
      "this is not a registry file\n\"Port\"=\"23\"\n",
      head("win64") + section("Software\\\\Wine", {"\"A\"=\"1\""}),
      head("win64") + section(kStored + "2", {"\"X\"=\"y\""}),
      head("win64") + section(kStored + " Extra\\\\Games", {"\"X\"=\"y\""}),
      head("win64") +
          section("Software\\\\Orbital Forge Software", {"\"X\"=\"y\""}),
      head("win64") + section("Software\\\\Other\\\\" + kStored.substr(10),
                              {"\"X\"=\"y\""}),
      head("win64") + section(kStored.substr(10), {"\"X\"=\"y\""}),
      head("win32") + section(kWowStored, {"\"X\"=\"y\""}),
      head("win32") + section("Software\\\\Wine", {}) +
          section(" [" + kStored, {"\"X\"=\"y\""}),
      head("win32") +
          section("Software\\\\Wine", {"\"X\"=\"a\\n [" + kStored + "]\""}),
  };
  for (const std::string& file : files) {
    const Listing result = listKey(file);
    EXPECT_EQ(result.text, "") << file;
    EXPECT_EQ(result.result, ListingResult::kNoKey) << file;
  }
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

// Takes at most "room" bytes, like a string that cannot grow further.
class FullBuffer final : public std::streambuf {
 public:
  explicit FullBuffer(std::size_t room) : room_(room) {}

 protected:
  int_type overflow(int_type c) override {
    if (room_ == 0) return traits_type::eof();
    --room_;
    return c;
  }

 private:
  std::size_t room_;
};

class NoMemorySource final : public SystemRegSource {
 public:
  std::size_t read(char*, std::size_t) override { throw std::bad_alloc(); }
};

// Memory running out is told, never taken for a shorter listing: an output
// that cannot grow, whether it takes the listing as it comes or held back
// (both views), and memory that cannot be had while reading.
TEST(WineRegistry, TellsWhenMemoryRunsOut) {
  for (const char* arch : {"win32", "win64"}) {
    SCOPED_TRACE(arch);
    FullBuffer full(40);
    std::ostream out(&full);
    EXPECT_EQ(
        writeRegistryListing(head(arch) + section(kStored, {"\"Port\"=\"23\""}),
                             kServerKey, out),
        ListingResult::kOutOfMemory);
  }
  NoMemorySource source;
  std::ostringstream out;
  EXPECT_EQ(writeRegistryListing(source, kServerKey, out),
            ListingResult::kOutOfMemory);
}

// Every line of a listing of any cut of the file is empty, a key path line
// or an indented value.
TEST(WineRegistry, ReadsEveryTruncationOfAFileSafely) {
  const std::string file =
      head("win64") +
      section(kWowStored,
              {"@=\"d\"", "\"Long\"=hex:01,02,\\", "  03",
               "\"Port\"=str(2):\"2\\x00e93\"", "\"D\"=dword:0000002a"}) +
      section(kWowStored + "\\\\Games\\\\A", {"\"Title\"=\"A \\\"game\\\"\""});
  for (std::size_t size = 0; size <= file.size(); ++size) {
    std::istringstream lines(listing(file.substr(0, size)));
    for (std::string line; std::getline(lines, line);) {
      EXPECT_TRUE(line.empty() || line.rfind(kListed, 0) == 0 ||
                  line.rfind("    ", 0) == 0)
          << "cut at " << size << ": " << line;
    }
  }
  EXPECT_NE(listing(file).find("    Title    REG_SZ    A \"game\"\n"),
            std::string::npos);
}

// The listing may not depend on where the stream's buffer ends: the key is
// moved across its edge a byte at a time.
TEST(WineRegistry, ListsTheSameWhereverTheBufferEnds) {
  std::string unrelated;
  for (int i = 0; unrelated.size() < 3900; ++i) {
    unrelated += section("Software\\\\Wine\\\\K" + std::to_string(i),
                         {"\"Name\"=\"text\"", "\"Bin\"=hex:01,\\", "  02"});
  }
  const std::string key = withCrLf(
      section(kStored, {"\"Plain\"=\"p\""}) +
      section(kWowStored, {"@=\"d\"", "\"Long\"=hex:01,02,\\", "  03,04,\\",
                           "  05", "  \"Port\"=\"2002\""}) +
      section(kWowStored + "\\\\Games\\\\A", {"\"Title\"=\"A\""}));
  const std::string expected =
      listed(kListed,
             {"(Default)    REG_SZ    d", "Long    REG_BINARY    0102030405",
              "Port    REG_SZ    2002"}) +
      listed(kListed + "\\Games") +
      listed(kListed + "\\Games\\A", {"Title    REG_SZ    A"}) + "\n";
  for (const std::size_t limit : {std::size_t{128}, std::size_t{0}}) {
    for (std::size_t shift = 0; shift < 300; ++shift) {
      SCOPED_TRACE("limit " + std::to_string(limit) + ", shift " +
                   std::to_string(shift));
      const std::string file =
          head("win64") + unrelated + std::string(shift, '\n') + key;
      EXPECT_EQ(listKey(file, kServerKey, limit).text, expected);
    }
  }
}

// Lines that do not fit the buffer are passed over without being kept; the
// lines after them are read as usual.
TEST(WineRegistry, PassesOverLinesTooLongForTheBuffer) {
  const std::size_t limit = 128;
  const std::string root = kListed, games = kListed + "\\Games";
  const std::string port = "\"Port\"=\"23\"", name = "\"Name\"=\"";
  const std::string portListed = "Port    REG_SZ    23";
  const std::string x300(300, 'x');
  // A line of zeros fits the buffer, two continued lines of them do not.
  const std::string zeros(90, '0');
  const std::string big(2 * kSystemRegLineLimit, 'x');
  const std::string nuls(300, '\0');
  const struct {
    const char* name;
    std::string file;
    std::string expected;  // without the closing empty line
    std::size_t lineLimit = limit;
  } cases[] = {
      {"long line before the key",
       head("win32") + ";" + x300 + "\n" + section(kStored, {port}),
       listed(root, {portListed})},
      {"long line without line end after the key",
       head("win32") + section(kStored, {port}) + ";" + x300,
       listed(root, {portListed})},
      {"long lines with NUL bytes around the key",
       head("win32") + nuls + "\n" +
           section("Software\\\\Wine", {name + nuls + "\""}) +
           section(kStored, {port}) + "[" + nuls,
       listed(root, {portListed})},
      {"blanks take no room",
       head("win32") + std::string(1000, ' ') +
           section("Software\\\\Wine", {}).substr(1) + std::string(1000, ' ') +
           section(kStored, {port}).substr(1),
       listed(root, {portListed})},
      // A line fits with its line end.
      {"value as long as the buffer",
       head("win32") +
           section(kStored, {"\"V\"=\"" + x300.substr(0, 121) + "\"",
                             "\"W\"=\"" + x300.substr(0, 122) + "\"", port}),
       listed(root, {"V    REG_SZ    " + x300.substr(0, 121), portListed})},
      {"long value in the key left out",
       head("win32") + section(kStored, {name + x300 + "\"", port}),
       listed(root, {portListed})},
      {"continued value outgrowing the buffer left out",
       head("win32") + section(kStored, {"\"Bin\"=hex:" + zeros + "\\",
                                         "  " + zeros, port}),
       listed(root, {portListed})},
      {"lines continuing a long value are not values",
       head("win32") +
           section(kStored, {name + x300 + "\\", "\"Forged\"=\"1\"", port}),
       listed(root, {portListed})},
      {"lines continuing a long value are not values, CRLF",
       withCrLf(head("win32") + section(kStored, {name + x300 + "\\",
                                                  "\"Forged\"=\"1\"", port})),
       listed(root, {portListed})},
      {"long header like the key's is outside it",
       head("win32") + section(kStored + "\\\\" + x300, {"\"Forged\"=\"1\""}) +
           section(kStored + "\\\\Games", {port}),
       listed(root) + listed(games, {portListed})},
      {"long header like the 32-bit key's is outside it",
       head("win64") + section(kStored, {port}) +
           section(kWowStored + "\\\\" + x300, {"\"Forged\"=\"1\""}),
       listed(root, {portListed})},
      {"lines longer than the program's buffer",
       head("win64") + big + "\n" + section(kWowStored, {port}) + "\"" + big,
       listed(root, {portListed}), 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Listing result = listKey(c.file, kServerKey, c.lineLimit);
    EXPECT_EQ(result.text, c.expected + "\n");
    EXPECT_EQ(result.result, ListingResult::kListed);
  }
}

// The lines of implied keys are bounded by the size of the key's own lines,
// however much else the file holds.
TEST(WineRegistry, BoundsTheLinesOfImpliedKeysForVeryDeepPaths) {
  std::string deep = kStored;
  for (int i = 0; i < 20000; ++i) deep += "\\\\k";
  const std::string key = section(deep, {"\"V\"=\"1\""});
  const std::string unrelated = section(
      "Software\\\\Wine", {"\"Pad\"=\"" + std::string(100000, 'x') + "\""});
  std::string file = head("win32");
  for (int i = 0; i < 10; ++i) file += unrelated;
  file += key;
  const std::string text = listing(file);
  EXPECT_LT(text.size(), 3 * key.size() + 200 * 1024);
  // The key itself is listed whole, with its value.
  EXPECT_NE(text.find("\\k\\k\n    V    REG_SZ    1\n"), std::string::npos);
}

}  // namespace
}  // namespace shgs
