#include <gtest/gtest.h>

#include <filesystem>
#include <new>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "support/system_reg_text.h"
#include "support/test_support.h"
#include "winereg/listing.h"

namespace shgs {
namespace {

namespace fs = std::filesystem;
using testing_support::head;
using testing_support::kServerKey;
using testing_support::kStored;
using testing_support::listed;
using testing_support::Listing;
using testing_support::listing;
using testing_support::listKey;
using testing_support::readFile;
using testing_support::section;

// Each NAME.reg of tests/testdata/winereg lists as NAME.listing holds: the
// server's key tree, from the view the prefix's programs read, whatever the
// file's line ends, order or damage; or, where that file is empty, nothing,
// the key not found.
TEST(WineregListing, ListsTheKeyTreeOfTheRightView) {
  int files = 0;
  for (const auto& entry :
       fs::directory_iterator(SHGS_TESTDATA_DIR "/winereg")) {
    if (entry.path().extension() != ".reg") continue;
    ++files;
    SCOPED_TRACE(entry.path().filename().string());
    const fs::path expected =
        fs::path(entry.path()).replace_extension(".listing");
    ASSERT_TRUE(fs::exists(expected));
    const Listing result = listKey(readFile(entry.path()));
    EXPECT_EQ(result.text, readFile(expected));
    EXPECT_EQ(result.result, result.text.empty() ? ListingResult::kNoKey
                                                 : ListingResult::kListed);
  }
  EXPECT_GT(files, 0);
}

// Names match whatever their case; the listing shows them as asked for down
// to the key, then as stored.
TEST(WineregListing, ShowsPathsAsAskedForDownToTheKey) {
  const std::string stored =
      "SOFTWARE\\\\orbital forge software\\\\STARHAUL deluxe game server";
  const std::string asked =
      "software\\ORBITAL Forge Software\\starhaul deluxe GAME server";
  const std::string root = "HKEY_LOCAL_MACHINE\\" + asked;
  EXPECT_EQ(listing(head("win32") + section(stored, {"\"Port\"=\"23\""}) +
                        section(stored + "\\\\gAmes\\\\a", {"\"Title\"=\"t\""}),
                    asked),
            listed(root, {"Port    REG_SZ    23"}) + listed(root + "\\gAmes") +
                listed(root + "\\gAmes\\a", {"Title    REG_SZ    t"}) + "\n");
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
