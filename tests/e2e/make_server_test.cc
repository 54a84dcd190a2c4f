// shgs-make-server, the sample generator, run as a process: the Wine prefix
// and the keys for a registry editor it writes, and what it refuses.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace shgs {
namespace {

using ::testing::HasSubstr;
using testing_support::fileExists;
using testing_support::ProcessResult;
using testing_support::readFile;
using testing_support::runProcess;
using testing_support::TempDir;
using testing_support::writeFile;

// Runs the generator in "folder" on "description", written to server.txt.
ProcessResult make(const TempDir& folder, const std::string& description,
                   std::vector<std::string> arguments = {
                       "--reg", "x.reg", "server.txt", "prefix"}) {
  writeFile(folder / "server.txt", description);
  arguments.insert(arguments.begin(), SHGS_MAKE_SERVER_PATH);
  return runProcess(arguments, folder.path(), {}, "");
}

// tests/testdata/make_server: game b comes after A, as the registry sorts
// keys; values are escaped as Wine and a registry editor escape them.
TEST(MakeServer, WritesKeysRecordsAndFilesAsDescribed) {
  const TempDir folder;
  const std::string data = SHGS_TESTDATA_DIR "/make_server/";
  const ProcessResult result = make(folder, readFile(data + "server.txt"));
  ASSERT_EQ(result.exitCode, 0) << result.standardError;
  EXPECT_EQ(readFile(folder / "prefix/system.reg"),
            readFile(data + "system.reg"));
  EXPECT_EQ(readFile(folder / "x.reg"), readFile(data + "x.reg"));
  const std::string config =
      readFile(folder / "prefix/drive_c/Srv/Games/a/SHCFIG.DAT");
  ASSERT_EQ(config.size(), 100u);
  EXPECT_EQ(config.substr(0, 2), "\xFF\x12");
  EXPECT_EQ(config[11], '\x10');
  EXPECT_EQ(readFile(folder / "prefix/drive_c/Srv/GAME/shglob.dat"),
            std::string("\x03"
                        "Far",
                        4) +
                std::string(4996, '\0'));
  EXPECT_EQ(readFile(folder / "prefix/drive_c/D/plain.txt"),
            "# kept\n  two  \n");
  EXPECT_EQ(readFile(folder / "prefix/drive_c/D/dos.txt"), "one\r\ntwo");
  EXPECT_TRUE(std::filesystem::is_directory(folder / "prefix/drive_c/D/Sub"));
  EXPECT_EQ(std::filesystem::read_symlink(folder / "prefix/dosdevices/c:"),
            "../drive_c");
}

// A 32-bit installer's keys on 64-bit Windows are below Wow6432Node; the
// registry editor's file leaves the view to its importer.
TEST(MakeServer, PlacesTheKeysOfEachView) {
  const struct {
    const char* options;
    const char* systemReg;   // what follows the header
    const char* editorFile;  // how it starts
  } cases[] = {
      {"@view = 64\n", "#arch=win64\n\n[Software\\\\Orbital",
       "REGEDIT4\r\n\r\n["},
      {"@view = 32\n", "#arch=win64\n\n[Software\\\\Wow6432Node\\\\Orbital",
       "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Orbital"},
      {"@absent = true\n", "#arch=win32\n", "REGEDIT4\r\n"},
  };
  for (const auto& c : cases) {
    const TempDir folder;
    ASSERT_EQ(
        make(folder, std::string("[registry]\n") + c.options + "Port = 23\n")
            .exitCode,
        0);
    const std::string reg = readFile(folder / "prefix/system.reg");
    EXPECT_EQ(reg.substr(reg.find("#arch"), std::strlen(c.systemReg)),
              c.systemReg);
    EXPECT_EQ(readFile(folder / "x.reg").rfind(c.editorFile, 0), 0u)
        << c.options;
  }
}

TEST(MakeServer, RefusesFaultyCallsAndDescriptionsNamingTheLine) {
  const struct {
    std::vector<std::string> arguments;
    const char* description;
    const char* message;  // exit code 2 for "usage:", 1 for the others
  } cases[] = {
      {{"--reg", "x.reg", "server.txt"}, "", "usage:"},
      {{"--registry", "x.reg", "server.txt", "prefix"}, "", "usage:"},
      {{"server.txt"}, "", "usage:"},
      {{"server.txt", "prefix"},
       "[shglob]\nnoSuchField = 1\n",
       ":4: unknown field noSuchField"},
      {{"server.txt", "prefix"},
       "[shglob]\nversionMajor = 256\n",
       ":4: versionMajor: 256 out of"},
      {{"server.txt", "prefix"},
       "[shcfig Q]\nsectors = 1\n",
       ":3: game Q has no Directory"},
      {{"server.txt", "prefix"},
       "[file C:\\..\\escape.txt]\nx\n[end]\n",
       ":3: not a path on drive C"},
      {{"server.txt", "prefix"},
       "[file C:\\x.txt]\nx\n",
       ":3: [file] section without [end]"},
      {{"server.txt", "prefix"},
       "[games A]\n",
       ":3: unknown section [games A]"},
  };
  for (const auto& c : cases) {
    const TempDir folder;
    const ProcessResult result = make(
        folder, std::string("[registry]\nServerRoot = C:\\S\n") + c.description,
        c.arguments);
    const bool usage = c.message == std::string("usage:");
    EXPECT_EQ(result.exitCode, usage ? 2 : 1) << c.description;
    EXPECT_THAT(result.standardError, HasSubstr(c.message)) << c.description;
    // A call not understood makes nothing; no path leaves drive C.
    EXPECT_TRUE(!usage || !fileExists(folder / "prefix"));
    EXPECT_FALSE(fileExists(folder / "prefix/escape.txt"));
  }
}

}  // namespace
}  // namespace shgs
