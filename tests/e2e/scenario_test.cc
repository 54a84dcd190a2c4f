// Whole runs on sample servers, a row each: hostile and unlucky surroundings
// (planted and linked work files, odd registry files, refused report names,
// interruption), broken inputs, the command line, memory bounds and the
// golden reports. Built natively (label e2e) and into the Wine
// tier (SHGS_UNDER_WINE, label wine), each running its platform's rows.
#include "e2e/scenario.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#ifndef SHGS_UNDER_WINE
#include "support/exporter_run.h"
#endif

namespace shgs {
namespace scenario {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;
using testing_support::makeDirectories;
using testing_support::readFile;
using testing_support::replaceAll;
using testing_support::writeFile;
using Names = Row::Names;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
constexpr bool kSanitized = __has_feature(address_sanitizer);
#else
constexpr bool kSanitized = false;
#endif

const std::string kKey =
    "HKLM\\Software\\Orbital Forge Software\\Starhaul Deluxe Game Server";
const std::string kNoRoot =
    "Failed to open registry data; ServerRoot key not found.\n"
    "Make sure SHGS is installed on this PC.";
const std::string kNoKey = "<prefix>/system.reg: no key " + kKey;
constexpr char kNoCapture[] = "Failed to initialize registry data.";
constexpr char kNoLog[] = "Error log failed to open.";
constexpr char kRefused[] = "Failed to create output file.";
constexpr char kEnded[] =
    "Input ended before the options were confirmed; no report was written.";
constexpr char kDefaultReport[] = "SHGS Game Data.TXT";
const std::string kReads = ": is a file the run reads";
const std::string kRemoves = ": is a file the run removes";
const std::string kMissing = ": No such file or directory";
const Names kCapture = {"qil.tmp", "qilerror.txt"};
const Names kFolder = {"adir", "qilerror.txt"};
constexpr char kDescription[] = "SHGS/DescFile/Game1.txt";
const std::string kRecord = "SHGS/GAME/A/shcfig.dat";
const std::string kWindowsRecord = "C:\\SHGS\\GAME\\A\\shcfig.dat";
constexpr char kNoRecord[] = "Configuration data failed to open.";
// A file of tests/testdata/scenario: a row's whole report, or a server.
std::string whole(const std::string& name, const std::string& kind = ".txt") {
  return SHGS_TESTDATA_DIR "/scenario/" + name + kind;
}
// The whole report of game A of the table's own server, with its description
// and without; of games A, B and C
// of described("ABC"), each with an empty description.
const std::string kGameA = whole("game_a");
const std::string kGamesABC = whole("games_abc");
const std::string kGameAWithoutItsDescription =
    whole("game_a_without_its_description");
constexpr char kEarlierLog[] = "an earlier run's log\n";
// A file whose size says 4096 bytes, of which it holds a few.
constexpr char kShort[] = "/sys/devices/system/cpu/online";
const std::string kShrank = ": shorter than when it was opened";
const std::string kLeftOut = "; description left out";
const std::string kServerCannotRead = ": not readable by the server's owner";

const std::string kRegistry =
    "[registry]\nServerRoot = C:\\SHGS\nLimitIP = F\nIPAddr = 10.0.0.1\n"
    "NameAddr = \"\"\nPort = 2002\nNodeMax = 12\n";
// Six games for the forum warning; only A has its files.
const std::string kGames = readFile(whole("six_games", ".server"));
// Game S lives in the start folder, game T in game C's; game Z's folder
// does not exist.
const std::string kFolders = readFile(whole("folders", ".server"));
// Values with blanks where reg.exe's listing sets off its columns.
constexpr char kBlankTitle[] = "  Four    REG_SZ    Blanks  ";
const std::string kBlanks = readFile(whole("blanks", ".server"));
// A listing of another server, which must never stand in for the registry.
const std::string kForgedCapture = readFile(whole("forged_capture"));

// A game's description in the report: between the heading and the link.
std::string excerpt(const std::string& lines,
                    const std::string& game = "A - Alpha") {
  return "Game " + game + " - 1000 sectors - 100 turns[/COLOR]" + lines +
         "\n[url]shplay:";
}
// Games of these letters, each with its files and its description X.txt.
std::string described(const std::string& letters) {
  std::string server = kRegistry + "[shglob]\nversionMajor = 2\n";
  for (const char letter : letters) {
    const std::string x(1, letter);
    server += "[game " + x + "]\nDirectory = C:\\SHGS\\GAME\\" + x +
              "\nDescription = " + x + ".txt\nTitle = " + x + "\n[shcfig " + x +
              "]\nsectors = 1000\nturnsPerDay = 100\n[file C:\\SHGS\\" +
              "DescFile\\" + x + ".txt]\n[end]\n";
  }
  return server;
}

std::string repeated(const std::string& text, int times) {
  std::string all;
  for (int i = 0; i < times; ++i) all += text;
  return all;
}

std::string expanded(std::string text, const Scene& scene) {
  text = replaceAll(text, "<prefix>",
                    fs::path(scene.driveC).parent_path().string());
  text = replaceAll(text, "<start>", scene.at("start"));
  text = replaceAll(text, "<C>", scene.driveC);
  return replaceAll(text, "<temp>", scene.temp);
}

// Texts as the program writes them: the Windows one ends lines with CR LF.
std::string asWritten(const std::string& text) {
  return kUnderWine ? replaceAll(text, "\n", "\r\n") : text;
}

// ---- Spoils; paths are below drive C.

Step writes(const std::string& path, const std::string& content) {
  return [=](Scene& s) { writeFile(s.at(path), content); };
}
Step removes(const std::string& path) {
  return [=](Scene& s) { fs::remove_all(s.at(path)); };
}
Step makesFolder(const std::string& path) {
  return [=](Scene& s) { makeDirectories(s.at(path)); };
}
Step fifo(const std::string& path) {
  return [=](Scene& s) {
    fs::remove_all(s.at(path));
    ASSERT_EQ(mkfifo(s.at(path).c_str(), 0644), 0) << path;
  };
}
// A link at "path" to "target", which may hold markers.
Step links(const std::string& path, const std::string& target) {
  return [=](Scene& s) {
    fs::remove_all(s.at(path));
    fs::create_symlink(expanded(target, s), s.at(path));
  };
}
Step hardLinks(const std::string& path, const std::string& existing) {
  return [=](Scene& s) { fs::create_hard_link(s.at(existing), s.at(path)); };
}
Step chmods(const std::string& path, mode_t mode) {
  return [=](Scene& s) { ASSERT_EQ(chmod(s.at(path).c_str(), mode), 0); };
}
// Another account than the run's and the server's (POSIX; run as root).
constexpr int kOther = 4321;
Step ownedBy(const std::string& path, int user, int group) {
  return [=](Scene& s) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to give files away";
    ASSERT_EQ(lchown(s.at(path).c_str(), user, group), 0) << path;
  };
}
// The Wine prefix, and so the server, belongs to the other account.
Step serverOwnedByAnother() { return ownedBy("../system.reg", kOther, kOther); }
// A folder anyone may write into and only owners remove from, as /tmp.
Step sharedFolder(const std::string& path) {
  return [=](Scene& s) {
    makeDirectories(s.at(path));
    ASSERT_EQ(chmod(s.at(path).c_str(), 01777), 0);
  };
}
// Moves the file at "path" to "to" and leaves a link to it in its place.
Step storedElsewhere(const std::string& path, const std::string& to) {
  return [=](Scene& s) {
    makeDirectories(fs::path(s.at(to)).parent_path());
    fs::rename(s.at(path), s.at(to));
    fs::create_symlink(s.at(to), s.at(path));
  };
}
// What "stat" says of "path" below drive C.
struct stat statOf(const Scene& s, const std::string& path) {
  struct stat info {};
  EXPECT_EQ(stat(s.at(path).c_str(), &info), 0) << path;
  return info;
}
// A file system of "size" at "path", so small that writing fills it; the
// row ends with unmounts(path).
Step smallDisk(const std::string& path, const std::string& size) {
  return [=](Scene& s) {
    makeDirectories(s.at(path));
    if (mount("tmpfs", s.at(path).c_str(), "tmpfs", 0,
              ("size=" + size + ",mode=0777").c_str()) != 0) {
      GTEST_SKIP() << "no small file system: " << strerror(errno);
    }
  };
}
Row::Check unmounts(const std::string& path) {
  return [=](const Scene& s, const Row&) {
    umount2(s.at(path).c_str(), MNT_DETACH);
  };
}
Step value(const std::string& key, const std::string& name,
           const std::string& text) {
  return
      [=](Scene& s) { ASSERT_NO_FATAL_FAILURE(s.setValue(key, name, text)); };
}
Step gameFolder(const std::string& text) {
  return value("Games\\A", "Directory", text);
}
// Replaces the first "from" in system.reg by "to"; with no "to", cuts the
// file right after "from".
Step regEdit(const std::string& from, const std::optional<std::string>& to) {
  return [=](Scene& s) {
    std::string text = readFile(s.at("../system.reg"));
    const std::size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    writeFile(s.at("../system.reg"), to ? text.replace(at, from.size(), *to)
                                        : text.substr(0, at + from.size()));
  };
}
// "megabytes" of keys below the server's key, as system.reg writes them,
// that the exporter does not read, with words it looks for.
Step appendsUnrelatedKeys(int megabytes) {
  return [=](Scene& s) {
    std::ofstream out(s.at("../system.reg"), std::ios::app);
    for (int node = 0; out.tellp() < (std::streamoff{megabytes} << 20);
         ++node) {
      out << "\n[Software\\\\Orbital Forge Software\\\\Starhaul Deluxe Game "
             "Server\\\\Nodes\\\\"
          << node
          << "] 1733500000\n\"Note\"=\"Port 9 Title x Directory y\"\n"
             "\"Counters\"=\"1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17\"\n";
    }
  };
}

// A row that types the report name "name" at "$" and chooses game A.
Row typed(const std::string& row, const std::string& name,
          std::vector<Step> spoils = {}, Platforms on = kBoth) {
  return Row(row, on, std::move(spoils), "$ " + name + "\nA!\n");
}

// A row that names as its report a link to "target" that another user
// planted in a folder anyone may write into.
Row planted(const std::string& row, const std::string& target) {
  return Row(row, kPosix,
             {sharedFolder("start/drop"), links("start/drop/out.txt", target),
              ownedBy("start/drop/out.txt", kOther, kOther)},
             "$ drop/out.txt\nA!\n")
      .stops("<start>/drop/out.txt: is a link owned by another user", kRefused,
             {"drop", "qilerror.txt"});
}

// A row whose run finds no server key, having said why on "line".
Row noRoot(const std::string& row, std::vector<Step> spoils,
           const std::string& line) {
  return Row(row, kPosix, std::move(spoils)).stops(line, kNoRoot, kCapture);
}

std::vector<Row> registryRows() {
  const std::string notRegular = "<prefix>/system.reg: not a regular file";
  return {
      Row("NoServerKey")
          .server(kRegistry + "@absent = true\n" + kGames)
          .stops(kNoKey, kNoRoot, kCapture),
      // Each Windows build looks in its own view only.
      Row("ServerIn64BitViewFor32BitBuild", kWindows)
          .onWindows([](Row& r) { r.view64 = true; })
          .stops("", kNoRoot, kCapture)
          .screenIs(""),
      Row("ServerIn32BitViewFor64BitBuild", kWindows)
          .onWindows([](Row& r) { r.build64 = true; })
          .stops("", kNoRoot, kCapture)
          .screenIs(""),
      noRoot("SystemRegOfNoise", {[](Scene& s) {
               std::mt19937 random(11);
               std::string noise(10 << 20, '\0');
               for (char& c : noise) c = static_cast<char>(random());
               writeFile(s.at("../system.reg"), noise);
             }},
             kNoKey),
      Row("TenMegabytesOfUnrelatedKeys", kPosix, {appendsUnrelatedKeys(10)})
          .completesWith(kGameA),
      // An escaped NUL in one value, a raw NUL byte in another.
      Row("NulEndsAValue", kPosix,
          {regEdit("\"Alpha\"", "\"Al\\0pha\""),
           regEdit("\"10.0.0.1\"", std::string("\"10.0\0.0.1\"", 11))})
          .completesWith(whole("NulEndsAValue")),
      Row("ValueWithoutData", kPosix,
          {regEdit("\"Port\"=\"2002\"", "\"Port\"=")})
          .completesWith(whole("ValueWithoutData")),
      // The line end splits the value line; the second half is a value
      // line with a name alone, whose value is empty.
      Row("LineEndInsideAValue", kPosix,
          {regEdit("\"C:\\\\SHGS\"", "\"C:\\\\SHGS\\n    IPAddr\"")})
          .completesWith(whole("LineEndInsideAValue")),
      Row("CutInsideTheGamesSectionLine", kPosix, {regEdit("Games\\\\A", {})})
          .completesWith(whole("CutInsideTheGamesSectionLine")),
      // Game A keeps its entry, without the values that the cut took.
      Row("CutInsideAnEscape", kPosix, {regEdit("\"Directory\"=\"C:\\", {})})
          .stops("<C>/SHGS/GAME/QnF" + kMissing,
                 "Failed to enter directory QnF"),
      noRoot("CutInsideServerRoot", {regEdit("\"ServerRoot\"=\"C:\\\\SH", {})},
             "<prefix>/system.reg: no value ServerRoot in " + kKey),
      noRoot("SystemRegIsAFifo", {fifo("../system.reg")}, notRegular),
      noRoot("SystemRegLinkedToDevZero", {links("../system.reg", "/dev/zero")},
             notRegular),
      noRoot("SystemRegUnreadable", {chmods("../system.reg", 0)},
             "<prefix>/system.reg: Permission denied")
          .unprivileged(),
      noRoot("SystemRegMissing", {removes("../system.reg")},
             "<prefix>/system.reg" + kMissing),
      noRoot("PrefixMissing", {}, "<prefix>/no/system.reg" + kMissing)
          .env({{"WINEPREFIX", "<prefix>/no"}}),
      noRoot("NeitherPrefixNorHome", {}, "HOME is not set")
          .env({{"WINEPREFIX", ""}, {"HOME", ""}}),
      // Its size says 4096 bytes, but it holds a few.
      noRoot("SystemRegShorterThanItsSize", {links("../system.reg", kShort)},
             "<prefix>/system.reg" + kShrank),
      // Made absolute at start: the folder changes do not move it.
      Row("RelativePrefix", kPosix)
          .env({{"WINEPREFIX", "../.."}})
          .completesWith(kGameA),
      Row("ValuesWithBlanksArriveWhole", kBoth, {}, "%A!\n")
          .server(kBlanks)
          .named(kDefaultReport)
          .completesWith(whole("ValuesWithBlanksArriveWhole"))
          .shows("(A) " + std::string(kBlankTitle) + "   C:\\Blank  Server\\" +
                 "Game    A" + std::string(15, ' ') + "\n"),
  };
}

// Whatever stands at a work file's name, the work file is the run's own,
// never reached through a link. POSIX replaces a link or a read-only
// capture; Windows refuses it.
std::vector<Row> workFileRows() {
  const std::string logLink = "<start>/qilerror.txt: is a symbolic link";
  const auto refused = [](Row& r) {
    r.keeping({"qil.tmp"}).stops("", kNoCapture);
    r.completed = false;
    r.reportHolds.clear();
    r.golden.clear();
  };
  return {
      Row("PlantedCapturesInOtherCases", kPosix,
          {writes("start/QIL.TMP", kForgedCapture),
           writes("start/Qil.tmp", kForgedCapture)})
          .keeping({"QIL.TMP", "Qil.tmp"})
          .completesWith(kGameA),
      Row("CaptureIsALink", kBoth, {links("start/qil.tmp", "<C>/victim/a")})
          .completesWith(kGameA)
          .onWindows(refused),
      Row("CaptureIsADanglingLink", kBoth,
          {links("start/qil.tmp", "<C>/victim/b")})
          .completesWith(kGameA)
          .onWindows(refused),
      Row("CaptureIsReadOnly", kBoth,
          {writes("start/qil.tmp", kForgedCapture),
           chmods("start/qil.tmp", 0444)})
          .unprivileged()
          .completesWith(kGameA)
          .onWindows([=](Row& r) { refused(r.screenIs("")); }),
      Row("CaptureIsAFifo", kPosix, {fifo("start/qil.tmp")})
          .completesWith(kGameA),
      // A capture cut short is none: the start folder is a file system too
      // small for a listing that holds a long value.
      // Windows removes its capture cut short.
      Row("CaptureCutShortByAFullDisk", kBoth, {smallDisk("start", "64k")})
          .server(kRegistry + "Motd = " + std::string(256 << 10, 'm') + "\n" +
                  kGames)
          .stops("<start>/qil.tmp: No space left on device", kNoCapture,
                 kCapture)
          .onWindows([](Row& r) { r.left.erase("qil.tmp"); })
          .then(unmounts("start")),
      Row("CaptureIsAFolder", kBoth, {makesFolder("start/qil.tmp")})
          .stops("<start>/qil.tmp: Is a directory", kNoCapture, kCapture),
      Row("ErrorLogIsALink", kBoth,
          {links("start/qilerror.txt", "<C>/victim/a")})
          .keeping({"qilerror.txt"})
          .stops(logLink, kNoLog, {}),
      Row("ErrorLogIsADanglingLink", kBoth,
          {links("start/qilerror.txt", "<C>/victim/b")})
          .keeping({"qilerror.txt"})
          .stops(logLink, kNoLog, {}),
      Row("ErrorLogIsAFifo", kPosix, {fifo("start/qilerror.txt")})
          .stops("<start>/qilerror.txt: not a regular file", kNoLog),
      Row("ErrorLogIsAFolder", kBoth, {makesFolder("start/qilerror.txt")})
          .stops("<start>/qilerror.txt: Is a directory", kNoLog),
      // No other account may write a file the run made, whatever the umask.
      Row("ErrorLogsOfAFailedRunAreTheOperatorsOwn", kBoth, {removes(kRecord)})
          .stops("<C>/" + kRecord + kMissing, kNoRecord)
          .changes("added SHGS/GAME/A/qilerror.txt\n")
          .then([](const Scene& s, const Row&) {
            // Wine lets the owner's group read what only its owner may.
            const mode_t others = kUnderWine ? 027 : 077;
            for (const char* log :
                 {"start/qilerror.txt", "SHGS/GAME/A/qilerror.txt"}) {
              EXPECT_EQ(statOf(s, log).st_mode & others, 0u) << log;
            }
          }),
      Row("GameErrorLogIsALink", kBoth,
          {links("SHGS/GAME/A/qilerror.txt", "<C>/victim/a")})
          .stops("<C>/SHGS/GAME/A/qilerror.txt: is a symbolic link", kNoLog),
  };
}

std::vector<Row> descriptionAndPathRows() {
  const std::string enterA = "Failed to enter directory C:\\SHGS\\GAME\\A";
  const std::string deep = repeated("\\x", 20000);
  return {
      // Bytes beyond ASCII pass; CR LF ends a line, and Ctrl-Z the text. An
      // empty file, a line without its end, a folder: a description each.
      Row("DescriptionsOfOddFiles", kBoth,
          {writes("SHGS/DescFile/A.txt", "\x89PNG\r\nsecond\x1athird\n"),
           writes("SHGS/DescFile/C.txt", "one"), removes("SHGS/DescFile/D.txt"),
           makesFolder("SHGS/DescFile/D.txt")},
          "$ out.txt\nABCD!\n")
          .server(described("ABCD"))
          .completesWith(whole("DescriptionsOfOddFiles"))
          .warning("<C>/SHGS/DescFile/d.txt: not a regular file" + kLeftOut)
          .onWindows([](Row& r) {
            r.message =
                "c:\\shgs\\descfile\\d.txt: Access denied" + kLeftOut + "\n";
          }),
      // A FIFO would wait for a writer for ever; a file the kernel makes up
      // as it is read has no size to read.
      // What was read of a file that could not be read whole is no
      // description.
      Row("DescriptionsThatAreNoFiles", kPosix,
          {fifo("SHGS/DescFile/A.txt"),
           links("SHGS/DescFile/B.txt", "/proc/self/environ"),
           links("SHGS/DescFile/C.txt", kShort)},
          "$ out.txt\nABC!\n")
          .server(described("ABC"))
          .completesWith(kGamesABC)
          .warning("<C>/SHGS/DescFile/a.txt: not a regular file" + kLeftOut +
                   "\n<C>/SHGS/DescFile/c.txt" + kShrank + kLeftOut),
      Row("RecordShorterThanItsSize", kPosix,
          {links(kRecord, kShort),
           writes("SHGS/GAME/A/qilerror.txt", kEarlierLog)})
          .stops("<C>/" + kRecord + kShrank,
                 "Configuration data failed to open."),
      // The server's account may read the report back: it holds only what
      // that account could read itself, as owner, group or anyone, judged
      // on the file opened, links followed.
      Row("DescriptionTheServersOwnerCannotRead", kPosix,
          {serverOwnedByAnother(), chmods("victim/a", 0600),
           links(kDescription, "<C>/victim/a")})
          .completesWith(kGameAWithoutItsDescription)
          .warning("<C>/SHGS/DescFile/game1.txt" + kServerCannotRead +
                   kLeftOut),
      Row("RecordTheServersOwnerCannotRead", kPosix,
          {serverOwnedByAnother(), chmods(kRecord, 0640),
           writes("SHGS/GAME/A/qilerror.txt", kEarlierLog)})
          .stops("<C>/" + kRecord + kServerCannotRead, kNoRecord),
      // The account the system lists as nobody, in its group nogroup.
      Row("FilesOfTheServersOwnerAndGroup", kPosix,
          {ownedBy("../system.reg", 65534, 0), chmods(kRecord, 0600),
           ownedBy(kRecord, 65534, 0), chmods(kDescription, 0640),
           ownedBy(kDescription, 0, 65534)})
          .completesWith(kGameA),
      Row("DescriptionThatCannotBeRead", kPosix, {chmods(kDescription, 0)})
          .unprivileged()
          .completesWith(kGameAWithoutItsDescription)
          .warning("<C>/SHGS/DescFile/game1.txt: Permission denied" + kLeftOut),
      // A sparse 200 MB line: the excerpt reads only its budget.
      Row("HugeOneLineDescription", kPosix,
          {writes(kDescription, ""),
           [](Scene& s) { fs::resize_file(s.at(kDescription), 200u << 20); }})
          .completes({excerpt(repeated("\n" + std::string(80, '\0'), 4) + "\n" +
                              std::string(77, '\0') + "...")})
          .memoryBelow(16),
      Row("GameFolderMissing", kBoth, {removes("SHGS/GAME/A")})
          .stops("<C>/SHGS/GAME/A" + kMissing, enterA),
      Row("GameFolderThatCannotBeEntered", kPosix,
          {chmods("SHGS/GAME/A", 0666)})
          .unprivileged()
          .stops("<C>/SHGS/GAME/A: Permission denied", enterA),
      Row("GameFolderIsAFile", kBoth,
          {removes("SHGS/GAME/A"), writes("SHGS/GAME/A", "")})
          .stops("<C>/SHGS/GAME/A: Not a directory", enterA),
      Row("ServerGameFolderMissing", kBoth, {removes("SHGS/GAME")})
          .stops("<C>/SHGS/GAME" + kMissing,
                 "Failed to enter directory C:\\SHGS\\GAME"),
      Row("GlobalDataMissing", kBoth, {removes("SHGS/GAME/shglob.dat")})
          .stops("<C>/SHGS/GAME/shglob.dat" + kMissing,
                 "Global data failed to open.")
          .changes("added SHGS/GAME/qilerror.txt\n"),
      // As Windows takes them: relative to the folder current at that
      // moment, the server's GAME folder after the server section, else the
      // start folder; trailing dots and blanks ignored; "\\" on drive C; "/"
      // as "\\".
      Row("FoldersSpelledAsWindowsTakesThem", kBoth,
          {value("", "ServerRoot", "C:/SHGS\\"),
           value("Games\\A", "Directory", "A"),
           value("Games\\B", "Directory", "C:\\SHGS\\GAME\\B. ."),
           value("Games\\C", "Directory", "\\SHGS\\GAME\\C")},
          "$ out.txt\nABC!\n")
          .server(described("ABC"))
          .completesWith(kGamesABC),
      Row("RelativeGameFolderFromTheStartFolder", kBoth, {gameFolder("A")},
          "$ out.txt\n*A!\n")
          .stops("<start>/A" + kMissing, "Failed to enter directory A"),
      // Two separators, as of a share, start at the host's own root.
      Row("GameFolderFromTheHostRoot", kPosix, {[](Scene& s) {
            s.setValue("Games\\A", "Directory",
                       "\\" + replaceAll(s.at("SHGS/GAME/A"), "/", "\\"));
          }})
          .completesWith(kGameA),
      Row("ControlSequencesInAMissingFolder", kBoth,
          {gameFolder("C:\\SHGS\\\x1b[8mA")})
          .stops("<C>/SHGS/?[8mA" + kMissing,
                 "Failed to enter directory C:\\SHGS\\?[8mA"),
      // Each folder is listed once however often it is reached: a link to
      // its own folder of 5,000 entries, taken in another letter case at
      // every level.
      Row("FolderThroughALinkToItselfTwoThousandTimes", kPosix,
          {links("SHGS/GAME/Self", "."),
           [](Scene& s) {
             for (int i = 0; i < 5000; ++i) {
               writeFile(s.at("SHGS/GAME/entry " + std::to_string(i) +
                              std::string(40, '.') + "x"),
                         "");
             }
           },
           gameFolder("C:\\SHGS\\GAME" + repeated("\\self", 2000) + "\\A")})
          .process([](ProcessOptions* o) { o->killAfterSeconds = 60; })
          .completesWith(kGameA)
          .memoryBelow(24),
      Row("FolderOfTwentyThousandNames", kPosix,
          {gameFolder("C:\\SHGS\\GAME\\A" + deep)})
          .process([](ProcessOptions* o) { o->killAfterSeconds = 60; })
          .stops("<C>/SHGS/GAME/A" + repeated("/x", 20000) + kMissing,
                 "Failed to enter directory C:\\SHGS\\GAME\\A" + deep),
  };
}

// The report is written whole, and never where a file the run reads or
// removes is or will be, however the name is spelled: the refusal comes
// before anything is truncated.
std::vector<Row> reportNameRows() {
  const std::string record = "<C>/" + kRecord + kReads;
  const Step earlierLog = writes("start/qilerror.txt", kEarlierLog);
  return {
      typed("ReportNameIsAFolder", "adir", {makesFolder("start/adir")})
          .stops("<start>/adir: Is a directory", kRefused, kFolder),
      typed("ReportInAMissingFolder", "missing/out.txt")
          .stops("<start>/missing" + kMissing, kRefused),
      typed("ReportNamedAsTheErrorLog", "qilerror.txt")
          .stops("<start>/qilerror.txt" + kRemoves, kRefused),
      typed("ReportNamedAsACapture", "adir/QIL.TMP",
            {makesFolder("start/adir")})
          .stops("<start>/adir/QIL.TMP" + kRemoves, kRefused, kFolder),
      // A backslash separates names on POSIX too.
      typed("ReportNamedAsAnErrorLogAfterABackslash", "adir\\qilerror.txt",
            {makesFolder("start/adir")})
          .stops("<start>/adir\\qilerror.txt" + kRemoves, kRefused, kFolder),
      typed("ReportNameIsADevice", "/dev/full", {}, kPosix)
          .stops("/dev/full: not a regular file", kRefused),
      typed("ReportNameWithANulByte", std::string("qilerror.txt\0x", 14),
            {earlierLog})
          .keeping({"qilerror.txt"})
          .stops("qilerror.txt?x: a name cannot hold a NUL byte", kRefused, {}),
      Row("ReportNamedAsTheErrorLogWithADot", kWindows, {earlierLog},
          "$\nqilerror.txt.\nA!\n")
          .keeping({"qilerror.txt"})
          .stops("", kRefused, {}),
      Row("ReportNamedByTheRecordsShortName", kWindows,
          {earlierLog,
           [](Scene& s) {
             const std::string name =
                 s.shortName("C:\\Blank  Server\\Game    A\\shcfig.dat");
             ASSERT_NE(name.find('~'), std::string::npos) << name;
             s.input = "$\n" + name + "\n%A!\n";
           }})
          .server(kBlanks)
          .keeping({"qilerror.txt"})
          .stops("", kRefused, {}),
      typed("ReportNamedAsTheGameRecord", "../SHGS/GAME/A/shcfig.dat")
          .stops(record, kRefused),
      typed("ReportNamedAsTheGlobalRecord", "../SHGS/GAME/shglob.dat")
          .stops("<C>/SHGS/GAME/shglob.dat" + kReads, kRefused),
      // The server's file even when the run leaves it unread.
      Row("ReportNamedAsTheUnreadGlobalRecord", kBoth, {},
          "* $ ../SHGS/GAME/shglob.dat\nA!\n")
          .stops("<C>/SHGS/GAME/shglob.dat" + kReads, kRefused),
      typed("ReportNamedAsTheDescription", "../SHGS/DescFile/Game1.txt")
          .stops("<C>/SHGS/DescFile/Game1.txt" + kReads, kRefused),
      typed("ReportNamedAsSystemReg", "../../system.reg", {}, kPosix)
          .stops("<prefix>/system.reg" + kReads, kRefused),
      // Found without regard to case, such a file would be read next time.
      typed("ReportNamedAsARecordStoredInUpperCase", "../" + kRecord,
            {[](Scene& s) {
              fs::rename(s.at(kRecord), s.at("SHGS/GAME/A/SHCFIG.DAT"));
            }})
          .stops(record, kRefused),
      typed("ReportNamedAsAMissingRecord", "../" + kRecord, {removes(kRecord)})
          .stops(record, kRefused)
          .onWindows([](Row& r) {
            r.input = "$ c:\\shgs\\game\\a\\SHCFIG.DAT\nA!\n";
          }),
      typed("ReportNameLinkedToTheErrorLog", "r",
            {links("start/r", "qilerror.txt")}, kPosix)
          .stops("<start>/qilerror.txt" + kRemoves, kRefused,
                 {"qilerror.txt", "r"}),
      // Planted under the default name, leading where a reader's log will be.
      Row("DefaultReportNameLinkedToAGameLog", kPosix,
          {links("start/SHGS Game Data.TXT", "<C>/SHGS/GAME/A/qilerror.txt")},
          "A!\n")
          .keeping({kDefaultReport})
          .stops("<C>/SHGS/GAME/A/qilerror.txt" + kRemoves, kRefused),
      typed("ReportNameHardLinkedToTheGameRecord", "r",
            {hardLinks("start/r", kRecord)}, kPosix)
          .stops("<start>/r" + kReads, kRefused, {"qilerror.txt", "r"}),
      // A game's log left over from an earlier failed run.
      typed("ReportNameHardLinkedToAStaleGameLog", "r",
            {writes("SHGS/GAME/A/qilerror.txt", kEarlierLog),
             hardLinks("start/r", "SHGS/GAME/A/qilerror.txt")},
            kPosix)
          .keeping({"r"})
          .stops("<start>/r" + kRemoves, kRefused),
      Row("ReportNameIsALinkToItself", kPosix,
          {links("start/out.txt", "out.txt")})
          .keeping({"out.txt"})
          .stops("<start>/out.txt: Too many levels of symbolic links",
                 kRefused),
      // The run's own new file fits beside a name of the longest length.
      typed("ReportOfTheLongestName", std::string(255, 'r'), {}, kPosix)
          .named(std::string(255, 'r'))
          .completesWith(kGameA),
      Row("ReportNameIsAFifo", kPosix, {fifo("start/out.txt")})
          .keeping({"out.txt"})
          .stops("<start>/out.txt: not a regular file", kRefused),
      // In a folder anyone may write into, a link another user planted is
      // not followed to the operator's files, whether they exist or not;
      // the user's own is, and stays: the file it leads to gets the report.
      planted("ReportNameIsALinkPlantedInASharedFolder", "<C>/victim/a"),
      planted("ReportNameIsADanglingLinkPlantedInASharedFolder",
              "<C>/victim/new"),
      Row("ReportNameIsTheUsersOwnLinkInASharedFolder", kPosix,
          {sharedFolder("start/drop"), writes("start/drop/r.txt", ""),
           links("start/drop/out.txt", "r.txt")},
          "$ drop/out.txt\nA!\n")
          .ends(0, "Report written to drop/out.txt\n", {"drop"})
          .then([](const Scene& s, const Row&) {
            EXPECT_THAT(readFile(s.at("start/drop/r.txt")),
                        HasSubstr("Game A - Alpha"));
            EXPECT_TRUE(fs::is_symlink(s.at("start/drop/out.txt")));
          }),
      // Compared by identity, however the name leads to it.
      typed("ReportNamedAsARecordStoredElsewhere", "../store/shcfig.dat",
            {storedElsewhere(kRecord, "store/shcfig.dat")})
          .stops("<C>/store/shcfig.dat" + kReads, kRefused),
      typed("ReportNamedAsSystemRegStoredElsewhere", "../store/system.reg",
            {storedElsewhere("../system.reg", "store/system.reg")}, kPosix)
          .stops("<C>/store/system.reg" + kReads, kRefused),
      // A new file takes the earlier report's place, its bits, its owner and
      // its group.
      Row("ReplacedReportKeepsItsPermissionsAndOwners", kPosix,
          {writes("start/out.txt", ""), chmods("start/out.txt", 0604),
           ownedBy("start/out.txt", kOther, kOther + 1)})
          .completesWith(kGameA)
          .then([](const Scene& s, const Row&) {
            const struct stat info = statOf(s, "start/out.txt");
            EXPECT_EQ(info.st_mode & 07777, 0604u);
            EXPECT_EQ(info.st_uid, static_cast<uid_t>(kOther));
            EXPECT_EQ(info.st_gid, static_cast<gid_t>(kOther + 1));
          }),
      // A full disk keeps the earlier report as it was, and nothing beside.
      typed("ReportOnAFullDisk", "small/out.txt",
            {smallDisk("start/small", "4k"),
             writes("start/small/out.txt", "an earlier report\n")},
            kPosix)
          .stops("<start>/small/out.txt: No space left on device",
                 "Failed to write output file.", {"qilerror.txt", "small"})
          .then([](const Scene& s, const Row&) {
            EXPECT_EQ(readFile(s.at("start/small/out.txt")),
                      "an earlier report\n");
            EXPECT_EQ(testing_support::entriesOf(s.at("start/small")),
                      Row::Names{"out.txt"});
          })
          .then(unmounts("start/small")),
  };
}

// Data are shown as data, never as instructions to the terminal; the
// viewer gets the report's name as typed, as its last argument, and no
// descriptor of the run's files; large input costs no memory.
std::vector<Row> menuAndViewerRows() {
  const std::string hidden = "\x1b]0;owned\x07\x1b[8m";
  const std::string odd = "a\"b;touch${IFS}evil;$(touch${IFS}evil2)'c'.txt";
  const std::string placed =
      "\nOutput file will be placed in\n<start>\n(unless a directory was "
      "specified with the filename on the options screen).\n";
  return {
      Row("InputEndsInTheMenu", kBoth, {}, "A\n*").stops("", kEnded, {}),
      Row("ControlSequencesInATitle", kBoth,
          {value("Games\\A", "Title", "Alpha" + hidden)})
          .completesWith(whole("ControlSequencesInATitle"))
          .shows("(A) Alpha?]0;owned??[8m ")
          .hides("\x1b]"),
      // Each caret toggles the games; an even number leaves them as they
      // were.
      Row("ManyCarets", kPosix, {[](Scene& s) {
            s.input = "$ out.txt\n" + std::string(5 << 20, '^') + "A!\n";
          }})
          .completesWith(kGameA)
          .memoryBelow(24),
      Row("EndlessWord", kPosix)
          .process([](ProcessOptions* o) {
            o->inputPath = "/dev/zero";
            o->killAfterSeconds = 3;
          })
          .endsBy(SIGKILL, {"qilerror.txt"})
          .memoryBelow(24),
      // A read that fails is the end of the input, never a wait for more.
      Row("StandardInputThatCannotBeRead", kPosix)
          .process([](ProcessOptions* o) {
            o->inputPath = "/";
            o->killAfterSeconds = 10;
          })
          .stops("", kEnded, {}),
      Row("StandardInputLeftNonBlocking", kPosix)
          .process([](ProcessOptions* o) {
            o->nonBlockingInput = true;
            o->inputAfter = "option(s) to toggle: ";
          })
          .completesWith(kGameA),
      Row("EditorWithAnOpenQuote", kPosix)
          .env({{"EDITOR", "vi 'x"}})
          .completesWith(kGameA)
          .warning("EDITOR could not be used: a quote is not closed"),
      Row("EditorThatCannotBeStarted", kPosix)
          .env({{"VISUAL", "/nonexistent/editor --wait"}})
          .completesWith(kGameA)
          .warning("VISUAL could not be used: /nonexistent/editor" + kMissing),
      // Games go in letter order, a shared folder and the start folder too;
      // an older game log goes with the run's own. The command processor
      // would expand %OS%, even in quotes.
      Row("FoldersSharedAndStartedIn", kBoth,
          {writes("SHGS/GAME/B/qilerror.txt", "older log\n")},
          "$ " + odd + "\nBACST!\n")
          .server(kFolders)
          .env({{"EDITOR", "'<temp>/my viewer'"}})
          .named(odd)
          .completesWith(whole("FoldersSharedAndStartedIn"))
          .viewerSaw("<start>\n" + odd + "\n")
          .shows(placed)
          .shows("(A) Alpha ")
          .leaving({"shcfig.dat"})
          .changes("removed SHGS/GAME/B/qilerror.txt\n")
          .onWindows([placed](Row& r) {
            r.input = "$ %OS%.txt\nBACST!\n";
            r.report = "%OS%.txt";
            r.screenHolds = {replaceAll(placed, "<start>", "C:\\start")};
            r.viewerLog.clear();
          }),
      // The readers alive at the end keep their logs; the report that was
      // there before stays as it was, and no viewer starts.
      Row("MissingConfigurationStopsAfterTheGamesBeforeIt", kBoth,
          {removes("SHGS/GAME/B/shcfig.dat"),
           writes("SHGS/GAME/B/qilerror.txt", "older log\n"),
           writes("start/SHGS Game Data.TXT", "an earlier report\n")},
          "CBA!\n")
          .server(kFolders)
          .env({{"EDITOR", "'<temp>/my viewer'"}})
          .keeping({kDefaultReport})
          .stops("<C>/SHGS/GAME/B/shcfig.dat" + kMissing,
                 "Configuration data failed to open.",
                 {"qilerror.txt", "shcfig.dat"}),
  };
}

// Arguments are read before anything is made; any option writes the report
// without the menu, saying nothing when all went well. Signals and the
// memory the listing may have.
std::vector<Row> commandLineAndSignalRows() {
  std::vector<Row> rows = {
      Row("HelpMakesNoFile")
          .args({"-h"})
          .ends(0, "", {})
          .shows("Usage: shgs-exporter [OPTION]...\n")
          .shows("\n  --games LETTERS "),
      Row("HelpAskedTheWindowsWay", kWindows)
          .args({"/?"})
          .ends(0, "", {})
          .shows("Usage: shgs-exporter [OPTION]...\n"),
      Row("VersionMakesNoFile")
          .args({"--vers"})
          .ends(0, "", {})
          .screenIs("shgs-exporter 1.20\n"),
      Row("UnknownOptionThenBadLetters")  // the first problem is told
          .args({"--games", "A", "--colour", "--games", "A1"})
          .misunderstood("unrecognized option '--colour'"),
      Row("OptionWithoutItsValue")
          .args({"--output"})
          .misunderstood("option '--output' requires an argument"),
      Row("GamesThatAreNoLetters")
          .args({"--games", "A1"})
          .misunderstood("invalid letters 'A1' for '--games'"),
      Row("FormatOfNoKnownName")
          .args({"--format", "pdf"})
          .misunderstood("invalid format 'pdf' for '--format'"),
      Row("StrayArgument")
          .args({"report.txt"})
          .misunderstood("unexpected argument 'report.txt'"),
      Row("NothingToReport")
          .args({"--no-server"})
          .misunderstood(
              "no '--games' and '--no-server': the report would be empty"),
      // Known only once the registry is read.
      Row("LettersOfNoListedGame")
          .args({"--games", "aQ", "--games", "xb"})
          .logs(3,
                "no listed game has the letters 'QX' of '--games' (listed: "
                "ABCDEF)"),
      // Another run's log put in place of this one's is not its to remove.
      Row("InterruptionSparesAnotherRunsLog", kPosix)
          .atMenu(SIGINT,
                  [](Scene& s) {
                    fs::remove(s.at("start/qilerror.txt"));
                    writeFile(s.at("start/qilerror.txt"), "another run's\n");
                  })
          .endsBy(SIGINT, {"qilerror.txt"})
          .then([](const Scene& s, const Row&) {
            EXPECT_EQ(readFile(s.at("start/qilerror.txt")), "another run's\n");
          }),
      // Ignored from the start, as under nohup, a hang-up stays ignored.
      Row("HangUpIgnoredAtStart", kPosix)
          .atMenu(SIGHUP)
          .ignoring(SIGHUP)
          .stops("", kEnded, {}),
      // A 100 MB registry file of a 64-bit prefix, nearly all of it keys
      // below the server's 64-bit key after its 32-bit one: the listing
      // drops the other view as soon as the 32-bit one appears.
      Row("HugeSystemRegOfBothViews", kPosix, {appendsUnrelatedKeys(100)})
          .server(kRegistry + "@view = 32\n" + kGames)
          .completes({"Game A - Alpha"})
          .memoryBelow(32),
      // A key too big for the memory the run may have is no listing, never
      // a server with fewer games. The limit would stop sanitizers at start.
      Row("ListingBeyondTheMemoryLimit", kSanitized ? kWindows : kPosix,
          {appendsUnrelatedKeys(60)})
          .process([](ProcessOptions* o) { o->addressSpaceMb = 64; })
          .stops("<start>/qil.tmp: Cannot allocate memory", kNoCapture),
      // Notepad's own outcome is not the run's; the system's programs are
      // started by full path, never one planted in the start folder.
      Row("NotepadThatEndsAtOnce", kWindows)
          .env({{"WINEDLLOVERRIDES", "notepad.exe=b"}})
          .completesWith(kGameA)
          .onWindows([](Row& r) { r.notepadRecords = false; }),
      Row("PlantedSystemProgramsNeverRun", kWindows, {[](Scene& s) {
            for (const char* name : {"reg.exe", "notepad.exe"}) {
              fs::copy_file(s.windowsHelpers + "/planted.exe",
                            s.at("start/") + name);
            }
            for (const char* name : {"reg.bat", "reg.cmd"}) {
              writeFile(s.at("start/") + name, "@echo %0>>planted-ran.txt\r\n");
            }
          }})
          .keeping({"reg.bat", "reg.cmd", "reg.exe", "notepad.exe"})
          .completesWith(kGameA),
  };
  // Ctrl-C and its kin at the menu, and every other signal that ends a
  // program, remove the files the run holds; the run ends as the signal
  // ends a program.
  for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGXFSZ,
                           SIGXCPU, SIGALRM, SIGUSR1, SIGRTMIN}) {
    rows.push_back(Row("EndedBySignal" + std::to_string(signal),
                       signal == SIGINT ? kBoth : kPosix)
                       .atMenu(signal)
                       .endsBy(signal, {})
                       .shows("Enter game letter(s)")
                       .hides("Output file will be placed in"));
  }
  return rows;
}

// The home page the golden footers name: the build's default.
constexpr char kGoldenHomePage[] = "https://shgs-exporter.example.org/";

// The golden reports byte for byte (tests/testdata/golden, described in
// CONTRIBUTING.md), from the menu's keys and from the arguments of a run
// without the menu; under Wine two from the x86_64 build too, with the
// server in the 64-bit view.
std::vector<Row> goldenRows() {
  std::set<fs::path> runs;  // named by their .input or .args
  for (const auto& file :
       fs::recursive_directory_iterator(SHGS_TESTDATA_DIR "/golden")) {
    const fs::path kind = file.path().extension();
    if (kind == ".input" || kind == ".args") {
      runs.insert(fs::path(file.path()).replace_extension());
    }
  }
  std::vector<Row> rows;
  for (fs::path run : runs) {
    const std::string name = "Golden_" + run.parent_path().filename().string() +
                             "_" + run.stem().string();
    const std::string said =
        replaceAll(readFile(run.replace_extension(".stderr")),
                   "Report written to SHGS Game Data.TXT\n", "");
    Row row = Row(name, kBoth, {}, readFile(run.replace_extension(".input")))
                  .server(readFile(run.parent_path() / "server.txt"))
                  .named(kDefaultReport)
                  .completes();
    row.message = said;
    row.golden = run.replace_extension(".expected");
    if (fs::exists(run.replace_extension(".input"))) rows.push_back(row);
    if (!fs::exists(run.replace_extension(".args"))) continue;
    if (name == "Golden_six_games_forum" ||
        name == "Golden_stock_server_plain") {
      rows.push_back(row);
      rows.back().name += "_64Bit";
      rows.back().on = kWindows;
      rows.back().view64 = rows.back().build64 = true;
    }
    std::istringstream lines(readFile(run.replace_extension(".args")));
    Row::Words arguments;
    for (std::string line; std::getline(lines, line);)
      arguments.push_back(line);
    row.name += "_Arguments";
    rows.push_back(
        row.args(arguments)
            .ends(0, testing_support::saidWithOptions(said), {kDefaultReport})
            .screenIs(""));
  }
  return rows;
}

// The report "written" is the golden one, naming this build's home page.
// SHGS_UPDATE_GOLDEN=1 rewrites the golden file instead (natively, from a
// build with the default home page); review the diff before committing.
void expectGolden(const std::string& path, const std::string& written) {
  const char* update = std::getenv("SHGS_UPDATE_GOLDEN");
  if (!kUnderWine && update != nullptr && std::string(update) == "1") {
    ASSERT_STREQ(SHGS_HOME_PAGE_URL, kGoldenHomePage);
    writeFile(path, written);
    return;
  }
  const std::string golden = asWritten(
      replaceAll(readFile(path), kGoldenHomePage, SHGS_HOME_PAGE_URL));
  EXPECT_EQ(testing_support::withTimeOf(golden, written), golden);
}

// Runs with options make no file but the report, need no more than to read
// the server, and say each message on a line of its own. Each row runs again
// with --check, which must end the same way without writing the report.
std::vector<Row> optionRows() {
  const Row::Words gameA = {"--games", "a", "--output", "out.txt"};
  const auto with = [gameA](Row::Words more) {
    more.insert(more.begin(), gameA.begin(), gameA.end());
    return more;
  };
  std::vector<Row> rows = {
      // No viewer starts: the recording one would leave its log.
      Row("RunWithoutTheMenu")
          .args(with({"--plain"}))
          .env({{"EDITOR", "'<temp>/my viewer'"}})
          .completesWith(whole("RunWithoutTheMenu"))
          .screenIs(""),
      Row("RunThatMayOnlyReadTheServer", kPosix)
          .args(gameA)
          .readingOnly()
          .completesWith(kGameA),
      Row("RunIntoAMissingFolder")
          .args({"--games", "A", "--output", "missing/out.txt"})
          .logs(1, "<start>/missing" + kMissing + ". " + kRefused)
          .logsOnWindows("C:\\start\\missing\\out.txt: Path not found. " +
                         std::string(kRefused)),
      Row("RunOverAFileItReads", kPosix)
          .args({"--games", "A", "--output", "../SHGS/GAME/A/SHCFIG.DAT"})
          .logs(1, "<C>/SHGS/GAME/A/SHCFIG.DAT" + kReads + ". " + kRefused),
      Row("RunWithoutTheServersKey")
          .server(kRegistry + "@absent = true\n" + kGames)
          .args(gameA)
          .logs(1, kNoKey + ". " + replaceAll(kNoRoot, "\n", " "))
          .logsOnWindows(kKey +
                         ": reg: Unable to find the specified registry "
                         "key. " +
                         replaceAll(kNoRoot, "\n", " ")),
      Row("RunIntoAGameFolderThatIsGone", kBoth, {removes("SHGS/GAME/A")})
          .args(gameA)
          .logs(1, "<C>/SHGS/GAME/A" + kMissing +
                       ". Failed to enter directory C:\\SHGS\\GAME\\A")
          .logsOnWindows("C:\\SHGS\\GAME\\A: File not found. Failed to enter "
                         "directory C:\\SHGS\\GAME\\A"),
      // Nothing of a failed report reaches standard output.
      Row("ReportToStandardOutputThatFails", kBoth, {removes(kRecord)})
          .args({"--games", "A", "--output", "-"})
          .logs(1, "<C>/" + kRecord + kMissing + ". " + kNoRecord)
          .logsOnWindows(kWindowsRecord + ": File not found. " + kNoRecord)
          .screenIs(""),
  };
  for (std::size_t i = 0, made = rows.size(); i < made; ++i) {
    Row check = rows[i];
    check.name += "Checked";
    check.arguments.push_back("--check");
    check.completed = false;
    check.reportHolds.clear();
    check.golden.clear();
    rows.push_back(check);
  }
  for (const char* asked : {"--help", "--version"}) {
    rows.push_back(
        Row(std::string("AnswerTo") + (asked[2] == 'h' ? "Help" : "Version") +
                "IntoAFullOutput",
            kPosix)
            .args({asked})
            .process([](ProcessOptions* o) { o->outputPath = "/dev/full"; })
            .logs(1, std::string("standard output: No space left on device. "
                                 "Failed to write the ") +
                         (asked[2] == 'h' ? "help." : "version.")));
  }
  rows.push_back(Row("ReportToStandardOutput")
                     .args({"--games", "A", "--output", "-", "--plain"})
                     .ends(0, "", {})
                     .shows("\nGame A - Alpha - 1000 sectors")
                     .hides("[CODE]"));
  const std::string twoGames =
      kRegistry +
      "[game A]\nDirectory = C:\\A\nTitle = Alpha\n[game B]\n"
      "Directory = C:\\B\nTitle = x\n[game C]\nDeleted = T\nTitle = Gone\n";
  rows.push_back(
      Row("GamesListed", kBoth, {value("Games\\B", "Title", "\x1b[2J\tB")})
          .server(twoGames)
          .args({"--list-games"})
          .ends(0, "", {})
          .screenIs("A\tAlpha\tC:\\A\nB\t?[2J?B\tC:\\B\n"));
  rows.push_back(
      Row("GamesListedForPrograms", kBoth,
          {value("Games\\B", "Title", "\"B\"\x01")})
          .server(twoGames)
          .args({"--list-games", "--format", "json"})
          .ends(0, "", {})
          .screenIs(readFile(whole("GamesListedForPrograms", ".json"))));
  return rows;
}

std::vector<Row> rowsOfThisPlatform() {
  std::vector<Row> rows;
  for (const auto& part :
       {registryRows(), workFileRows(), descriptionAndPathRows(),
        reportNameRows(), menuAndViewerRows(), commandLineAndSignalRows(),
        optionRows(), goldenRows()}) {
    for (Row row : part) {
      if (kUnderWine && row.windowsChange) row.windowsChange(row);
      if ((row.on == kBoth || (row.on == kWindows) == kUnderWine) &&
          takesRow(row)) {
        rows.push_back(row);
      }
    }
  }
  return rows;
}

void expectHolds(const std::string& text, const Row::Words& holds,
                 const Row::Words& lacks, const Scene& scene) {
  for (const std::string& each : holds) {
    EXPECT_THAT(text, HasSubstr(asWritten(expanded(each, scene))));
  }
  for (const std::string& each : lacks) {
    EXPECT_THAT(text, Not(HasSubstr(asWritten(expanded(each, scene)))));
  }
}

class Scenario : public ::testing::TestWithParam<Row> {
 protected:
  std::unique_ptr<Stage> stage_ = makeStage();
};

TEST_P(Scenario, EndsAsTheRowSays) {
  Row row = GetParam();
  Scene scene;
  ASSERT_NO_FATAL_FAILURE(scene = stage_->install(row, row.description.empty()
                                                           ? kRegistry + kGames
                                                           : row.description));
  ASSERT_FALSE(row.completed && (row.exitCode != 0 || row.endedBy != 0))
      << "a row that completes cannot end otherwise";
  scene.input = row.arguments.empty() && row.signal == 0 ? row.input : "";
  makeDirectories(scene.at("victim"));
  writeFile(scene.at("victim/a"), "someone else's\n");
  for (const Step& spoil : row.spoils) ASSERT_NO_FATAL_FAILURE(spoil(scene));
  if (IsSkipped()) return;
  for (auto& variable : row.environment) {
    variable.second = expanded(variable.second, scene);
  }
  const TreeState server = stage_->serverState();
  const TreeState start = testing_support::treeStateOf(scene.at("start"));

  const ProcessResult result = stage_->run(row, scene);

  // Windows ends an interrupted run by its console's Ctrl-C handling.
  if (row.endedBy == 0) {
    EXPECT_EQ(result.exitCode, row.exitCode);
  } else if (!kUnderWine) {
    EXPECT_EQ(result.endedBySignal, row.endedBy);
  }
  // A completed run with the menu shows the report: POSIX says where it is
  // unless a viewer starts, Windows starts Notepad.
  const bool shown = row.completed && row.arguments.empty() &&
                     (kUnderWine ? row.notepadRecords : row.viewerLog.empty());
  std::string said =
      (row.where.empty() || kUnderWine ? "" : row.where + "\n") + row.message;
  if (shown && !kUnderWine) said += "Report written to " + row.report + "\n";
  EXPECT_EQ(result.standardError, asWritten(expanded(said, scene)));
  Names entries = row.left;
  entries.insert(row.kept.begin(), row.kept.end());
  if (row.completed) entries.insert(row.report);
  const std::string report = scene.at("start/" + row.report);
  if (kUnderWine && shown) {
    EXPECT_EQ(readFile(scene.at("start/notepad-args.txt")), row.report + "\n");
    EXPECT_TRUE(readFile(scene.at("start/notepad-saw.txt")) == readFile(report))
        << "Notepad saw another file, or the report before it was whole";
    entries.insert({"notepad-args.txt", "notepad-saw.txt"});
  }
  EXPECT_EQ(testing_support::entriesOf(scene.at("start")), entries);
  TreeState startAfter = testing_support::treeStateOf(scene.at("start"));
  for (const std::string& name : row.kept) {
    EXPECT_EQ(startAfter[name], start.at(name)) << name;
  }
  const std::string changes =
      testing_support::treeDifferences(server, stage_->serverState());
  EXPECT_EQ(changes, row.serverChanges);
  std::error_code ignored;  // a link loop is no report
  const std::string written =
      fs::is_regular_file(report, ignored) ? readFile(report) : "";
  // A new report gets the bits a new file gets: 0666 less the umask.
  if (row.completed && !kUnderWine && start.count(row.report) == 0) {
    const mode_t mask = umask(0);
    umask(mask);
    EXPECT_EQ(fs::status(report, ignored).permissions(),
              static_cast<fs::perms>(0666 & ~mask));
  }
  expectHolds(written, row.reportHolds, {}, scene);
  if (!row.golden.empty()) expectGolden(row.golden, written);
  expectHolds(result.standardOutput, row.screenHolds, row.screenLacks, scene);
  if (row.screen) {
    EXPECT_EQ(result.standardOutput, asWritten(*row.screen));
  }
  EXPECT_EQ(readFile(scene.temp + "/my viewer.log"),
            expanded(row.viewerLog, scene));
  const std::string descriptors = readFile(scene.temp + "/my viewer.fds");
  EXPECT_EQ(descriptors.find("->") == std::string::npos, row.viewerLog.empty());
  EXPECT_THAT(descriptors, Not(HasSubstr("qil")));
  EXPECT_THAT(descriptors, Not(HasSubstr(row.report)));
  if (row.maxMemoryMb != 0 && !kSanitized) {
    EXPECT_LT(result.peakMemoryKb, row.maxMemoryMb * 1024);
  }
  for (const Row::Check& check : row.checks) check(scene, row);
  stage_->finish(!row.spoils.empty() || row.menuStep || !changes.empty());
}

INSTANTIATE_TEST_SUITE_P(Rows, Scenario,
                         ::testing::ValuesIn(rowsOfThisPlatform()),
                         [](const auto& info) { return info.param.name; });

#ifndef SHGS_UNDER_WINE
// The clock of the golden reports: noon keeps every "Age of Game:" away from
// a day boundary, whatever the daylight saving shift of the day it counts
// from. Under Wine the session pins it; here libfaketime does, which a
// sanitized build must accept ahead of its own runtime.
Environment goldenClock() {
  std::string library;
  for (const char* each :
       {"/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1",
        "/usr/lib/aarch64-linux-gnu/faketime/libfaketime.so.1",
        "/usr/lib/faketime/libfaketime.so.1"}) {
    if (testing_support::fileExists(each)) library = each;
  }
  return {{"TZ", "EST5EDT"},
          {"LD_PRELOAD", library},
          {"FAKETIME", "@2026-12-06 12:00:00"},
          {"ASAN_OPTIONS", "verify_asan_link_order=0"}};
}

// The built program on a sample server in a Wine-style prefix.
class NativeStage : public Stage, private testing_support::SampleServer {
 public:
  Scene install(const Row& row, const std::string& description) override {
    Scene scene;
    makeServer(description);
    // Nobody may write in every folder of drive C (the error logs go
    // there), or in the start folder alone, and read the server's files.
    for (const auto& entry : fs::recursive_directory_iterator(drive(""))) {
      if (row.asNobody && entry.is_directory() &&
          (row.serverWritable || entry.path() == drive("start"))) {
        chmod(entry.path().c_str(), 0777);
      }
    }
    chmod(temp_.path().c_str(), 0755);
    writeFile(temp_ / "my viewer",
              "#!/bin/sh\n{ pwd; printf '%s\\n' \"$@\"; } >\"$0.log\"\n"
              "ls -l /proc/$$/fd >\"$0.fds\"\n");
    chmod((temp_ / "my viewer").c_str(), 0755);
    scene.driveC = prefix() + "/drive_c";
    scene.temp = temp_.path();
    scene.setValue = [this](const std::string& key, const std::string& name,
                            const std::string& text) {
      // system.reg holds a value escaped, on its line below its key's.
      std::string reg = readFile(prefix() + "/system.reg");
      const std::size_t line = reg.find(
          "\n\"" + name + "\"=",
          reg.find(replaceAll(kKey.substr(5) + (key.empty() ? "" : "\\" + key),
                              "\\", "\\\\") +
                   "]"));
      ASSERT_NE(line, std::string::npos) << key << " " << name;
      reg.replace(line + 1, reg.find('\n', line + 1) - line - 1,
                  "\"" + name + "\"=\"" +
                      replaceAll(replaceAll(text, "\\", "\\\\"), "\"", "\\\"") +
                      "\"");
      writeFile(prefix() + "/system.reg", reg);
    };
    return scene;
  }

  ProcessResult run(const Row& row, Scene& scene) override {
    ProcessOptions options;
    options.input = scene.input;
    options.arguments = row.arguments;
    if (row.signal != 0) {
      options.signalAfter = "option(s) to toggle: ";
      options.signal = row.signal;
      if (row.menuStep) options.beforeSignal = [&] { row.menuStep(scene); };
    }
    options.ignoredSignals = row.ignoredSignals;
    if (row.tweak) row.tweak(&options);
    constexpr int kNobody = 65534;
    if (row.asNobody && geteuid() == 0) options.userId = kNobody;
    Environment environment = row.environment;
    // Other rows' spoils are for one run.
    if (row.name.rfind("Golden_", 0) == 0) expectOtherBuildAgrees(row, options);
    if (!row.golden.empty()) {
      const Environment clock = goldenClock();
      environment.insert(clock.begin(), clock.end());
    }
    return runExporter(options, environment);
  }

  // SHGS_GOLDEN_EXPORTER=<program>: another build, the release's static
  // program, whose clock no preloaded library can pin, writes what this
  // build writes at the same real time and says the same.
  void expectOtherBuildAgrees(const Row& row, const ProcessOptions& options) {
    const char* other = std::getenv("SHGS_GOLDEN_EXPORTER");
    if (other == nullptr || *other == '\0') return;
    Environment unpinned = row.environment;
    unpinned.emplace("TZ", "EST5EDT");
    std::string said;
    const auto reportOf = [&](const std::string& program) {
      said = runProgram(program, options, unpinned).standardError;
      const std::string report = readFile(start() + "/" + row.report);
      fs::remove(start() + "/" + row.report);
      return report;
    };
    const std::string before = reportOf(SHGS_EXPORTER_PATH);
    const std::string theirs = reportOf(other);
    const std::string theySaid = said;
    const std::string after = reportOf(SHGS_EXPORTER_PATH);
    // A day may begin between two of the runs, but not twice.
    EXPECT_TRUE(testing_support::withTimeOf(before, theirs) == before ||
                testing_support::withTimeOf(after, theirs) == after)
        << other << " wrote another report than this build";
    EXPECT_EQ(theySaid, said) << other;
  }

  TreeState serverState() override { return SampleServer::serverState(); }
  void finish(bool) override {}
};
#endif

}  // namespace

std::string defaultServer() { return kRegistry + kGames; }

#ifndef SHGS_UNDER_WINE
std::unique_ptr<Stage> makeStage() { return std::make_unique<NativeStage>(); }
bool takesRow(Row&) { return true; }
#endif

}  // namespace scenario
}  // namespace shgs
