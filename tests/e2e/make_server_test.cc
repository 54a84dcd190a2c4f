// shgs-make-server run as a process on small descriptions.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace shgs {
namespace {

using testing_support::fileExists;
using testing_support::readFile;
using testing_support::runProcess;
using testing_support::TempDir;
using testing_support::writeFile;

class MakeServerTest : public ::testing::Test {
 protected:
  // Runs the generator on "description"; the prefix is "prefix" below the
  // temporary directory.
  testing_support::ProcessResult make(const std::string& description) {
    writeFile(directory_ / "server.txt", description);
    return runProcess(
        {SHGS_MAKE_SERVER_PATH, directory_ / "server.txt", prefix()},
        directory_.path(), {}, "");
  }
  std::string prefix() const { return directory_ / "prefix"; }
  std::string inPrefix(const std::string& relative) const {
    return prefix() + "/" + relative;
  }

 protected:
  TempDir directory_;
};

constexpr char kKeyTime[] = "] 1700000000\n#time=1da1747c66d0000\n";

TEST_F(MakeServerTest, WritesTheRegistryAsWineDoes) {
  const auto result = make(
      "[game b]\nTitle = Second\n"
      "[registry]\nServerRoot = C:\\SHGS\nNameAddr = \" say \\\"hi\\\" \"\n"
      "[game A]\nTitle = Bob's Place\nDirectory = C:\\SHGS\\GAME\\A\n");
  ASSERT_EQ(result.exitCode, 0) << result.standardError;
  const std::string root =
      "Software\\\\Orbital Forge Software\\\\Starhaul Deluxe Game Server";
  EXPECT_EQ(readFile(inPrefix("system.reg")),
            "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n"
            "#arch=win32\n\n[" +
                root + kKeyTime +
                "\"ServerRoot\"=\"C:\\\\SHGS\"\n"
                "\"NameAddr\"=\" say \\\"hi\\\" \"\n\n[" +
                root + "\\\\Games\\\\A" + kKeyTime +
                "\"Title\"=\"Bob's Place\"\n"
                "\"Directory\"=\"C:\\\\SHGS\\\\GAME\\\\A\"\n\n[" +
                root + "\\\\Games\\\\b" + kKeyTime + "\"Title\"=\"Second\"\n");
  EXPECT_TRUE(std::filesystem::is_symlink(inPrefix("dosdevices/c:")));
  EXPECT_EQ(std::filesystem::read_symlink(inPrefix("dosdevices/c:")),
            "../drive_c");
}

TEST_F(MakeServerTest, PlacesTheKeysOfEachView) {
  const struct {
    const char* options;
    const char* arch;
    const char* keyStart;
  } cases[] = {
      {"", "#arch=win32", "\n[Software\\\\Orbital Forge"},
      {"@view = 64\n", "#arch=win64", "\n[Software\\\\Orbital Forge"},
      {"@view = 32\n", "#arch=win64", "\n[Software\\\\Wow6432Node\\\\Orbital"},
      {"@absent = true\n", "#arch=win32", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.options);
    std::filesystem::remove_all(prefix());
    const auto result =
        make(std::string("[registry]\n") + c.options + "Port = 23\n");
    ASSERT_EQ(result.exitCode, 0) << result.standardError;
    const std::string reg = readFile(inPrefix("system.reg"));
    EXPECT_NE(reg.find(c.arch), std::string::npos) << reg;
    if (*c.keyStart == '\0') {
      EXPECT_EQ(reg.find('['), std::string::npos) << reg;
    } else {
      EXPECT_NE(reg.find(c.keyStart), std::string::npos) << reg;
    }
  }
}

TEST_F(MakeServerTest, WritesTheKeysForARegistryEditorWhenAsked) {
  const std::string root =
      "[HKEY_LOCAL_MACHINE\\Software\\Orbital Forge Software\\Starhaul "
      "Deluxe Game Server";
  const std::string allKeys = "REGEDIT4\r\n\r\n" + root +
                              "]\r\n\"Port\"=\"a \\\\ \\\"b\\\"\"\r\n\r\n" +
                              root + "\\Games]\r\n\r\n" + root +
                              "\\Games\\A]\r\n\"Title\"=\"  x  \"\r\n";
  const struct {
    const char* options;
    std::string expected;
  } cases[] = {
      {"", allKeys},
      // The importer chooses the view: no Wow6432Node in the file.
      {"@view = 32\n", allKeys},
      {"@absent = true\n", "REGEDIT4\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.options);
    writeFile(directory_ / "server.txt",
              std::string("[registry]\n") + c.options +
                  "Port = \"a \\\\ \\\"b\\\"\"\n[game A]\nTitle = \"  x  \"\n");
    const auto result =
        runProcess({SHGS_MAKE_SERVER_PATH, "--reg", directory_ / "server.reg",
                    directory_ / "server.txt", prefix()},
                   directory_.path(), {}, "");
    ASSERT_EQ(result.exitCode, 0) << result.standardError;
    EXPECT_EQ(readFile(directory_ / "server.reg"), c.expected);
    EXPECT_TRUE(fileExists(inPrefix("system.reg")));
  }
}

TEST_F(MakeServerTest, RefusesUnknownOptionsAndMissingArguments) {
  const std::vector<std::vector<std::string>> calls = {
      {"--reg", directory_ / "x.reg", directory_ / "server.txt"},
      {"--registry", directory_ / "server.txt", prefix()},
      {directory_ / "server.txt"},
  };
  writeFile(directory_ / "server.txt", "[registry]\nPort = 1\n");
  for (const auto& call : calls) {
    std::vector<std::string> argv = {SHGS_MAKE_SERVER_PATH};
    argv.insert(argv.end(), call.begin(), call.end());
    const auto result = runProcess(argv, directory_.path(), {}, "");
    EXPECT_EQ(result.exitCode, 2) << call.front();
    EXPECT_NE(result.standardError.find("usage:"), std::string::npos);
  }
  EXPECT_FALSE(fileExists(prefix()));
}

TEST_F(MakeServerTest, WritesRecordsWhereTheRegistrySaysAndAsDescribed) {
  const auto result = make(
      "[shcfig A]\nsectors = 4660\nstealDelay = false\n@byte 0 = 255\n"
      "@size = 100\n@name = SHCFIG.DAT\n"
      "[registry]\nServerRoot = C:\\Srv\\\n"
      "[game A]\nDirectory = c:\\Srv\\Games\\a\n"
      "[shglob]\nserverName = Far\n@size = 5000\n");
  ASSERT_EQ(result.exitCode, 0) << result.standardError;
  const std::string config =
      readFile(inPrefix("drive_c/Srv/Games/a/SHCFIG.DAT"));
  ASSERT_EQ(config.size(), 100u);
  EXPECT_EQ(config.substr(0, 2), "\xFF\x12");
  EXPECT_EQ(config[11], '\x10');
  const std::string global = readFile(inPrefix("drive_c/Srv/GAME/shglob.dat"));
  ASSERT_EQ(global.size(), 5000u);
  EXPECT_EQ(global.substr(0, 5), std::string("\x03"
                                             "Far\0",
                                             5));
  EXPECT_EQ(global.find_first_not_of('\0', 4), std::string::npos);
}

TEST_F(MakeServerTest, WritesFilesLineByLineWithTheChosenLineEnds) {
  const auto result = make(
      "[file C:\\D\\plain.txt]\n# kept\n  two  \n[end]\n"
      "[file C:\\D\\dos.txt]\n@crlf\n@noeol\none\ntwo\n[end]\n"
      "[file C:\\D\\empty.txt]\n[end]\n[dir C:\\D\\Sub]\n");
  ASSERT_EQ(result.exitCode, 0) << result.standardError;
  EXPECT_EQ(readFile(inPrefix("drive_c/D/plain.txt")), "# kept\n  two  \n");
  EXPECT_EQ(readFile(inPrefix("drive_c/D/dos.txt")), "one\r\ntwo");
  EXPECT_TRUE(fileExists(inPrefix("drive_c/D/empty.txt")));
  EXPECT_EQ(readFile(inPrefix("drive_c/D/empty.txt")), "");
  EXPECT_TRUE(std::filesystem::is_directory(inPrefix("drive_c/D/Sub")));
}

TEST_F(MakeServerTest, RefusesFaultyDescriptionsNamingTheLine) {
  const struct {
    const char* description;
    const char* message;
  } cases[] = {
      {"[registry]\nServerRoot = C:\\S\n[shglob]\nnoSuchField = 1\n",
       ":4: unknown field noSuchField"},
      {"[registry]\nServerRoot = C:\\S\n[shglob]\nversionMajor = 256\n",
       ":4: versionMajor: 256 out of range"},
      {"[shcfig Q]\nsectors = 1\n", ":1: game Q has no Directory"},
      {"[file C:\\..\\escape.txt]\nx\n[end]\n", ":1: not a path on drive C"},
      {"[file C:\\x.txt]\nx\n", ":1: [file] section without [end]"},
      {"[games A]\n", ":1: unknown section [games A]"},
  };
  for (const auto& c : cases) {
    const auto result = make(c.description);
    EXPECT_EQ(result.exitCode, 1) << c.description;
    EXPECT_NE(result.standardError.find(c.message), std::string::npos)
        << c.description << " gave " << result.standardError;
  }
  EXPECT_FALSE(fileExists(prefix() + "/../escape.txt"));
}

TEST_F(MakeServerTest, BuildsTheBundledSampleServer) {
  const auto result =
      runProcess({SHGS_MAKE_SERVER_PATH,
                  SHGS_SOURCE_DIR "/examples/sample-server.txt", prefix()},
                 "/", {}, "");
  ASSERT_EQ(result.exitCode, 0) << result.standardError;
  for (const char* file :
       {"system.reg", "drive_c/SHGS/GAME/shglob.dat",
        "drive_c/SHGS/GAME/A/shcfig.dat", "drive_c/SHGS/DescFile/GameA.txt"}) {
    EXPECT_TRUE(fileExists(inPrefix(file))) << file;
  }
  EXPECT_EQ(readFile(inPrefix("drive_c/SHGS/GAME/A/shcfig.dat")).size(), 4096u);
}

}  // namespace
}  // namespace shgs
