#include <gtest/gtest.h>

#include <cstddef>
#include <sstream>
#include <string>

#include "support/system_reg_text.h"
#include "winereg/listing.h"

// The lines of system.reg as they are read (winereg/lines), seen through the
// listing.

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

// Every line of a listing of any cut of the file is empty, a key path line
// or an indented value.
TEST(WineregLines, ReadsEveryTruncationOfAFileSafely) {
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
TEST(WineregLines, ListsTheSameWhereverTheBufferEnds) {
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
TEST(WineregLines, PassesOverLinesTooLongForTheBuffer) {
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

}  // namespace
}  // namespace shgs
