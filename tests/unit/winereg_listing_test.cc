#include <gtest/gtest.h>

#include <new>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "support/system_reg_text.h"
#include "winereg/listing.h"

namespace shgs {
namespace {

using testing_support::head;
using testing_support::kListed;
using testing_support::kServerKey;
using testing_support::kStored;
using testing_support::kWowStored;
using testing_support::listed;
using testing_support::Listing;
using testing_support::listing;
using testing_support::listKey;
using testing_support::section;
using testing_support::withCrLf;

TEST(WineregListing, ListsTheKeyTreeOfTheRightView) {
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

TEST(WineregListing, ListsNothingWithoutTheKey) {
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
TEST(WineregListing, TellsWhenMemoryRunsOut) {
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

// The lines of implied keys are bounded by the size of the key's own lines,
// however much else the file holds.
TEST(WineregListing, BoundsTheLinesOfImpliedKeysForVeryDeepPaths) {
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
