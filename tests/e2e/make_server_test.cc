// shgs-make-server, the sample generator, run as a process on small
// descriptions: the Wine prefix and the keys for a registry editor it
// writes, and what it refuses.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace shgs {
namespace {

namespace fs = std::filesystem;
using testing_support::fileExists;
using testing_support::ProcessResult;
using testing_support::readFile;
using testing_support::runProcess;
using testing_support::TempDir;
using testing_support::writeFile;

constexpr std::size_t kAny = std::string::npos;

// A file below the folder the generator ran in holds "bytes" at "offset"
// (anywhere when kAny) and, unless kAny, "size" bytes in all; a path ending
// in "/" is a folder.
struct Holds {
  std::string path;
  std::string bytes;
  std::size_t offset = 0;
  std::size_t size = kAny;
};
Holds exactly(const std::string& path, const std::string& bytes) {
  return {path, bytes, 0, bytes.size()};
}

struct Made {
  const char* name;
  std::string description;
  std::vector<Holds> files;
};

const std::string kKey =
    "Software\\\\Orbital Forge Software\\\\Starhaul Deluxe Game Server";
const std::string kHeader =
    "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=";
constexpr char kKeyTime[] = "] 1700000000\n#time=1da1747c66d0000\n";
const std::string kEditorKey =
    "[HKEY_LOCAL_MACHINE\\Software\\Orbital Forge Software\\Starhaul Deluxe "
    "Game Server";
// Game b comes after A, as registry keys are sorted.
constexpr char kServer[] =
    "[game b]\nTitle = Second\n[registry]\nServerRoot = C:\\SHGS\n"
    "NameAddr = \" a \\\\ \\\"b\\\" \"\n[game A]\nTitle = \"  x  \"\n";
const Holds kEditorKeys = exactly(
    "server.reg", "REGEDIT4\r\n\r\n" + kEditorKey +
                      "]\r\n\"ServerRoot\"=\"C:\\\\SHGS\"\r\n\"NameAddr\"=\" a "
                      "\\\\ \\\"b\\\" \"\r\n\r\n" +
                      kEditorKey + "\\Games]\r\n\r\n" + kEditorKey +
                      "\\Games\\A]\r\n\"Title\"=\"  x  \"\r\n\r\n" +
                      kEditorKey + "\\Games\\b]\r\n\"Title\"=\"Second\"\r\n");

const Made kMade[] = {
    {"KeysAsWineAndARegistryEditorWriteThem",
     kServer,
     {exactly("prefix/system.reg",
              kHeader + "win32\n\n[" + kKey + kKeyTime +
                  "\"ServerRoot\"=\"C:\\\\SHGS\"\n\"NameAddr\"=\" a \\\\ "
                  "\\\"b\\\" \"\n\n[" +
                  kKey + "\\\\Games\\\\A" + kKeyTime +
                  "\"Title\"=\"  x  \"\n\n[" + kKey + "\\\\Games\\\\b" +
                  kKeyTime + "\"Title\"=\"Second\"\n"),
      kEditorKeys}},
    // The importer chooses the view: no Wow6432Node in its file.
    {"KeysOfThe32BitViewOnA64BitPrefix",
     std::string("[registry]\n@view = 32\n") + kServer,
     {{"prefix/system.reg", "win64\n\n[Software\\\\Wow6432Node\\\\Orbital",
       kAny},
      kEditorKeys}},
    {"KeysOfThe64BitView",
     std::string("[registry]\n@view = 64\n") + kServer,
     {{"prefix/system.reg", "win64\n\n[" + kKey + kKeyTime, kAny}}},
    {"NoKeys",
     std::string("[registry]\n@absent = true\n") + kServer,
     {exactly("prefix/system.reg", kHeader + "win32\n"),
      exactly("server.reg", "REGEDIT4\r\n")}},
    {"RecordsAndFilesWhereAndAsDescribed",
     "[shcfig A]\nsectors = 4660\nstealDelay = false\n@byte 0 = 255\n"
     "@size = 100\n@name = SHCFIG.DAT\n[registry]\nServerRoot = C:\\Srv\\\n"
     "[game A]\nDirectory = c:\\Srv\\Games\\a\n"
     "[shglob]\nserverName = Far\n@size = 5000\n"
     "[file C:\\D\\plain.txt]\n# kept\n  two  \n[end]\n"
     "[file C:\\D\\dos.txt]\n@crlf\n@noeol\none\ntwo\n[end]\n"
     "[file C:\\D\\empty.txt]\n[end]\n[dir C:\\D\\Sub]\n",
     {{"prefix/drive_c/Srv/Games/a/SHCFIG.DAT", "\xFF\x12", 0, 100},
      {"prefix/drive_c/Srv/Games/a/SHCFIG.DAT", "\x10", 11},
      exactly("prefix/drive_c/Srv/GAME/shglob.dat",
              std::string("\x03"
                          "Far",
                          4) +
                  std::string(4996, '\0')),
      exactly("prefix/drive_c/D/plain.txt", "# kept\n  two  \n"),
      exactly("prefix/drive_c/D/dos.txt", "one\r\ntwo"),
      exactly("prefix/drive_c/D/empty.txt", ""),
      {"prefix/drive_c/D/Sub/", ""}}},
};

class MakeServerTest : public ::testing::TestWithParam<Made> {};

TEST_P(MakeServerTest, WritesWhatTheDescriptionSays) {
  const TempDir directory;
  writeFile(directory / "server.txt", GetParam().description);
  const ProcessResult result = runProcess(
      {SHGS_MAKE_SERVER_PATH, "--reg", "server.reg", "server.txt", "prefix"},
      directory.path(), {}, "");
  ASSERT_EQ(result.exitCode, 0) << result.standardError;
  for (const Holds& holds : GetParam().files) {
    SCOPED_TRACE(holds.path);
    ASSERT_TRUE(fileExists(directory / holds.path));
    if (holds.path.back() == '/') continue;
    const std::string bytes = readFile(directory / holds.path);
    if (holds.size != kAny) {
      EXPECT_EQ(bytes.size(), holds.size);
    }
    if (holds.offset == kAny) {
      EXPECT_NE(bytes.find(holds.bytes), std::string::npos) << bytes;
    } else {
      EXPECT_EQ(bytes.substr(holds.offset, holds.bytes.size()), holds.bytes);
    }
  }
  EXPECT_EQ(fs::read_symlink(directory / "prefix/dosdevices/c:"), "../drive_c");
}

INSTANTIATE_TEST_SUITE_P(Descriptions, MakeServerTest,
                         ::testing::ValuesIn(kMade),
                         [](const auto& info) { return info.param.name; });

TEST(MakeServer, RefusesFaultyCallsAndDescriptionsNamingTheLine) {
  const struct {
    std::vector<std::string> arguments;
    const char* description;
    int exitCode;
    const char* message;
  } cases[] = {
      {{"--reg", "x.reg", "server.txt"}, "", 2, "usage:"},
      {{"--registry", "server.txt", "prefix"}, "", 2, "usage:"},
      {{"server.txt"}, "", 2, "usage:"},
      {{"server.txt", "prefix"},
       "[shglob]\nnoSuchField = 1\n",
       1,
       ":4: unknown field noSuchField"},
      {{"server.txt", "prefix"},
       "[shglob]\nversionMajor = 256\n",
       1,
       ":4: versionMajor: 256 out of range"},
      {{"server.txt", "prefix"},
       "[shcfig Q]\nsectors = 1\n",
       1,
       ":3: game Q has no Directory"},
      {{"server.txt", "prefix"},
       "[file C:\\..\\escape.txt]\nx\n[end]\n",
       1,
       ":3: not a path on drive C"},
      {{"server.txt", "prefix"},
       "[file C:\\x.txt]\nx\n",
       1,
       ":3: [file] section without [end]"},
      {{"server.txt", "prefix"},
       "[games A]\n",
       1,
       ":3: unknown section [games A]"},
  };
  for (const auto& c : cases) {
    const TempDir directory;
    writeFile(directory / "server.txt",
              std::string("[registry]\nServerRoot = C:\\S\n") + c.description);
    std::vector<std::string> argv = {SHGS_MAKE_SERVER_PATH};
    argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
    const ProcessResult result = runProcess(argv, directory.path(), {}, "");
    EXPECT_EQ(result.exitCode, c.exitCode) << c.description;
    EXPECT_NE(result.standardError.find(c.message), std::string::npos)
        << c.description << " gave " << result.standardError;
    // A call not understood makes nothing; no path leaves the prefix.
    EXPECT_TRUE(c.exitCode != 2 || !fileExists(directory / "prefix"));
    EXPECT_FALSE(fileExists(directory / "escape.txt"));
  }
}

TEST(MakeServer, BuildsTheBundledSampleServer) {
  const TempDir directory;
  const ProcessResult result =
      runProcess({SHGS_MAKE_SERVER_PATH,
                  SHGS_SOURCE_DIR "/examples/sample-server.txt", "prefix"},
                 directory.path(), {}, "");
  ASSERT_EQ(result.exitCode, 0) << result.standardError;
  for (const char* file : {"system.reg", "drive_c/SHGS/GAME/shglob.dat",
                           "drive_c/SHGS/DescFile/GameA.txt"}) {
    EXPECT_TRUE(fileExists(directory / ("prefix/" + std::string(file))));
  }
  EXPECT_EQ(
      readFile(directory / "prefix/drive_c/SHGS/GAME/A/shcfig.dat").size(),
      4096u);
}

}  // namespace
}  // namespace shgs
