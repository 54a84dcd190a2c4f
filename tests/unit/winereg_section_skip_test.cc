#include <gtest/gtest.h>

#include <string>

#include "winereg/key_paths.h"
#include "winereg/section_skip.h"

namespace shgs::winereg {
namespace {

// A section line is passed over only when its start surely names another
// key, and never when the full parse would find it at or below the root.
TEST(WineregSectionSkip, PassesOverOnlyLinesThatSurelyNameAnotherKey) {
  const KeyPath root = splitKeyPath(
      "Software\\Orbital Forge Software\\Starhaul Deluxe Game Server");
  const std::string stored =
      "[Software\\\\Orbital Forge Software\\\\Starhaul Deluxe Game Server";
  const struct {
    std::string text;  // the start of a section line
    bool surelyOutside;
  } cases[] = {
      {"[Software\\\\Wine] 1733500000", true},
      {"[Softwarf", true},
      {"[Software\\\\Orbital Forge Softwarez] 1", true},
      {"[Software\\\\Caf\xc3\xa9] 1", true},
      {stored + "] 1733500000", false},
      {stored + "\\\\Games\\\\A] 1", false},
      {stored + "2] 1", false},
      {"[SOFTWARE\\\\orbital forge SOFTWARE\\\\starhaul deluxe game server]",
       false},
      {"[Soft", false},
      {"[Software] 1", false},
      {"[Software\\\\\xc3\xa9] 1", false},
      // An escape may stand for the character the spelling holds.
      {"[Software\\x5cOrbital Forge Software\\\\Starhaul Deluxe Game Server]",
       false},
      {"[\\\\Software\\\\Orbital Forge Software] 1", false},
      {"[Software\\\\Orbital Forge \\x53oftware] 1", false},
  };
  const RootSpelling spelling(root);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(spelling.surelyOutside(c.text), c.surelyOutside);
    KeyPath path;
    if (c.surelyOutside && parseSectionLine(c.text, &path)) {
      EXPECT_FALSE(isWithin(path, root));
    }
  }
  // A name that only decoding can match leaves every line to the parse.
  EXPECT_FALSE(RootSpelling(splitKeyPath("Software\\Caf\xc3\xa9"))
                   .surelyOutside("[Software\\\\Wine] 1"));
}

}  // namespace
}  // namespace shgs::winereg
