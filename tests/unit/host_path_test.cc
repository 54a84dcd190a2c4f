#include "platform/host_path.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/scoped_process_state.h"
#include "support/test_support.h"

namespace shgs {
namespace {

using testing_support::makeDirectories;
using testing_support::ScopedWorkingDirectory;
using testing_support::TempDir;
using testing_support::writeFile;

struct Case {
  const char* windowsPath;
  const char* expected;
};

// A Wine prefix with a server installed on drive C.
class HostPathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    makeDirectories(prefix_ / "dosdevices");
    std::filesystem::create_directory_symlink("../drive_c",
                                              prefix_ / "dosdevices/c:");
    makeDirectories(prefix_ / "drive_c/SHGS/GAME");
    makeDirectories(prefix_ / "drive_c/SHGS/Games/A");
    makeDirectories(prefix_ / "drive_c/SHGS/DescFile");
    makeDirectories(prefix_ / "drive_c/Dup");
    writeFile(prefix_ / "drive_c/SHGS/GAME/shglob.dat", "global");
    writeFile(prefix_ / "drive_c/SHGS/Games/A/SHCFIG.DAT", "config");
    writeFile(prefix_ / "drive_c/SHGS/DescFile/Desc One.TXT", "text");
    for (const char* name : {"abc", "Abc", "ABC"}) {
      writeFile(prefix_ / (std::string("drive_c/Dup/") + name), name);
    }
  }

  void expectMapped(const Case& c, const std::string& expectedBase) {
    SCOPED_TRACE(c.windowsPath);
    EXPECT_EQ(mapWindowsPath(c.windowsPath, prefix_.path()),
              expectedBase + c.expected);
  }

  TempDir prefix_;
};

// A component that does not exist as written takes the first entry in
// sorted order that differs only in case; one that matches nothing is kept.
TEST_F(HostPathTest, MapsDrivePathsIntoThePrefixIgnoringCase) {
  const Case cases[] = {
      {"C:\\SHGS\\GAME\\shglob.dat", "c:/SHGS/GAME/shglob.dat"},
      {"C:\\shgs\\game\\SHGLOB.DAT", "c:/SHGS/GAME/shglob.dat"},
      {"c:\\SHGS\\Games\\A\\shcfig.dat", "c:/SHGS/Games/A/SHCFIG.DAT"},
      {"C:\\shgs\\descfile\\desc one.txt", "c:/SHGS/DescFile/Desc One.TXT"},
      {"C:/SHGS/GAME/shglob.dat", "c:/SHGS/GAME/shglob.dat"},
      {"C:\\SHGS/games\\a/", "c:/SHGS/Games/A"},
      {"C:\\\\SHGS\\\\\\GAME", "c:/SHGS/GAME"},
      {"C:\\SHGS\\.\\GAME\\..\\games\\a", "c:/SHGS/Games/A"},
      {"C:\\..\\..\\SHGS", "c:/SHGS"},
      {"C:", "c:"},
      {"C:\\", "c:"},
      {"C:shgs", "c:/SHGS"},
      {"C:\\Dup\\abc", "c:/Dup/abc"},
      {"C:\\Dup\\Abc", "c:/Dup/Abc"},
      {"C:\\DUP\\aBc", "c:/Dup/ABC"},
      {"C:\\SHGS\\NoSuch\\shglob.dat", "c:/SHGS/NoSuch/shglob.dat"},
      {"C:\\SHGS\\GAME\\shglob.dat\\more", "c:/SHGS/GAME/shglob.dat/more"},
      {"Z:\\SHGS", "z:/SHGS"},
  };
  for (const Case& c : cases) expectMapped(c, prefix_.path() + "/dosdevices/");
}

TEST_F(HostPathTest, MapsPathsWithoutDriveAgainstTheWorkingDirectory) {
  const ScopedWorkingDirectory inDriveC(prefix_ / "drive_c");
  ASSERT_TRUE(inDriveC.entered());
  const Case cases[] = {
      {"shgs\\game", "SHGS/GAME"},
      {"SHGS\\Games\\..\\game\\SHGLOB.DAT", "SHGS/GAME/shglob.dat"},
      {"..\\DRIVE_C\\shgs", "../drive_c/SHGS"},
      {"..\\..\\x", "../../x"},
      {".\\Missing\\file", "Missing/file"},
      {"shgs\\..", "."},
      {".", "."},
      {"", ""},
  };
  for (const Case& c : cases) expectMapped(c, "");
}

// One backslash without a drive is the root of drive C; a slash is the
// host's own root.
TEST_F(HostPathTest, MapsRootedPathsOntoDriveCOrTheHostRoot) {
  const std::string climbing = prefix_.path() + "/drive_c/SHGS/../../drive_c";
  const Case cases[] = {
      {"\\shgs\\GAME\\", "/dosdevices/c:/SHGS/GAME"},
      {"\\..\\..", "/dosdevices/c:"},
      {climbing.c_str(), "/drive_c"},
  };
  for (const Case& c : cases) expectMapped(c, prefix_.path());
  EXPECT_EQ(mapWindowsPath("/", prefix_.path()), "/");
}

// Windows ignores trailing dots and blanks in names; an entry that exists
// as written still wins.
TEST_F(HostPathTest, FindsNamesWithoutTheirTrailingDotsAndBlanks) {
  makeDirectories(prefix_ / "drive_c/Dots.");
  const Case cases[] = {
      {"C:\\SHGS.\\game. .\\shglob.dat ", "c:/SHGS/GAME/shglob.dat"},
      {"C:\\Dots.", "c:/Dots."},
      {"C:\\SHGS\\...", "c:/SHGS/..."},
  };
  for (const Case& c : cases) expectMapped(c, prefix_.path() + "/dosdevices/");
}

}  // namespace
}  // namespace shgs
