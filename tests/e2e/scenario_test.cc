// Whole runs on sample servers, one row each: hostile and unlucky
// surroundings (planted and linked work files, odd registry files, refused
// report names, interruption), broken inputs, the command line, memory
// bounds, and under Wine the golden reports. Each row ends with its
// messages and exit status, leaves exactly the start folder it says, and
// changes nothing of the server's but what it says. Built natively (label
// e2e) and into the Wine tier (SHGS_UNDER_WINE, label wine).
#include "e2e/scenario.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
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
using testing_support::entriesOf;
using testing_support::makeDirectories;
using testing_support::readFile;
using testing_support::replaceAll;
using testing_support::treeDifferences;
using testing_support::treeStateOf;
using testing_support::writeFile;
using Names = Row::Names;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
constexpr bool kSanitized = __has_feature(address_sanitizer);
#else
constexpr bool kSanitized = false;
#endif

const std::string kServerKey =
    "HKLM\\Software\\Orbital Forge Software\\Starhaul Deluxe Game Server";
const std::string kNoServerRoot =
    "Failed to open registry data; ServerRoot key not found.\n"
    "Make sure SHGS is installed on this PC.";
const std::string kNoKey = "<prefix>/system.reg: no key " + kServerKey;
constexpr char kNoCapture[] = "Failed to initialize registry data.";
constexpr char kNoLog[] = "Error log failed to open.";
constexpr char kRefused[] = "Failed to create output file.";
constexpr char kInputEnded[] =
    "Input ended before the options were confirmed; no report was written.";
constexpr char kDefaultReport[] = "SHGS Game Data.TXT";
const Names kLog = {"qilerror.txt"};
const Names kCaptureAndLog = {"qil.tmp", "qilerror.txt"};
const Names kFolderAndLog = {"adir", "qilerror.txt"};
constexpr char kViewer[] = "'<temp>/my viewer'";  // as an editor setting
constexpr char kDescription[] = "SHGS/DescFile/Game1.txt";
constexpr char kRealServer[] = "telnet:\\\\10.0.0.1:2002[";
constexpr char kEarlierLog[] = "an earlier run's log\n";

const std::string kRegistry =
    "[registry]\nServerRoot = C:\\SHGS\nLimitIP = F\nIPAddr = 10.0.0.1\n"
    "NameAddr = \"\"\nPort = 2002\nNodeMax = 12\n";
// Six games for the forum warning; only A has its files.
const std::string kGames =
    "[game A]\nDeleted = F\nActive = T\nDirectory = C:\\SHGS\\GAME\\A\n"
    "Description = Game1.txt\nTitle = Alpha\n"
    "[game B]\nDirectory = C:\\SHGS\\GAME\\B\n[game C]\nDirectory = C:\\C\n"
    "[game D]\nDirectory = C:\\D\n[game E]\nDirectory = C:\\E\n"
    "[game F]\nDirectory = C:\\F\n[shglob]\nserverName = Test Server\n"
    "runningName = SHGS\nversionMajor = 2\nversionMinor = 6\n"
    "[shcfig A]\nsectors = 1000\nturnsPerDay = 100\n"
    "[file C:\\SHGS\\DescFile\\Game1.txt]\nThe first game.\n[end]\n";
// Game S lives in the start folder, game T in game C's; game Z's folder
// does not exist.
const std::string kFolders =
    "[registry]\nServerRoot = C:\\SHGS\nIPAddr = 10.0.0.1\nPort = 23\n"
    "[game A]\nDirectory = C:\\SHGS\\GAME\\A\nTitle = Alpha\n"
    "[game B]\nDirectory = C:\\SHGS\\GAME\\B\nTitle = Beta\n"
    "[game C]\nDirectory = C:\\SHGS\\GAME\\C\nTitle = Gamma\n"
    "[game S]\nDirectory = C:\\start\nTitle = Started here\n"
    "[game T]\nDirectory = C:\\SHGS\\GAME\\C\nTitle = Shares C\n"
    "[game Z]\nDirectory = C:\\SHGS\\Gone\\Z\nTitle = Lost\n"
    "[shglob]\nversionMajor = 2\n[shcfig A]\nsectors = 1000\n"
    "[shcfig B]\nsectors = 2000\n[shcfig C]\nsectors = 3000\n"
    "[shcfig S]\nsectors = 4000\n";
// Values with blanks where reg.exe's listing sets off its columns.
constexpr char kBlankTitle[] = "  Four    REG_SZ    Blanks  ";
const std::string kBlanks =
    "[registry]\nServerRoot = C:\\Blank  Server\nIPAddr = 192.0.2.44\n"
    "NameAddr = \"\"\nPort = 4000\n[game A]\n"
    "Directory = C:\\Blank  Server\\Game    A\nDescription = about.txt\n"
    "Title = \"" +
    std::string(kBlankTitle) +
    "\"\n[shglob]\nserverName = x\n"
    "[shcfig A]\nsectors = 1000\n"
    "[file C:\\Blank  Server\\DescFile\\about.txt]\nValues arrive "
    "whole.\n[end]\n";

// A listing that names another server: it must never stand in for the
// registry.
constexpr char kForgedCapture[] =
    "\r\nHKEY_LOCAL_MACHINE\\Software\\Orbital Forge Software\\Starhaul Deluxe "
    "Game Server\r\n    ServerRoot    REG_SZ    C:\\SHGS\r\n"
    "    IPAddr    REG_SZ    6.6.6.6\r\n    Port    REG_SZ    666\r\n";

// Game A's description in the report: between the heading and the link.
std::string excerpt(const std::string& lines) {
  return "100 turns[/COLOR]" + lines + "\n[url]shplay:";
}
const std::string kExcerpt = excerpt("\nThe first game.");

// A 32-bit strtol clamps, where atoi's overflow is undefined; the report
// shows the clamped value as a 16-bit number.
std::string numbers(const std::string& port, const std::string& nodeMax) {
  return "[registry]\nServerRoot = C:\\SHGS\nIPAddr = 10.0.0.1\nNameAddr = "
         "\"\"\nPort = " +
         port + "\nNodeMax = " + nodeMax + "\n" + kGames;
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
// 10 << "megabytes" of keys below the server's key (as system.reg writes
// them) that the exporter does not read, with words it looks for.
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

// ---- Checks after the run.

// The report holds "texts" in this order, the first at its start.
Row::Check inOrder(const std::vector<std::string>& texts) {
  return [=](const Scene& s, const Row& row) {
    const std::string report = readFile(s.at("start/" + row.report));
    std::size_t at = 0;
    for (const std::string& text : texts) {
      const std::size_t found = report.find(asWritten(text), at);
      EXPECT_TRUE(found != std::string::npos && (at > 0 || found == 0))
          << text << " not after " << report.substr(0, at);
      at = found + 1;
    }
  };
}
Row::Check fileHolds(const std::string& path, const std::string& content) {
  return [=](const Scene& s, const Row&) {
    EXPECT_EQ(readFile(s.at(path)), content) << path;
  };
}
Row::Check modeIs(const std::string& path, mode_t mode) {
  return [=](const Scene& s, const Row&) {
    struct stat info {};
    ASSERT_EQ(stat(s.at(path).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, mode) << path;
  };
}

std::vector<Row> registryRows() {
  const std::string notRegular = "<prefix>/system.reg: not a regular file";
  const std::string escapedNul = std::string("\"10.0\0.0.1\"", 11);
  return {
      Row("NoServerKey")
          .server(kRegistry + "@absent = true\n" + kGames)
          .stops(kNoKey, kNoServerRoot, kCaptureAndLog),
      // Each Windows build looks in its own view only.
      Row("ServerIn64BitViewFor32BitBuild", kWindows)
          .onWindows([](Row& r) { r.view64 = true; })
          .stops("", kNoServerRoot, kCaptureAndLog)
          .screenIs(""),
      Row("ServerIn32BitViewFor64BitBuild", kWindows)
          .onWindows([](Row& r) { r.build64 = true; })
          .stops("", kNoServerRoot, kCaptureAndLog)
          .screenIs(""),
      Row("SystemRegOfNoise", kPosix, {[](Scene& s) {
            std::mt19937 random(11);
            std::string noise(10 << 20, '\0');
            for (char& c : noise) c = static_cast<char>(random());
            writeFile(s.at("../system.reg"), noise);
          }})
          .stops(kNoKey, kNoServerRoot, kCaptureAndLog),
      Row("TenMegabytesOfUnrelatedKeys", kPosix, {appendsUnrelatedKeys(10)})
          .completes({kRealServer, "Game A - Alpha - 1000 sectors"}),
      // An escaped NUL in one value, a raw NUL byte in another.
      Row("NulEndsAValue", kPosix,
          {regEdit("\"Alpha\"", "\"Al\\0pha\""),
           regEdit("\"10.0.0.1\"", escapedNul)})
          .completes({"[yellow]Game A - Al - 1000 sectors", "telnet:\\\\10.0:"})
          .lacks("Alpha"),
      Row("ValueWithoutData", kPosix,
          {regEdit("\"Port\"=\"2002\"", "\"Port\"=")})
          .completes({"[url]telnet:\\\\10.0.0.1:0[/url]",
                      "shplay:\\\\10.0.0.1:0\\new"}),
      // The line end splits the value line; the second half is a value
      // line with a name alone, whose value is empty.
      Row("LineEndInsideAValue", kPosix,
          {regEdit("\"C:\\\\SHGS\"", "\"C:\\\\SHGS\\n    IPAddr\"")})
          .completes({"[url]telnet:\\\\:2002[/url]", "Game A - Alpha"}),
      Row("CutInsideTheGamesSectionLine", kPosix,
          {regEdit("Games\\\\A", std::nullopt)})
          .completes({"Test Server running SHGS"})
          .lacks("Game A"),
      // Game A keeps its entry, without the values that the cut took.
      Row("CutInsideAnEscape", kPosix,
          {regEdit("\"Directory\"=\"C:\\", std::nullopt)})
          .stops("<C>/SHGS/GAME/QnF: No such file or directory",
                 "Failed to enter directory QnF", kLog),
      Row("CutInsideServerRoot", kPosix,
          {regEdit("\"ServerRoot\"=\"C:\\\\SH", std::nullopt)})
          .stops("<prefix>/system.reg: no value ServerRoot in " + kServerKey,
                 kNoServerRoot, kCaptureAndLog),
      Row("SystemRegIsAFifo", kPosix, {fifo("../system.reg")})
          .stops(notRegular, kNoServerRoot, kCaptureAndLog),
      Row("SystemRegLinkedToDevZero", kPosix,
          {links("../system.reg", "/dev/zero")})
          .stops(notRegular, kNoServerRoot, kCaptureAndLog),
      Row("SystemRegUnreadable", kPosix, {chmods("../system.reg", 0)})
          .unprivileged()
          .stops("<prefix>/system.reg: Permission denied", kNoServerRoot,
                 kCaptureAndLog),
      Row("SystemRegMissing", kPosix, {removes("../system.reg")})
          .stops("<prefix>/system.reg: No such file or directory",
                 kNoServerRoot, kCaptureAndLog),
      Row("PrefixMissing", kPosix)
          .env({{"WINEPREFIX", "<prefix>/no"}})
          .stops("<prefix>/no/system.reg: No such file or directory",
                 kNoServerRoot, kCaptureAndLog),
      // Made absolute at start: the folder changes do not move it.
      Row("RelativePrefix", kPosix)
          .env({{"WINEPREFIX", "../.."}})
          .completes({"Test Server running SHGS", kExcerpt}),
      Row("NumbersAbove32Bits")
          .server(numbers("99999999999", "4294967308"))
          .completes({"telnet:\\\\10.0.0.1:65535[", "\n65535 nodes;",
                      "shplay:\\\\10.0.0.1:65535\\new"}),
      Row("NumbersBelow32Bits")
          .server(numbers("-99999999999", "-4294967297"))
          .completes({"telnet:\\\\10.0.0.1:0[", "\n0 nodes;"}),
      Row("ValuesWithBlanksArriveWhole", kBoth, {}, "%A!\n")
          .server(kBlanks)
          .named(kDefaultReport)
          .completes({"\nGame A - " + std::string(kBlankTitle) + " - 1000",
                      "\ntelnet:\\\\192.0.2.44:4000\n",
                      "\nValues arrive whole.\n"})
          .shows("(A) " + std::string(kBlankTitle) + "   C:\\Blank  Server\\" +
                 "Game    A" + std::string(15, ' ') + "\n"),
  };
}

// Whatever stands at a work file's name, the work file is the run's own,
// never reached through a link.
std::vector<Row> workFileRows() {
  const std::string startLogLinked = "<start>/qilerror.txt: is a symbolic link";
  const auto refusedOnWindows = [](Row& r) {
    r.keeping({"qil.tmp"}).stops("", kNoCapture, kLog);
  };
  return {
      Row("PlantedCapturesInOtherCases", kPosix,
          {writes("start/QIL.TMP", kForgedCapture),
           writes("start/Qil.tmp", kForgedCapture)})
          .keeping({"QIL.TMP", "Qil.tmp"})
          .completes({kRealServer})
          .lacks("6.6.6.6"),
      // POSIX replaces the link, the read-only file; Windows refuses them.
      Row("CaptureIsALink", kBoth,
          {links("start/qil.tmp", "<C>/victim/file.txt")})
          .completes({kRealServer})
          .onWindows(refusedOnWindows),
      Row("CaptureIsADanglingLink", kBoth,
          {links("start/qil.tmp", "<C>/victim/new.txt")})
          .completes({kRealServer})
          .onWindows(refusedOnWindows),
      Row("CaptureIsReadOnly", kBoth,
          {writes("start/qil.tmp", kForgedCapture),
           chmods("start/qil.tmp", 0444)})
          .unprivileged()
          .completes({kRealServer})
          .lacks("6.6.6.6")
          .onWindows([&](Row& r) { refusedOnWindows(r.screenIs("")); }),
      Row("CaptureIsAFifo", kPosix, {fifo("start/qil.tmp")})
          .completes({kRealServer}),
      Row("CaptureIsAFolder", kBoth, {makesFolder("start/qil.tmp")})
          .stops("<start>/qil.tmp: Is a directory", kNoCapture, kCaptureAndLog),
      Row("ErrorLogIsALink", kBoth,
          {links("start/qilerror.txt", "<C>/victim/file.txt")})
          .keeping(kLog)
          .stops(startLogLinked, kNoLog, {}),
      Row("ErrorLogIsADanglingLink", kBoth,
          {links("start/qilerror.txt", "<C>/victim/new.txt")})
          .keeping(kLog)
          .stops(startLogLinked, kNoLog, {}),
      Row("ErrorLogIsAFifo", kPosix, {fifo("start/qilerror.txt")})
          .stops("<start>/qilerror.txt: not a regular file", kNoLog, kLog),
      Row("ErrorLogIsAFolder", kBoth, {makesFolder("start/qilerror.txt")})
          .stops("<start>/qilerror.txt: Is a directory", kNoLog, kLog),
      Row("GameErrorLogIsALink", kBoth,
          {links("SHGS/GAME/A/qilerror.txt", "<C>/victim/file.txt")})
          .stops("<C>/SHGS/GAME/A/qilerror.txt: is a symbolic link", kNoLog,
                 kLog),
  };
}

std::vector<Row> descriptionAndPathRows() {
  const std::string noA = "<C>/SHGS/GAME/A: No such file or directory";
  const std::string enterA = "Failed to enter directory C:\\SHGS\\GAME\\A";
  const std::string deep = repeated("\\x", 20000);
  return {
      // Bytes beyond ASCII pass; CR LF ends a line, and Ctrl-Z the text.
      Row("DescriptionOfOddBytes", kBoth,
          {writes(kDescription, "\x89PNG\r\nsecond\x1athird\n")})
          .completes({excerpt("\n\x89PNG\nsecond")}),
      Row("EmptyDescription", kBoth, {writes(kDescription, "")})
          .completes({excerpt("")}),
      Row("DescriptionWithoutLineEnd", kBoth,
          {writes(kDescription, "one line only")})
          .completes({excerpt("\none line only")}),
      Row("DescriptionIsAFolder", kBoth,
          {removes(kDescription), makesFolder(kDescription)})
          .completes({excerpt("")}),
      // Opening a FIFO for reading would wait for a writer for ever.
      Row("DescriptionIsAFifo", kPosix, {fifo(kDescription)})
          .completes({excerpt("")}),
      // A file the kernel makes up as it is read has no size to read.
      Row("DescriptionLinkedToTheEnvironment", kPosix,
          {links(kDescription, "/proc/self/environ")})
          .completes({excerpt("")})
          .lacks("WINEPREFIX"),
      // A 200 MB description of one line, sparse: the excerpt reads only
      // its budget.
      Row("HugeOneLineDescription", kPosix,
          {writes(kDescription, ""),
           [](Scene& s) { fs::resize_file(s.at(kDescription), 200u << 20); }})
          .completes({excerpt(repeated("\n" + std::string(80, '\0'), 4) + "\n" +
                              std::string(77, '\0') + "...")})
          .memoryBelow(16),
      Row("GameFolderMissing", kBoth, {removes("SHGS/GAME/A")})
          .stops(noA, enterA, kLog),
      Row("GameFolderThatCannotBeEntered", kPosix,
          {chmods("SHGS/GAME/A", 0666)})
          .unprivileged()
          .stops("<C>/SHGS/GAME/A: Permission denied", enterA, kLog),
      Row("GameFolderIsAFile", kBoth,
          {removes("SHGS/GAME/A"), writes("SHGS/GAME/A", "not a folder")})
          .stops("<C>/SHGS/GAME/A: Not a directory", enterA, kLog),
      Row("ServerGameFolderMissing", kBoth, {removes("SHGS/GAME")})
          .stops("<C>/SHGS/GAME: No such file or directory",
                 "Failed to enter directory C:\\SHGS\\GAME", kLog),
      Row("GlobalDataMissing", kBoth, {removes("SHGS/GAME/shglob.dat")})
          .stops("<C>/SHGS/GAME/shglob.dat: No such file or directory",
                 "Global data failed to open.", kLog)
          .changes("added SHGS/GAME/qilerror.txt\n"),
      // Relative to the folder current at that moment: the server's GAME
      // folder after the server section, else the start folder.
      Row("RelativeGameFolderFromTheGameFolder", kBoth, {gameFolder("A")})
          .completes({kExcerpt}),
      Row("RelativeGameFolderFromTheStartFolder", kBoth, {gameFolder("A")},
          "$ out.txt\n*A!\n")
          .stops("<start>/A: No such file or directory",
                 "Failed to enter directory A", kLog),
      Row("ServerRootWithTrailingBackslash", kBoth,
          {value("", "ServerRoot", "C:\\SHGS\\")})
          .completes({"Test Server running SHGS", kExcerpt}),
      Row("ServerRootWithForwardSlashes", kBoth,
          {value("", "ServerRoot", "C:/SHGS")})
          .completes({"Test Server running SHGS", kExcerpt}),
      // Windows ignores trailing dots and blanks, and "\" is on drive C.
      Row("GameFolderWithTrailingDotsAndBlanks", kBoth,
          {gameFolder("C:\\SHGS\\GAME\\A. .")})
          .completes({kExcerpt}),
      Row("GameFolderFromTheDriveRoot", kBoth, {gameFolder("\\SHGS\\GAME\\A")})
          .completes({kExcerpt}),
      // Two separators, as of a share, start at the host's own root.
      Row("GameFolderFromTheHostRoot", kPosix, {[](Scene& s) {
            s.setValue("Games\\A", "Directory",
                       "\\" + replaceAll(s.at("SHGS/GAME/A"), "/", "\\"));
          }})
          .completes({kExcerpt}),
      Row("ControlSequencesInAMissingFolder", kBoth,
          {gameFolder("C:\\SHGS\\\x1b[8mA")})
          .stops("<C>/SHGS/?[8mA: No such file or directory",
                 "Failed to enter directory C:\\SHGS\\?[8mA", kLog),
      Row("FolderOfTwentyThousandNames", kPosix,
          {gameFolder("C:\\SHGS\\GAME\\A" + deep)})
          .process([](ProcessOptions* o) { o->killAfterSeconds = 60; })
          .stops("<C>/SHGS/GAME/A" + repeated("/x", 20000) +
                     ": No such file or directory",
                 "Failed to enter directory C:\\SHGS\\GAME\\A" + deep, kLog),
  };
}

// The report is written whole, and never where a file the run reads or
// removes is or will be, however the name is spelled: the refusal comes
// before anything is truncated.
std::vector<Row> reportNameRows() {
  const std::string removed = ": is a file the run removes";
  const auto typed = [](const std::string& row, const std::string& name,
                        std::vector<Step> spoils = {}) {
    return Row(row, kBoth, spoils, "$ " + name + "\nA!\n");
  };
  const auto reads = [](const std::string& path) {
    return "<C>/" + path + ": is a file the run reads";
  };
  const std::string record = "SHGS/GAME/A/shcfig.dat";
  return {
      typed("ReportNameIsAFolder", "adir", {makesFolder("start/adir")})
          .stops("<start>/adir: Is a directory", kRefused, kFolderAndLog),
      typed("ReportInAMissingFolder", "missing/out.txt")
          .stops("<start>/missing: No such file or directory", kRefused, kLog),
      typed("ReportNamedAsTheErrorLog", "qilerror.txt")
          .stops("<start>/qilerror.txt" + removed, kRefused, kLog),
      typed("ReportNamedAsACapture", "adir/QIL.TMP",
            {makesFolder("start/adir")})
          .stops("<start>/adir/QIL.TMP" + removed, kRefused, kFolderAndLog),
      // A backslash separates names on POSIX too.
      typed("ReportNamedAsAnErrorLogAfterABackslash", "adir\\qilerror.txt",
            {makesFolder("start/adir")})
          .stops("<start>/adir\\qilerror.txt" + removed, kRefused,
                 kFolderAndLog),
      Row("ReportNameIsADevice", kPosix, {}, "$ /dev/full\nA!\n")
          .stops("/dev/full: not a regular file", kRefused, kLog),
      typed("ReportNameWithANulByte", std::string("qilerror.txt\0x", 14),
            {writes("start/qilerror.txt", kEarlierLog)})
          .keeping(kLog)
          .stops("qilerror.txt?x: a name cannot hold a NUL byte", kRefused, {}),
      Row("ReportNamedAsTheErrorLogWithATrailingDot", kWindows,
          {writes("start/qilerror.txt", kEarlierLog)}, "$\nqilerror.txt.\nA!\n")
          .keeping(kLog)
          .stops("", kRefused, {}),
      Row("ReportNamedByTheShortNameOfTheGameRecord", kWindows,
          {writes("start/qilerror.txt", kEarlierLog),
           [](Scene& s) {
             const std::string name =
                 s.shortName("C:\\Blank  Server\\Game    A\\shcfig.dat");
             ASSERT_NE(name.find('~'), std::string::npos) << name;
             s.input = "$\n" + name + "\n%A!\n";
           }})
          .server(kBlanks)
          .keeping(kLog)
          .stops("", kRefused, {}),
      typed("ReportNamedAsTheGameRecord", "../" + record)
          .stops(reads(record), kRefused, kLog),
      typed("ReportNamedAsTheGlobalRecord", "../SHGS/GAME/shglob.dat")
          .stops(reads("SHGS/GAME/shglob.dat"), kRefused, kLog),
      typed("ReportNamedAsTheDescription", "../SHGS/DescFile/Game1.txt")
          .stops(reads(kDescription), kRefused, kLog),
      Row("ReportNamedAsSystemReg", kPosix, {}, "$ ../../system.reg\nA!\n")
          .stops("<prefix>/system.reg: is a file the run reads", kRefused,
                 kLog),
      // Found without regard to case, such a file would be read next time.
      typed("ReportNamedAsARecordStoredInUpperCase", "../" + record,
            {[=](Scene& s) {
              fs::rename(s.at(record), s.at("SHGS/GAME/A/SHCFIG.DAT"));
            }})
          .stops(reads(record), kRefused, kLog),
      typed("ReportNamedAsAMissingRecord", "../" + record, {removes(record)})
          .stops(reads(record), kRefused, kLog)
          .onWindows([](Row& r) {
            r.input = "$ c:\\shgs\\game\\a\\SHCFIG.DAT\nA!\n";
          }),
      Row("ReportNameLinkedToTheErrorLog", kPosix,
          {links("start/report.txt", "qilerror.txt")}, "$ report.txt\nA!\n")
          .stops("<start>/qilerror.txt" + removed, kRefused,
                 {"qilerror.txt", "report.txt"}),
      // Planted under the default name, leading where a reader's log will be.
      Row("DefaultReportNameLinkedToAGameLog", kPosix,
          {links("start/SHGS Game Data.TXT", "<C>/SHGS/GAME/A/qilerror.txt")},
          "A!\n")
          .keeping({kDefaultReport})
          .stops("<C>/SHGS/GAME/A/qilerror.txt" + removed, kRefused, kLog),
      Row("ReportNameHardLinkedToTheGameRecord", kPosix,
          {hardLinks("start/report.txt", record)}, "$ report.txt\nA!\n")
          .stops("<start>/report.txt: is a file the run reads", kRefused,
                 {"qilerror.txt", "report.txt"}),
      // A game's log left over from an earlier failed run.
      Row("ReportNameHardLinkedToAStaleGameLog", kPosix,
          {writes("SHGS/GAME/A/qilerror.txt", kEarlierLog),
           hardLinks("start/report.txt", "SHGS/GAME/A/qilerror.txt")},
          "$ report.txt\nA!\n")
          .keeping({"report.txt"})
          .stops("<start>/report.txt" + removed, kRefused, kLog),
      Row("ReportNameIsAFifo", kPosix, {fifo("start/out.txt")})
          .keeping({"out.txt"})
          .stops("<start>/out.txt: not a regular file", kRefused, kLog),
      // The link stays; the file it leads to gets the report.
      Row("ReportNameIsALinkToAnotherFile", kPosix,
          {makesFolder("start/reports"),
           writes("start/reports/r.txt", "an earlier report\n"),
           links("start/out.txt", "reports/r.txt")})
          .keeping({"out.txt"})
          .completes({"Game A - Alpha"})
          .leaving({"reports"}),
      // A new file takes the place of the earlier report, with its bits.
      Row("ReplacedReportKeepsItsPermissionBits", kPosix,
          {writes("start/out.txt", "an earlier report\n"),
           chmods("start/out.txt", 0604)})
          .completes({"Game A - Alpha"})
          .then(modeIs("start/out.txt", 0604)),
  };
}

// Data are shown as data, never as instructions to the terminal; the
// viewer gets the report's name as typed, as its last argument, and no
// descriptor of the run's files.
std::vector<Row> menuAndViewerRows() {
  const std::string hidden = "\x1b]0;owned\x07\x1b[8m";
  const std::string odd = "a\"b;touch${IFS}evil;$(touch${IFS}evil2)'c'.txt";
  const std::string placed =
      "\nOutput file will be placed in\n<start>\n(unless a directory was "
      "specified with the filename on the options screen).\n";
  return {
      Row("InputEndsInTheMenu", kBoth, {}, "A\n*").stops("", kInputEnded, {}),
      Row("InputEndsAtTheFileNamePrompt", kBoth, {}, "A $")
          .stops("", kInputEnded, {}),
      Row("InputEndsAtTheForumWarning", kBoth, {}, "ABCDEF!")
          .stops("", kInputEnded, {}),
      Row("ControlSequencesInATitle", kBoth,
          {value("Games\\A", "Title", "Alpha" + hidden)})
          .completes({"Game A - Alpha" + hidden + " - 1000 sectors"})
          .shows("(A) Alpha?]0;owned??[8m ")
          .hides("\x1b]"),
      // Each caret toggles the listed games; millions of them cost no
      // memory (an even number leaves the selection as it was).
      Row("ManyCarets", kPosix, {[](Scene& s) {
            s.input = "$ out.txt\n" + std::string(5 << 20, '^') + "A!\n";
          }})
          .completes({"Game A - Alpha"})
          .lacks("Game B - ")
          .memoryBelow(24),
      // Input that never ends a word costs the menu no memory.
      Row("EndlessWord", kPosix)
          .process([](ProcessOptions* o) {
            o->inputPath = "/dev/zero";
            o->killAfterSeconds = 3;
          })
          .endsBy(SIGKILL, kLog)
          .memoryBelow(24),
      Row("StandardInputLeftNonBlocking", kPosix)
          .process([](ProcessOptions* o) {
            o->nonBlockingInput = true;
            o->inputAfter = "option(s) to toggle: ";
          })
          .completes({"Game A - Alpha"}),
      // Blanks name no editor, so no command is run on the report's name.
      Row("BlankEditorIsNoEditor", kPosix)
          .env({{"EDITOR", " "}, {"VISUAL", "\t"}})
          .completes({"Game A - Alpha"}),
      Row("EditorWithAnOpenQuote", kPosix)
          .env({{"EDITOR", "vi 'x"}})
          .completes({"Game A - Alpha"})
          .warning("EDITOR could not be used: a quote is not closed"),
      Row("EditorThatCannotBeStarted", kPosix)
          .env({{"VISUAL", "/nonexistent/editor --wait"}})
          .completes({"Game A - Alpha"})
          .warning("VISUAL could not be used: /nonexistent/editor: No such "
                   "file or directory"),
      // Split into words as a shell splits them, nothing expanded.
      Row("EditorQuotedWithATab", kPosix)
          .env({{"EDITOR", "'<temp>/my viewer'\t-x"}})
          .completes()
          .viewerSaw("<start>\n-x\nout.txt\n"),
      Row("VisualWithDoubleQuotesAndEscapes", kPosix)
          .env({{"VISUAL", "<temp>/my\\ viewer \"a \\\"b\\\" $HOME\" c\\ d"},
                {"EDITOR", "/bin/false"}})
          .completes()
          .viewerSaw("<start>\na \"b\" $HOME\nc d\nout.txt\n"),
      // Games go in letter order, a shared folder and the start folder too;
      // an older game log goes with the run's own.
      Row("FoldersSharedAndStartedIn", kBoth,
          {writes("SHGS/GAME/B/qilerror.txt", "older log\n")},
          "$ " + odd + "\nBACST!\n")
          .server(kFolders)
          .env({{"EDITOR", kViewer}})
          .named(odd)
          .completes()
          .viewerSaw("<start>\n" + odd + "\n")
          .shows(placed)
          .shows("(A) Alpha ")
          .leaving({"shcfig.dat"})
          .then(inOrder({"[CODE][white]\n", "Game A - Alpha", "Game B - Beta",
                         "Game C - Gamma", "Game S - Started here - 4000",
                         "Game T - Shares C"}))
          .changes("removed SHGS/GAME/B/qilerror.txt\n")
          // The command processor would expand %OS%, even in quotes.
          .onWindows([placed](Row& r) {
            r.input = "$ %OS%.txt\nBACST!\n";
            r.report = "%OS%.txt";
            r.left = {"%OS%.txt", "shcfig.dat"};
            r.screenHolds = {replaceAll(placed, "<start>", "C:\\start"),
                             "(A) Alpha "};
            r.viewerLog.clear();
            r.shown = true;
          }),
      // The readers alive at the end keep their logs; the report that was
      // there before stays as it was, and no viewer starts.
      Row("MissingConfigurationStopsAfterTheGamesBeforeIt", kBoth,
          {removes("SHGS/GAME/B/shcfig.dat"),
           writes("SHGS/GAME/B/qilerror.txt", "older log\n"),
           writes("start/SHGS Game Data.TXT", "an earlier report\n")},
          "CBA!\n")
          .server(kFolders)
          .env({{"EDITOR", kViewer}})
          .keeping({kDefaultReport})
          .stops("<C>/SHGS/GAME/B/shcfig.dat: No such file or directory",
                 "Configuration data failed to open.",
                 {"qilerror.txt", "shcfig.dat"}),
  };
}

// Arguments are read before anything is made; any option writes the report
// without the menu, saying nothing when all went well.
std::vector<Row> commandLineRows() {
  return {
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
      Row("UnknownOption")
          .args({"--games", "A", "--colour"})
          .misunderstood("unrecognized option '--colour'"),
      Row("OptionWithoutItsValue")
          .args({"--output"})
          .misunderstood("option '--output' requires an argument"),
      Row("GamesThatAreNoLetters")
          .args({"--games", "A1"})
          .misunderstood("invalid letters 'A1' for '--games'"),
      Row("StrayArgument")
          .args({"report.txt"})
          .misunderstood("unexpected argument 'report.txt'"),
      // Known only once the registry is read; its work files go again.
      Row("LetterOfNoListedGame")
          .args({"--games", "aQ"})
          .misunderstood("no listed game has the letter 'Q' of '--games'"),
      Row("RunWithoutTheMenu")
          .args({"--games", "a", "--output", "out.txt", "--plain"})
          .env({{"EDITOR", "/bin/false"}})
          .completes({"\nGame A - Alpha - 1000 sectors"})
          .lacks("[CODE]")
          .screenIs(""),
      Row("RunWithoutTheMenuThatFails")
          .args({"--games", "A", "--output", "missing/out.txt"})
          .stops("<start>/missing: No such file or directory", kRefused, kLog),
  };
}

// Ctrl-C and its kin at the menu, and every other signal that ends a
// program, remove the files the run holds, and only those; the run ends as
// the signal ends a program. Large inputs keep the run small.
std::vector<Row> signalAndMemoryRows() {
  std::vector<Row> rows;
  for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGXFSZ,
                           SIGXCPU, SIGALRM, SIGUSR1, SIGRTMIN}) {
    rows.push_back(Row("EndedBySignal" + std::to_string(signal),
                       signal == SIGINT ? kBoth : kPosix)
                       .atMenu(signal)
                       .endsBy(signal, {})
                       .shows("Enter game letter(s)")
                       .hides("Output file will be placed in"));
  }
  rows.push_back(Row("InterruptionSparesAnotherRunsLog", kPosix)
                     .atMenu(SIGINT,
                             [](Scene& s) {
                               fs::remove(s.at("start/qilerror.txt"));
                               writeFile(s.at("start/qilerror.txt"), "other\n");
                             })
                     .endsBy(SIGINT, kLog)
                     .then(fileHolds("start/qilerror.txt", "other\n")));
  // Ignored from the start, as under nohup, a hang-up stays ignored.
  rows.push_back(Row("HangUpIgnoredAtStart", kPosix)
                     .atMenu(SIGHUP, {}, SIGHUP)
                     .stops("", kInputEnded, {}));
  // A 100 MB registry file of a 64-bit prefix, nearly all of it keys below
  // the server's 64-bit key after its 32-bit one: the listing keeps only
  // the 32-bit view, dropping the other as soon as that view appears.
  rows.push_back(
      Row("HugeSystemRegOfBothViews", kPosix, {appendsUnrelatedKeys(100)})
          .server(kRegistry + "@view = 32\n" + kGames)
          .completes({"Game A - Alpha"})
          .memoryBelow(32));
  // A key too big for the memory the run may have is no listing, never a
  // server with fewer games. The limit would stop sanitizers at start.
  if (!kSanitized) {
    rows.push_back(
        Row("ListingBeyondTheMemoryLimit", kPosix, {appendsUnrelatedKeys(60)})
            .process([](ProcessOptions* o) { o->addressSpaceMb = 64; })
            .stops("<start>/qil.tmp: Cannot allocate memory", kNoCapture,
                   kLog));
  }
  return rows;
}

// What only the Windows program has: the system's programs, started by
// full path, and Notepad, whose outcome is not the run's.
std::vector<Row> windowsRows() {
  return {
      Row("PlantedSystemProgramsNeverRun", kWindows, {[](Scene& s) {
#ifdef SHGS_UNDER_WINE
            for (const char* name : {"reg.exe", "notepad.exe"}) {
              fs::copy_file(SHGS_WINE_HELPERS_DIR "/planted.exe",
                            s.at("start/" + std::string(name)));
            }
#endif
            for (const char* name : {"reg.bat", "reg.cmd"}) {
              writeFile(s.at("start/" + std::string(name)),
                        "@echo %0 %*>>planted-ran.txt\r\n");
            }
          }})
          .keeping({"reg.bat", "reg.cmd", "reg.exe", "notepad.exe"})
          .completes({kRealServer}),
      Row("NotepadThatEndsAtOnce", kWindows)
          .env({{"WINEDLLOVERRIDES", "notepad.exe=b"}})
          .completes({kRealServer})
          .onWindows([](Row& r) { r.shown = false; }),
  };
}

// The golden reports byte for byte, from the menu's keys and from the
// arguments of a run without the menu; two of them from the x86_64 build
// too, with the server in the 64-bit view.
std::vector<Row> goldenRows() {
  std::vector<fs::path> inputs;
  for (const auto& folder :
       fs::directory_iterator(SHGS_TESTDATA_DIR "/golden")) {
    for (const auto& file : fs::directory_iterator(folder)) {
      if (file.path().extension() == ".input") inputs.push_back(file.path());
    }
  }
  std::sort(inputs.begin(), inputs.end());
  std::vector<Row> rows;
  for (const fs::path& input : inputs) {
    const std::string run = (input.parent_path() / input.stem()).string();
    const std::string name =
        input.parent_path().filename().string() + "_" + input.stem().string();
    const std::string said =
        replaceAll(readFile(run + ".stderr"),
                   "Report written to SHGS Game Data.TXT\n", "");
    Row::Words arguments;
    std::istringstream lines(readFile(run + ".args"));
    for (std::string line; std::getline(lines, line);) {
      arguments.push_back(line);
    }
    Row row = Row(name, kWindows, {}, readFile(input))
                  .server(readFile(input.parent_path() / "server.txt"))
                  .named(kDefaultReport)
                  .completes();
    row.message = said;
    row.golden = run + ".expected";
    rows.push_back(row);
    if (name == "six_games_forum" || name == "stock_server_plain") {
      rows.push_back(row);
      rows.back().name += "_64Bit";
      rows.back().view64 = rows.back().build64 = true;
    }
    row.name += "_Arguments";
    rows.push_back(
        row.args(arguments).ends(0, said, {kDefaultReport}).screenIs(""));
  }
  return rows;
}

std::vector<Row> rowsOfThisPlatform() {
  std::vector<Row> rows;
  for (const auto& part :
       {registryRows(), workFileRows(), descriptionAndPathRows(),
        reportNameRows(), menuAndViewerRows(), commandLineRows(),
        signalAndMemoryRows(), windowsRows(),
        kUnderWine ? goldenRows() : std::vector<Row>()}) {
    for (Row row : part) {
      if (kUnderWine && row.windowsChange) row.windowsChange(row);
      if (row.on == kBoth || (row.on == kWindows) == kUnderWine) {
        rows.push_back(row);
      }
    }
  }
  return rows;
}

void expectHolds(const std::string& where, const std::string& text,
                 const std::vector<std::string>& holds,
                 const std::vector<std::string>& lacks, const Scene& scene) {
  for (const std::string& each : holds) {
    EXPECT_NE(text.find(asWritten(expanded(each, scene))), std::string::npos)
        << ::testing::PrintToString(each) << " not in " << where;
  }
  for (const std::string& each : lacks) {
    EXPECT_EQ(text.find(asWritten(expanded(each, scene))), std::string::npos)
        << ::testing::PrintToString(each) << " in " << where;
  }
}

class Scenario : public ::testing::TestWithParam<Row> {
 protected:
  std::unique_ptr<Stage> stage_ = makeStage();
};

TEST_P(Scenario, EndsAsTheRowSays) {
  Row row = GetParam();
  ASSERT_NO_FATAL_FAILURE(stage_->install(
      row, row.description.empty() ? kRegistry + kGames : row.description));
  Scene scene = stage_->scene();
  scene.input = row.input;
  makeDirectories(scene.at("victim"));
  writeFile(scene.at("victim/file.txt"), "someone else's\n");
  for (const Step& spoil : row.spoils) ASSERT_NO_FATAL_FAILURE(spoil(scene));
  for (auto& variable : row.environment) {
    variable.second = expanded(variable.second, scene);
  }
  const TreeState server = stage_->serverState();
  const TreeState start = treeStateOf(scene.at("start"));

  const ProcessResult result = stage_->run(row, scene);

  if (row.endedBy == 0 || kUnderWine) {
    EXPECT_EQ(result.exitCode, row.exitCode);
  } else {
    EXPECT_EQ(result.endedBySignal, row.endedBy);
  }
  std::string said =
      (row.where.empty() || kUnderWine ? "" : row.where + "\n") + row.message;
  if (row.shown && !kUnderWine)
    said += "Report written to " + row.report + "\n";
  std::string usage;
  if (row.usageFollows) {
    Row help = Row("Help").args({"--help"});
    usage = stage_->run(help, scene).standardOutput;
  }
  EXPECT_EQ(result.standardError, asWritten(expanded(said, scene)) + usage);
  Names entries = row.left;
  const std::string report = scene.at("start/" + row.report);
  if (kUnderWine && row.shown) {
    EXPECT_EQ(readFile(scene.at("start/notepad-args.txt")), row.report + "\n");
    EXPECT_TRUE(readFile(scene.at("start/notepad-saw.txt")) == readFile(report))
        << "Notepad saw another file, or the report before it was whole";
    entries.insert({"notepad-args.txt", "notepad-saw.txt"});
  }
  EXPECT_EQ(entriesOf(scene.at("start")), entries);
  const TreeState startAfter = treeStateOf(scene.at("start"));
  for (const std::string& name : row.kept) {
    EXPECT_EQ(startAfter.count(name) ? startAfter.at(name) : "gone",
              start.at(name))
        << name;
  }
  const std::string changes = treeDifferences(server, stage_->serverState());
  EXPECT_EQ(changes, row.serverChanges);
  const std::string written =
      fs::is_regular_file(report) ? readFile(report) : std::string();
  expectHolds("the report", written, row.reportHolds, row.reportLacks, scene);
  if (!row.golden.empty()) {
    EXPECT_EQ(written, asWritten(readFile(row.golden)));
  }
  expectHolds("standard output", result.standardOutput, row.screenHolds,
              row.screenLacks, scene);
  if (row.screen) {
    EXPECT_EQ(result.standardOutput, asWritten(*row.screen));
  }
  EXPECT_EQ(readFile(scene.temp + "/my viewer.log"),
            expanded(row.viewerLog, scene));
  const std::string descriptors = readFile(scene.temp + "/my viewer.fds");
  EXPECT_EQ(descriptors.find("->") == std::string::npos, row.viewerLog.empty());
  EXPECT_EQ(descriptors.find("qil"), std::string::npos) << descriptors;
  EXPECT_EQ(descriptors.find(row.report), std::string::npos) << descriptors;
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
// The built program on a sample server in a Wine-style prefix.
class NativeStage : public Stage, private testing_support::SampleServer {
 public:
  void install(const Row& row, const std::string& description) override {
    ASSERT_NO_FATAL_FAILURE(makeServer(description));
    // Nobody may write in every folder of drive C (the error logs go
    // there) and read the server's files.
    for (const auto& entry : fs::recursive_directory_iterator(drive(""))) {
      if (row.asNobody && entry.is_directory()) {
        chmod(entry.path().c_str(), 0777);
      }
    }
    chmod(temp_.path().c_str(), 0755);
    writeFile(temp_ / "my viewer",
              "#!/bin/sh\n{ pwd; printf '%s\\n' \"$@\"; } >\"$0.log\"\n"
              "ls -l /proc/$$/fd >\"$0.fds\"\n");
    chmod((temp_ / "my viewer").c_str(), 0755);
  }

  Scene scene() override {
    Scene scene;
    scene.driveC = prefix() + "/drive_c";
    scene.temp = temp_.path();
    scene.setValue = [this](const std::string& key, const std::string& name,
                            const std::string& text) {
      setValue(key, name, text);
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
    return runExporter(options, row.environment);
  }

  TreeState serverState() override { return SampleServer::serverState(); }
  void finish(bool) override {}

 private:
  // system.reg holds a value escaped, on its line below the key's section.
  void setValue(const std::string& key, const std::string& name,
                const std::string& text) {
    const std::string section = replaceAll(
        "[Software\\Orbital Forge Software\\Starhaul Deluxe Game Server" +
            (key.empty() ? "" : "\\" + key) + "]",
        "\\", "\\\\");
    std::string reg = readFile(prefix() + "/system.reg");
    const std::size_t line = reg.find("\n\"" + name + "\"=", reg.find(section));
    ASSERT_NE(line, std::string::npos) << section << " " << name;
    const std::string stored =
        replaceAll(replaceAll(text, "\\", "\\\\"), "\"", "\\\"");
    reg.replace(line + 1, reg.find('\n', line + 1) - line - 1,
                "\"" + name + "\"=\"" + stored + "\"");
    writeFile(prefix() + "/system.reg", reg);
  }
};
#endif

}  // namespace

Row& Row::completes(const std::vector<std::string>& texts) {
  exitCode = 0;
  message.clear();
  shown = arguments.empty();
  left.insert(report);
  return add(&reportHolds, texts);
}

Row& Row::stops(const std::string& line, const std::string& said,
                const Names& entries) {
  ends(1, said, entries);
  return set(&where, line);
}

Row& Row::ends(int code, const std::string& said, const Names& entries) {
  exitCode = code;
  endedBy = 0;
  message = said;
  shown = false;
  reportHolds.clear();
  left = kept;
  return add(&left, entries);
}

Row& Row::atMenu(int sent, const Step& step, int ignored) {
  signal = sent;
  menuStep = step;
  if (ignored != 0) ignoredSignals = {ignored};
  return set(&input, "");
}

Row& Row::endsBy(int ending, const Names& entries) {
  return ends(0, "", entries).set(&endedBy, ending);
}

Row& Row::misunderstood(const std::string& problem) {
  usageFollows = true;
  return ends(2, "shgs-exporter: " + problem + "\n", {});
}

Row& Row::onWindows(std::function<void(Row&)> change) {
  return set(&windowsChange, change);
}

#ifndef SHGS_UNDER_WINE
std::unique_ptr<Stage> makeStage() { return std::make_unique<NativeStage>(); }
#endif

}  // namespace scenario
}  // namespace shgs
