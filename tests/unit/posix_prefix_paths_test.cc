#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/posix/prefix_paths.h"
#include "support/test_support.h"

namespace shgs {
namespace {

using testing_support::makeDirectories;
using testing_support::TempDir;
using testing_support::writeFile;

struct Case {
  const char* windowsPath;
  const char* expected;
};

// A Wine prefix with a server installed on drive C.
class PrefixPathsTest : public ::testing::Test {
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

  // The host path of the folder "windowsPath" names, or of the entry its
  // last name denotes in the folder before it; failing both, why the folder
  // is missing.
  std::string mapped(const std::string& windowsPath,
                     const HostFolderPtr& base = nullptr) {
    std::string why;
    if (HostFolderPtr folder = paths_.findFolder(windowsPath, base, &why)) {
      return folder->hostPath();
    }
    const std::size_t last = windowsPath.find_last_of("\\/");
    const std::string parent = windowsPath.substr(0, last);
    const HostFolderPtr folder = paths_.findFolder(parent, base, &why);
    if (last == std::string::npos || folder == nullptr) return "missing " + why;
    return folder->pathOf(findEntry(*folder, windowsPath.substr(last + 1)));
  }

  void expectMapped(const Case& c, const std::string& expectedBase,
                    const HostFolderPtr& base = nullptr) {
    SCOPED_TRACE(c.windowsPath);
    std::string expected = c.expected;
    const std::size_t mark = expected.find('@');
    if (mark != std::string::npos) expected.replace(mark, 1, expectedBase);
    EXPECT_EQ(mapped(c.windowsPath, base), expected);
  }

  TempDir prefix_;
  PrefixPaths paths_{prefix_.path()};
};

// A name that does not exist as written takes the first entry in sorted
// order that differs only in case. Drive C is named as its link leads.
TEST_F(PrefixPathsTest, MapsDrivePathsIntoThePrefixIgnoringCase) {
  const Case cases[] = {
      {"C:\\SHGS\\GAME\\shglob.dat", "@/SHGS/GAME/shglob.dat"},
      {"C:\\shgs\\game\\SHGLOB.DAT", "@/SHGS/GAME/shglob.dat"},
      {"c:\\SHGS\\Games\\A\\shcfig.dat", "@/SHGS/Games/A/SHCFIG.DAT"},
      {"C:\\shgs\\descfile\\desc one.txt", "@/SHGS/DescFile/Desc One.TXT"},
      {"C:/SHGS/GAME/shglob.dat", "@/SHGS/GAME/shglob.dat"},
      {"C:\\SHGS/games\\a/", "@/SHGS/Games/A"},
      {"C:\\\\SHGS\\\\\\GAME", "@/SHGS/GAME"},
      {"C:\\SHGS\\.\\GAME\\..\\games\\a", "@/SHGS/Games/A"},
      {"C:\\..\\..\\SHGS", "@/SHGS"},
      {"C:", "@"},
      {"C:\\", "@"},
      {"C:shgs", "@/SHGS"},
      {"C:\\Dup\\abc", "@/Dup/abc"},
      {"C:\\Dup\\Abc", "@/Dup/Abc"},
      {"C:\\DUP\\aBc", "@/Dup/ABC"},
      {"C:\\SHGS\\NoSuch\\shglob.dat",
       "missing @/SHGS/NoSuch: No such file or directory"},
      {"C:\\SHGS\\GAME\\shglob.dat\\more",
       "missing @/SHGS/GAME/shglob.dat: Not a directory"},
  };
  for (const Case& c : cases) expectMapped(c, prefix_.path() + "/drive_c");
  EXPECT_EQ(mapped("Z:\\SHGS"),
            "missing " + prefix_.path() +
                "/dosdevices/z:: No such file or directory");
}

TEST_F(PrefixPathsTest, MapsPathsWithoutDriveFromTheFolderGiven) {
  const HostFolderPtr driveC =
      HostFolder::open(nullptr, prefix_.path() + "/drive_c");
  ASSERT_NE(driveC, nullptr);
  const Case cases[] = {
      {"shgs\\game", "@/SHGS/GAME"},
      {"SHGS\\Games\\..\\game\\SHGLOB.DAT", "@/SHGS/GAME/shglob.dat"},
      {"..\\DRIVE_C\\shgs", "@/../drive_c/SHGS"},
      {".\\Missing\\file", "missing @/Missing: No such file or directory"},
      {"shgs\\..", "@"},
      {".", "@"},
      {"", "missing \"\": No such file or directory"},
  };
  for (const Case& c : cases) expectMapped(c, driveC->hostPath(), driveC);
}

// One backslash without a drive is the root of drive C; a slash, or two
// backslashes (a network share), start at the host's own root.
TEST_F(PrefixPathsTest, MapsRootedPathsOntoDriveCOrTheHostRoot) {
  const std::string climbing = prefix_.path() + "/drive_c/SHGS/../../drive_c";
  const Case cases[] = {
      {"\\shgs\\GAME\\", "@/drive_c/SHGS/GAME"},
      {"\\..\\..", "@/drive_c"},
      {climbing.c_str(), "@/drive_c"},
      {"/", "/"},
  };
  for (const Case& c : cases) expectMapped(c, prefix_.path());
  EXPECT_EQ(mapped("\\\\server\\share"),
            "missing /server: No such file or directory");
}

// Windows ignores trailing dots and blanks in names; an entry that exists
// as written still wins.
TEST_F(PrefixPathsTest, FindsNamesWithoutTheirTrailingDotsAndBlanks) {
  makeDirectories(prefix_ / "drive_c/Dots.");
  const Case cases[] = {
      {"C:\\SHGS.\\game. .\\shglob.dat ", "@/SHGS/GAME/shglob.dat"},
      {"C:\\Dots.", "@/Dots."},
      {"C:\\SHGS\\...", "@/SHGS/..."},
  };
  for (const Case& c : cases) expectMapped(c, prefix_.path() + "/drive_c");
}

}  // namespace
}  // namespace shgs
