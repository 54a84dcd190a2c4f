// Whole runs on sample servers, one row each: hostile and unlucky
// surroundings (planted and linked work files, odd registry files, refused
// report names, interruption), broken inputs, the command line, and the
// golden reports under Wine. Each row ends with its defined messages and
// exit status, leaves exactly the start folder it says, and changes nothing
// of the server's but what it says. Built natively (label e2e) and into the
// Wine tier (SHGS_UNDER_WINE, label wine), each running its platform's rows.
#include "e2e/scenario.h"

#include <fcntl.h>
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
const std::set<std::string> kLog = {"qilerror.txt"};
const std::set<std::string> kCaptureAndLog = {"qil.tmp", "qilerror.txt"};
// The recording viewer, as an editor setting.
constexpr char kViewer[] = "'<temp>/my viewer'";
const std::string kDescription = "SHGS/DescFile/Game1.txt";

constexpr char kRegistry[] = R"(
[registry]
ServerRoot = C:\SHGS
LimitIP = F
IPAddr = 10.0.0.1
NameAddr = ""
Port = 2002
NodeMax = 12
)";

// Six games for the forum warning; only A has its files.
constexpr char kGames[] = R"(
[game A]
Deleted = F
Active = T
Directory = C:\SHGS\GAME\A
Description = Game1.txt
Title = Alpha
[game B]
Directory = C:\SHGS\GAME\B
[game C]
Directory = C:\SHGS\GAME\C
[game D]
Directory = C:\SHGS\GAME\D
[game E]
Directory = C:\SHGS\GAME\E
[game F]
Directory = C:\SHGS\GAME\F
[shglob]
serverName = Test Server
runningName = SHGS
versionMajor = 2
versionMinor = 6
[shcfig A]
sectors = 1000
turnsPerDay = 100
[file C:\SHGS\DescFile\Game1.txt]
The first game.
[end]
)";

// Game S lives in the start folder, game T in game C's; game Z's folder
// does not exist.
constexpr char kFolders[] = R"(
[registry]
ServerRoot = C:\SHGS
IPAddr = 10.0.0.1
Port = 23
[game A]
Directory = C:\SHGS\GAME\A
Title = Alpha
[game B]
Directory = C:\SHGS\GAME\B
Title = Beta
[game C]
Directory = C:\SHGS\GAME\C
Title = Gamma
[game S]
Directory = C:\start
Title = Started here
[game T]
Directory = C:\SHGS\GAME\C
Title = Shares C
[game Z]
Directory = C:\SHGS\Gone\Z
Title = Lost
[shglob]
versionMajor = 2
[shcfig A]
sectors = 1000
[shcfig B]
sectors = 2000
[shcfig C]
sectors = 3000
[shcfig S]
sectors = 4000
)";

// Values with blanks where reg.exe's listing sets off its columns.
constexpr char kBlankTitle[] = "  Four    REG_SZ    Blanks  ";
constexpr char kBlanks[] = R"([registry]
ServerRoot = C:\Blank  Server
IPAddr = 192.0.2.44
NameAddr = ""
Port = 4000
[game A]
Directory = C:\Blank  Server\Game    A
Description = about.txt
Title = "  Four    REG_SZ    Blanks  "
[shglob]
serverName = Blanks
[shcfig A]
sectors = 1000
[file C:\Blank  Server\DescFile\about.txt]
Values arrive whole.
[end]
)";

// A listing that names another server: it must never stand in for the
// registry.
constexpr char kForgedCapture[] =
    "\r\nHKEY_LOCAL_MACHINE\\Software\\Orbital Forge Software\\Starhaul Deluxe "
    "Game Server\r\n    ServerRoot    REG_SZ    C:\\SHGS\r\n"
    "    IPAddr    REG_SZ    6.6.6.6\r\n    Port    REG_SZ    666\r\n";
constexpr char kRealServer[] = "telnet:\\\\10.0.0.1:2002[";

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

std::string padded(const std::string& text, std::size_t width) {
  return text + std::string(width - std::min(width, text.size()), ' ');
}

// Bytes of every value, seeded so that every run sees the same.
std::string noise(std::size_t size) {
  std::mt19937 random(11);
  std::string text(size, '\0');
  for (char& c : text) c = static_cast<char>(random());
  return text;
}

// 10 MB of keys below the server's key (as system.reg writes it) that the
// exporter does not read, with words it looks for inside their texts.
std::string unrelatedKeys() {
  std::string keys;
  for (int node = 0; keys.size() < (10u << 20); ++node) {
    keys +=
        "\n[Software\\\\Orbital Forge Software\\\\Starhaul Deluxe Game "
        "Server\\\\Nodes\\\\" +
        std::to_string(node) +
        "] 1733500000\n\"Note\"=\"Port 9 Title x Directory y\"\n"
        "\"Counters\"=\"1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17\"\n";
  }
  return keys;
}

std::string expanded(std::string text, const Scene& scene) {
  const std::string prefix = scene.driveC.substr(0, scene.driveC.rfind('/'));
  text = replaceAll(text, "<prefix>", prefix);
  text = replaceAll(text, "<start>", scene.at("start"));
  text = replaceAll(text, "<C>", scene.driveC);
  return replaceAll(text, "<temp>", scene.temp);
}

// Texts as the program writes them: the Windows one ends lines with CR LF.
std::string asWritten(const std::string& text) {
  return kWindows ? replaceAll(text, "\n", "\r\n") : text;
}

// ---- Spoils: paths are below drive C, "../system.reg" the registry's file.

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
// Replaces the first "from" in system.reg by "to", or cuts the file right
// after "from" (POSIX).
Step regEdit(const std::string& from, const std::string& to, bool cut = false) {
  return [=](Scene& s) {
    const std::string path = s.at("../system.reg");
    std::string text = readFile(path);
    const std::size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    writeFile(path, cut ? text.substr(0, at + from.size())
                        : text.replace(at, from.size(), to));
  };
}
Step regCut(const std::string& after) { return regEdit(after, "", true); }

// ---- Checks after the run.

// The report holds "texts" in this order, the first at its start.
Row::Check inOrder(std::vector<std::string> texts) {
  return [=](const Scene& s, const Variant& run) {
    const std::string report = readFile(s.at("start/" + run.report));
    EXPECT_EQ(report.find(asWritten(texts.front())), 0u);
    for (std::size_t i = 1; i < texts.size(); ++i) {
      EXPECT_LT(report.find(asWritten(texts[i - 1])),
                report.find(asWritten(texts[i])))
          << texts[i];
    }
  };
}
Row::Check fileHolds(const std::string& path, const std::string& content) {
  return [=](const Scene& s, const Variant&) {
    EXPECT_EQ(readFile(s.at(path)), content) << path;
  };
}
Row::Check modeIs(const std::string& path, mode_t mode) {
  return [=](const Scene& s, const Variant&) {
    struct stat info {};
    ASSERT_EQ(stat(s.at(path).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, mode) << path;
  };
}

std::vector<Row> registryRows() {
  const std::string notRegular = "<prefix>/system.reg: not a regular file";
  return {
      Row("NoServerKey")
          .server(std::string(kRegistry) + "@absent = true\n" + kGames)
          .stops(kNoKey, kNoServerRoot, kCaptureAndLog),
      // Each Windows build looks in its own view only.
      Row("ServerInThe64BitViewFor32BitBuild")
          .windowsOnly()
          .in64BitView()
          .stops("", kNoServerRoot, kCaptureAndLog)
          .screenIs(""),
      Row("ServerInThe32BitViewFor64BitBuild")
          .windowsOnly()
          .build64()
          .stops("", kNoServerRoot, kCaptureAndLog)
          .screenIs(""),
      Row("SystemRegOfNoise")
          .posixOnly()
          .spoiled([](Scene& s) {
            writeFile(s.at("../system.reg"), noise(10 << 20));
          })
          .stops(kNoKey, kNoServerRoot, kCaptureAndLog),
      Row("TenMegabytesOfUnrelatedKeys")
          .posixOnly()
          .spoiled([](Scene& s) {
            std::ofstream(s.at("../system.reg"), std::ios::app)
                << unrelatedKeys();
          })
          .completes({kRealServer, "Game A - Alpha - 1000 sectors"}),
      // An escaped NUL in one value, a raw NUL byte in another.
      Row("NulEndsAValue")
          .posixOnly()
          .spoiled(regEdit("\"Alpha\"", "\"Al\\0pha\""))
          .spoiled(regEdit("\"10.0.0.1\"", std::string("\"10.0\0.0.1\"", 11)))
          .completes({"[yellow]Game A - Al - 1000 sectors", "telnet:\\\\10.0:"})
          .lacks("Alpha"),
      Row("ValueWithoutData")
          .posixOnly()
          .spoiled(regEdit("\"Port\"=\"2002\"", "\"Port\"="))
          .completes({"[url]telnet:\\\\10.0.0.1:0[/url]",
                      "shplay:\\\\10.0.0.1:0\\new"}),
      // The line end splits the value line; the second half is a value
      // line with a name alone, whose value is empty.
      Row("LineEndInsideAValue")
          .posixOnly()
          .spoiled(regEdit("\"C:\\\\SHGS\"", "\"C:\\\\SHGS\\n    IPAddr\""))
          .completes({"[url]telnet:\\\\:2002[/url]", "Game A - Alpha"}),
      Row("CutInsideTheGamesSectionLine")
          .posixOnly()
          .spoiled(regCut("Games\\\\A"))
          .completes({"Test Server running SHGS"})
          .lacks("Game A"),
      // Game A keeps its entry, without the values that the cut took.
      Row("CutInsideAnEscape")
          .posixOnly()
          .spoiled(regCut("\"Directory\"=\"C:\\"))
          .stops("<C>/SHGS/GAME/QnF: No such file or directory",
                 "Failed to enter directory QnF", kLog),
      Row("CutInsideServerRoot")
          .posixOnly()
          .spoiled(regCut("\"ServerRoot\"=\"C:\\\\SH"))
          .stops("<prefix>/system.reg: no value ServerRoot in " + kServerKey,
                 kNoServerRoot, kCaptureAndLog),
      Row("SystemRegIsAFifo")
          .posixOnly()
          .spoiled(fifo("../system.reg"))
          .stops(notRegular, kNoServerRoot, kCaptureAndLog),
      Row("SystemRegLinkedToDevZero")
          .posixOnly()
          .spoiled(links("../system.reg", "/dev/zero"))
          .stops(notRegular, kNoServerRoot, kCaptureAndLog),
      Row("SystemRegUnreadable")
          .posixOnly()
          .unprivileged()
          .spoiled(chmods("../system.reg", 0))
          .stops("<prefix>/system.reg: Permission denied", kNoServerRoot,
                 kCaptureAndLog),
      Row("SystemRegMissing")
          .posixOnly()
          .spoiled(removes("../system.reg"))
          .stops("<prefix>/system.reg: No such file or directory",
                 kNoServerRoot, kCaptureAndLog),
      Row("PrefixMissing")
          .posixOnly()
          .env({{"WINEPREFIX", "<prefix>/no"}})
          .stops("<prefix>/no/system.reg: No such file or directory",
                 kNoServerRoot, kCaptureAndLog),
      // Made absolute at start: the folder changes do not move it.
      Row("RelativePrefix")
          .posixOnly()
          .env({{"WINEPREFIX", "../.."}})
          .completes({"Test Server running SHGS", kExcerpt}),
      Row("NumbersAbove32Bits")
          .server(numbers("99999999999", "4294967308"))
          .completes({"telnet:\\\\10.0.0.1:65535[", "\n65535 nodes;",
                      "shplay:\\\\10.0.0.1:65535\\new"}),
      Row("NumbersBelow32Bits")
          .server(numbers("-99999999999", "-4294967297"))
          .completes({"telnet:\\\\10.0.0.1:0[", "\n0 nodes;"}),
      Row("ValuesWithBlanksArriveWhole")
          .server(kBlanks)
          .typing("%A!\n")
          .reportName(kDefaultReport)
          .completes({"\nGame A - " + std::string(kBlankTitle) + " - 1000",
                      "\ntelnet:\\\\192.0.2.44:4000\n",
                      "\nValues arrive whole.\n"})
          .shows("(A) " + padded(kBlankTitle, 31) +
                 padded("C:\\Blank  Server\\Game    A", 41) + "\n"),
  };
}

// Whatever stands at a work file's name, the work file is the run's own,
// never reached through a link.
std::vector<Row> workFileRows() {
  const std::string startLogLinked = "<start>/qilerror.txt: is a symbolic link";
  return {
      Row("PlantedCapturesInOtherCases")
          .posixOnly()
          .spoiled(writes("start/QIL.TMP", kForgedCapture))
          .spoiled(writes("start/Qil.tmp", kForgedCapture))
          .keeping({"QIL.TMP", "Qil.tmp"})
          .completes({kRealServer})
          .lacks("6.6.6.6"),
      // POSIX replaces the link; Windows refuses it.
      Row("CaptureIsALink")
          .spoiled(links("start/qil.tmp", "<C>/victim/file.txt"))
          .completes({kRealServer})
          .onWindows()
          .keeping({"qil.tmp"})
          .stops("", kNoCapture, kLog),
      Row("CaptureIsADanglingLink")
          .spoiled(links("start/qil.tmp", "<C>/victim/new.txt"))
          .completes({kRealServer})
          .onWindows()
          .keeping({"qil.tmp"})
          .stops("", kNoCapture, kLog),
      Row("CaptureIsReadOnly")
          .unprivileged()
          .spoiled(writes("start/qil.tmp", kForgedCapture))
          .spoiled(chmods("start/qil.tmp", 0444))
          .completes({kRealServer})
          .lacks("6.6.6.6")
          .onWindows()
          .keeping({"qil.tmp"})
          .stops("", kNoCapture, kLog)
          .screenIs(""),
      Row("CaptureIsAFifo")
          .posixOnly()
          .spoiled(fifo("start/qil.tmp"))
          .completes({kRealServer}),
      Row("CaptureIsAFolder")
          .spoiled(makesFolder("start/qil.tmp"))
          .stops("<start>/qil.tmp: Is a directory", kNoCapture, kCaptureAndLog),
      Row("ErrorLogIsALink")
          .spoiled(links("start/qilerror.txt", "<C>/victim/file.txt"))
          .keeping(kLog)
          .stops(startLogLinked, kNoLog, {}),
      Row("ErrorLogIsADanglingLink")
          .spoiled(links("start/qilerror.txt", "<C>/victim/new.txt"))
          .keeping(kLog)
          .stops(startLogLinked, kNoLog, {}),
      Row("ErrorLogIsAFifo")
          .posixOnly()
          .spoiled(fifo("start/qilerror.txt"))
          .stops("<start>/qilerror.txt: not a regular file", kNoLog, kLog),
      Row("ErrorLogIsAFolder")
          .spoiled(makesFolder("start/qilerror.txt"))
          .stops("<start>/qilerror.txt: Is a directory", kNoLog, kLog),
      Row("GameErrorLogIsALink")
          .spoiled(links("SHGS/GAME/A/qilerror.txt", "<C>/victim/file.txt"))
          .stops("<C>/SHGS/GAME/A/qilerror.txt: is a symbolic link", kNoLog,
                 kLog),
  };
}

std::vector<Row> descriptionAndPathRows() {
  const std::string gameAMissing = "<C>/SHGS/GAME/A: No such file or directory";
  const std::string cannotEnterA =
      "Failed to enter directory C:\\SHGS\\GAME\\A";
  const std::string deep = repeated("\\x", 20000);
  return {
      // Bytes beyond ASCII pass; CR LF ends a line, and Ctrl-Z the text.
      Row("DescriptionOfOddBytes")
          .spoiled(writes(kDescription, "\x89PNG\r\nsecond\x1athird\n"))
          .completes({excerpt("\n\x89PNG\nsecond")}),
      Row("EmptyDescription")
          .spoiled(writes(kDescription, ""))
          .completes({excerpt("")}),
      Row("DescriptionWithoutLineEnd")
          .spoiled(writes(kDescription, "one line only"))
          .completes({excerpt("\none line only")}),
      Row("DescriptionIsAFolder")
          .spoiled(removes(kDescription))
          .spoiled(makesFolder(kDescription))
          .completes({excerpt("")}),
      // Opening a FIFO for reading would wait for a writer for ever.
      Row("DescriptionIsAFifo")
          .posixOnly()
          .spoiled(fifo(kDescription))
          .completes({excerpt("")}),
      // A file the kernel makes up as it is read has no size to read.
      Row("DescriptionLinkedToTheEnvironment")
          .posixOnly()
          .spoiled(links(kDescription, "/proc/self/environ"))
          .completes({excerpt("")})
          .lacks("WINEPREFIX"),
      Row("GameFolderMissing")
          .spoiled(removes("SHGS/GAME/A"))
          .stops(gameAMissing, cannotEnterA, kLog),
      Row("GameFolderThatCannotBeEntered")
          .posixOnly()
          .unprivileged()
          .spoiled(chmods("SHGS/GAME/A", 0666))
          .stops("<C>/SHGS/GAME/A: Permission denied", cannotEnterA, kLog),
      Row("GameFolderIsAFile")
          .spoiled(removes("SHGS/GAME/A"))
          .spoiled(writes("SHGS/GAME/A", "not a folder"))
          .stops("<C>/SHGS/GAME/A: Not a directory", cannotEnterA, kLog),
      Row("ServerGameFolderMissing")
          .spoiled(removes("SHGS/GAME"))
          .stops("<C>/SHGS/GAME: No such file or directory",
                 "Failed to enter directory C:\\SHGS\\GAME", kLog),
      Row("GlobalDataMissing")
          .spoiled(removes("SHGS/GAME/shglob.dat"))
          .stops("<C>/SHGS/GAME/shglob.dat: No such file or directory",
                 "Global data failed to open.", kLog)
          .serverChanges("added SHGS/GAME/qilerror.txt\n"),
      // Relative to the folder current at that moment: the server's GAME
      // folder after the server section, else the start folder.
      Row("RelativeGameFolderFromTheGameFolder")
          .spoiled(gameFolder("A"))
          .completes({kExcerpt}),
      Row("RelativeGameFolderFromTheStartFolder")
          .spoiled(gameFolder("A"))
          .typing("$ out.txt\n*A!\n")
          .stops("<start>/A: No such file or directory",
                 "Failed to enter directory A", kLog),
      Row("ServerRootWithTrailingBackslash")
          .spoiled(value("", "ServerRoot", "C:\\SHGS\\"))
          .completes({"Test Server running SHGS", kExcerpt}),
      Row("ServerRootWithForwardSlashes")
          .spoiled(value("", "ServerRoot", "C:/SHGS"))
          .completes({"Test Server running SHGS", kExcerpt}),
      // Windows ignores trailing dots and blanks, and "\" is on drive C.
      Row("GameFolderWithTrailingDotsAndBlanks")
          .spoiled(gameFolder("C:\\SHGS\\GAME\\A. ."))
          .completes({kExcerpt}),
      Row("GameFolderFromTheDriveRoot")
          .spoiled(gameFolder("\\SHGS\\GAME\\A"))
          .completes({kExcerpt}),
      // Two separators, as of a share, start at the host's own root.
      Row("GameFolderFromTheHostRoot")
          .posixOnly()
          .spoiled([](Scene& s) {
            const std::string path = s.at("SHGS/GAME/A");
            s.setValue("Games\\A", "Directory",
                       "\\" + replaceAll(path, "/", "\\"));
          })
          .completes({kExcerpt}),
      Row("ControlSequencesInAMissingFolder")
          .spoiled(gameFolder("C:\\SHGS\\\x1b[8mA"))
          .stops("<C>/SHGS/?[8mA: No such file or directory",
                 "Failed to enter directory C:\\SHGS\\?[8mA", kLog),
      Row("FolderOfTwentyThousandNames")
          .posixOnly()
          .spoiled(gameFolder("C:\\SHGS\\GAME\\A" + deep))
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
  const std::string earlierLog = "an earlier run's log\n";
  const auto named = [](const std::string& row, const std::string& name) {
    return Row("ReportNamedAs" + row).typing("$ " + name + "\nA!\n");
  };
  const auto reads = [](const std::string& path) {
    return "<C>/" + path + ": is a file the run reads";
  };
  const std::string removed = ": is a file the run removes";
  return {
      Row("ReportNameIsAFolder")
          .spoiled(makesFolder("start/adir"))
          .typing("$ adir\nA!\n")
          .stops("<start>/adir: Is a directory", kRefused,
                 {"adir", "qilerror.txt"}),
      Row("ReportInAMissingFolder")
          .typing("$ missing/out.txt\nA!\n")
          .stops("<start>/missing: No such file or directory", kRefused, kLog),
      Row("ReportNamedAsTheErrorLog")
          .typing("$ qilerror.txt\nA!\n")
          .stops("<start>/qilerror.txt" + removed, kRefused, kLog),
      Row("ReportNamedAsACaptureElsewhere")
          .spoiled(makesFolder("start/adir"))
          .typing("$ adir/QIL.TMP\nA!\n")
          .stops("<start>/adir/QIL.TMP" + removed, kRefused,
                 {"adir", "qilerror.txt"}),
      // A backslash separates names on POSIX too.
      Row("ReportNamedAsAnErrorLogAfterABackslash")
          .spoiled(makesFolder("start/adir"))
          .typing("$ adir\\qilerror.txt\nA!\n")
          .stops("<start>/adir\\qilerror.txt" + removed, kRefused,
                 {"adir", "qilerror.txt"}),
      Row("ReportNameIsADevice")
          .posixOnly()
          .typing("$ /dev/full\nA!\n")
          .stops("/dev/full: not a regular file", kRefused, kLog),
      Row("ReportNameWithANulByte")
          .spoiled(writes("start/qilerror.txt", earlierLog))
          .keeping(kLog)
          .typing(std::string("$ qilerror.txt") + '\0' + "x\nA!\n")
          .stops("qilerror.txt?x: a name cannot hold a NUL byte", kRefused, {}),
      Row("ReportNamedAsTheErrorLogWithATrailingDot")
          .windowsOnly()
          .spoiled(writes("start/qilerror.txt", earlierLog))
          .keeping(kLog)
          .typing("$\nqilerror.txt.\nA!\n")
          .stops("", kRefused, {}),
      Row("ReportNamedByTheGameRecordsShortName")
          .windowsOnly()
          .server(kBlanks)
          .spoiled(writes("start/qilerror.txt", earlierLog))
          .keeping(kLog)
          .spoiled([](Scene& s) {
            const std::string name =
                s.shortName("C:\\Blank  Server\\Game    A\\shcfig.dat");
            ASSERT_NE(name.find('~'), std::string::npos) << name;
            s.input = "$\n" + name + "\n%A!\n";
          })
          .stops("", kRefused, {}),
      named("TheGameRecord", "../SHGS/GAME/A/shcfig.dat")
          .stops(reads("SHGS/GAME/A/shcfig.dat"), kRefused, kLog),
      named("TheGlobalRecord", "../SHGS/GAME/shglob.dat")
          .stops(reads("SHGS/GAME/shglob.dat"), kRefused, kLog),
      named("TheDescription", "../SHGS/DescFile/Game1.txt")
          .stops(reads("SHGS/DescFile/Game1.txt"), kRefused, kLog),
      named("SystemReg", "../../system.reg")
          .posixOnly()
          .stops("<prefix>/system.reg: is a file the run reads", kRefused,
                 kLog),
      // Found without regard to case, such a file would be read next time.
      Row("ReportNamedAsARecordStoredInUpperCase")
          .spoiled([](Scene& s) {
            fs::rename(s.at("SHGS/GAME/A/shcfig.dat"),
                       s.at("SHGS/GAME/A/SHCFIG.DAT"));
          })
          .typing("$ ../SHGS/GAME/A/shcfig.dat\nA!\n")
          .stops(reads("SHGS/GAME/A/shcfig.dat"), kRefused, kLog),
      Row("ReportNamedAsAMissingRecord")
          .spoiled(removes("SHGS/GAME/A/shcfig.dat"))
          .typing("$ ../SHGS/GAME/A/shcfig.dat\nA!\n")
          .onWindows()
          .typing("$ c:\\shgs\\game\\a\\SHCFIG.DAT\nA!\n")
          .onBoth()
          .stops(reads("SHGS/GAME/A/shcfig.dat"), kRefused, kLog),
      Row("ReportNameLinkedToTheErrorLog")
          .posixOnly()
          .spoiled(links("start/report.txt", "qilerror.txt"))
          .typing("$ report.txt\nA!\n")
          .stops("<start>/qilerror.txt" + removed, kRefused,
                 {"qilerror.txt", "report.txt"}),
      // Planted under the default name, leading where a reader's log will be.
      Row("DefaultReportNameLinkedToAGameLog")
          .posixOnly()
          .spoiled(
              links("start/SHGS Game Data.TXT", "<C>/SHGS/GAME/A/qilerror.txt"))
          .typing("A!\n")
          .keeping({kDefaultReport})
          .stops("<C>/SHGS/GAME/A/qilerror.txt" + removed, kRefused, kLog),
      Row("ReportNameHardLinkedToTheGameRecord")
          .posixOnly()
          .spoiled(hardLinks("start/report.txt", "SHGS/GAME/A/shcfig.dat"))
          .typing("$ report.txt\nA!\n")
          .stops("<start>/report.txt: is a file the run reads", kRefused,
                 {"qilerror.txt", "report.txt"}),
      // A game's log left over from an earlier failed run.
      Row("ReportNameHardLinkedToAStaleGameLog")
          .posixOnly()
          .spoiled(writes("SHGS/GAME/A/qilerror.txt", earlierLog))
          .spoiled(hardLinks("start/report.txt", "SHGS/GAME/A/qilerror.txt"))
          .typing("$ report.txt\nA!\n")
          .keeping({"report.txt"})
          .stops("<start>/report.txt" + removed, kRefused, kLog),
      Row("ReportNameIsAFifo")
          .posixOnly()
          .spoiled(fifo("start/out.txt"))
          .keeping({"out.txt"})
          .stops("<start>/out.txt: not a regular file", kRefused, kLog),
      // The link stays; the file it leads to gets the report.
      Row("ReportNameIsALinkToAnotherFile")
          .posixOnly()
          .spoiled(makesFolder("start/reports"))
          .spoiled(writes("start/reports/r.txt", "an earlier report\n"))
          .spoiled(links("start/out.txt", "reports/r.txt"))
          .keeping({"out.txt"})
          .leaving({"reports"})
          .completes({"Game A - Alpha"}),
      // A new file takes the place of the earlier report, with its bits.
      Row("ReplacedReportKeepsItsPermissionBits")
          .posixOnly()
          .spoiled(writes("start/out.txt", "an earlier report\n"))
          .spoiled(chmods("start/out.txt", 0604))
          .completes({"Game A - Alpha"})
          .then(modeIs("start/out.txt", 0604)),
  };
}

// Data are shown as data, never as instructions to the terminal; the
// viewer gets the report's name as typed, as its last argument, and no
// descriptor of the run's files.
std::vector<Row> menuAndViewerRows() {
  const std::string hidden = "\x1b]0;owned\x07\x1b[8m";
  const std::string oddName = "a\"b;touch${IFS}evil;$(touch${IFS}evil2)'c'.txt";
  const std::string placed =
      "\n(unless a directory was specified with the filename on the options "
      "screen).\n";
  return {
      Row("InputEndsInTheMenu").typing("A\n*").stops("", kInputEnded, {}),
      Row("InputEndsAtTheFileNamePrompt")
          .typing("A $")
          .stops("", kInputEnded, {}),
      Row("InputEndsAtTheForumWarning")
          .typing("ABCDEF!")
          .stops("", kInputEnded, {}),
      Row("ControlSequencesInATitle")
          .spoiled(value("Games\\A", "Title", "Alpha" + hidden))
          .completes({"Game A - Alpha" + hidden + " - 1000 sectors"})
          .shows("(A) Alpha?]0;owned??[8m ")
          .hides("\x1b]"),
      Row("StandardInputLeftNonBlocking")
          .posixOnly()
          .process([](ProcessOptions* o) {
            o->nonBlockingInput = true;
            o->inputAfter = "option(s) to toggle: ";
          })
          .completes({"Game A - Alpha"}),
      // Blanks name no editor, so no command is run on the report's name.
      Row("BlankEditorIsNoEditor")
          .posixOnly()
          .env({{"EDITOR", " "}, {"VISUAL", "\t"}})
          .completes({"Game A - Alpha"}),
      Row("EditorWithAnOpenQuote")
          .posixOnly()
          .env({{"EDITOR", "vi 'x"}})
          .completes({"Game A - Alpha"})
          .warning("EDITOR could not be used: a quote is not closed"),
      Row("EditorThatCannotBeStarted")
          .posixOnly()
          .env({{"VISUAL", "/nonexistent/editor --wait"}})
          .completes({"Game A - Alpha"})
          .warning("VISUAL could not be used: /nonexistent/editor: No such "
                   "file or directory"),
      // Split into words as a shell splits them, nothing expanded.
      Row("EditorQuotedWithATab")
          .posixOnly()
          .env({{"EDITOR", "'<temp>/my viewer'\t-x"}})
          .completes()
          .viewerSaw("<start>\n-x\nout.txt\n"),
      Row("VisualWithDoubleQuotesAndEscapes")
          .posixOnly()
          .env({{"VISUAL", "<temp>/my\\ viewer \"a \\\"b\\\" $HOME\" c\\ d"},
                {"EDITOR", "/bin/false"}})
          .completes()
          .viewerSaw("<start>\na \"b\" $HOME\nc d\nout.txt\n"),
      // Games go in letter order, a shared folder and the start folder too;
      // an older game log goes with the run's own.
      Row("FoldersSharedAndStartedIn")
          .server(kFolders)
          .spoiled(writes("SHGS/GAME/B/qilerror.txt", "older log\n"))
          .onPosix()
          .env({{"EDITOR", kViewer}})
          .typing("$ " + oddName + "\nBACST!\n")
          .reportName(oddName)
          .shows("\nOutput file will be placed in\n<start>" + placed)
          .viewerSaw("<start>\n" + oddName + "\n")
          // The command processor would expand %OS%, even in quotes.
          .onWindows()
          .typing("$ %OS%.txt\nBACST!\n")
          .reportName("%OS%.txt")
          .shows("\nOutput file will be placed in\nC:\\start" + placed)
          .onBoth()
          .completes()
          .leaving({"shcfig.dat"})
          .shows("(A) Alpha ")
          .then(inOrder({"[CODE][white]\n", "Game A - Alpha", "Game B - Beta",
                         "Game C - Gamma", "Game S - Started here - 4000",
                         "Game T - Shares C"}))
          .serverChanges("removed SHGS/GAME/B/qilerror.txt\n"),
      // The readers alive at the end keep their logs; the report that was
      // there before stays as it was, and no viewer starts.
      Row("MissingConfigurationStopsAfterTheGamesBeforeIt")
          .server(kFolders)
          .env({{"EDITOR", kViewer}})
          .spoiled(removes("SHGS/GAME/B/shcfig.dat"))
          .spoiled(writes("SHGS/GAME/B/qilerror.txt", "older log\n"))
          .spoiled(writes("start/SHGS Game Data.TXT", "an earlier report\n"))
          .typing("CBA!\n")
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
      Row("HelpAskedTheWindowsWay")
          .windowsOnly()
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
          .ends(0, "", {"out.txt"})
          .holds("\nGame A - Alpha - 1000 sectors")
          .lacks("[CODE]")
          .screenIs(""),
      Row("RunWithoutTheMenuThatFails")
          .args({"--games", "A", "--output", "missing/out.txt"})
          .stops("<start>/missing: No such file or directory", kRefused, kLog),
  };
}

// Ctrl-C and its kin at the menu, and every other signal that ends a
// program, remove the files the run holds, and only those; the run ends as
// the signal ends a program.
std::vector<Row> signalRows() {
  std::vector<Row> rows;
  for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGXFSZ,
                           SIGXCPU, SIGALRM, SIGUSR1, SIGRTMIN}) {
    rows.push_back(Row("EndedBySignal" + std::to_string(signal))
                       .atMenu(signal)
                       .endsBy(signal, {})
                       .shows("Enter game letter(s)")
                       .hides("Output file will be placed in"));
    if (signal != SIGINT) rows.back().posixOnly();
  }
  rows.push_back(Row("InterruptionSparesAnotherRunsLog")
                     .posixOnly()
                     .atMenu(SIGINT,
                             [](Scene& s) {
                               fs::remove(s.at("start/qilerror.txt"));
                               writeFile(s.at("start/qilerror.txt"),
                                         "another run's\n");
                             })
                     .endsBy(SIGINT, kLog)
                     .then(fileHolds("start/qilerror.txt", "another run's\n")));
  // Ignored from the start, as under nohup, a hang-up stays ignored.
  rows.push_back(Row("HangUpIgnoredAtStart")
                     .posixOnly()
                     .ignoring(SIGHUP)
                     .atMenu(SIGHUP)
                     .stops("", kInputEnded, {}));
  return rows;
}

// What only the Windows program has: the system's programs, started by
// full path, and Notepad, whose outcome is not the run's.
std::vector<Row> windowsRows() {
  return {
      Row("PlantedSystemProgramsNeverRun")
          .windowsOnly()
          .spoiled([](Scene& s) {
#ifdef SHGS_UNDER_WINE
            for (const char* name : {"reg.exe", "notepad.exe"}) {
              fs::copy_file(SHGS_WINE_HELPERS_DIR "/planted.exe",
                            s.at(std::string("start/") + name));
            }
#endif
            for (const char* name : {"reg.bat", "reg.cmd"}) {
              writeFile(s.at(std::string("start/") + name),
                        "@echo %0 %*>>planted-ran.txt\r\n");
            }
          })
          .keeping({"reg.bat", "reg.cmd", "reg.exe", "notepad.exe"})
          .completes({kRealServer}),
      Row("NotepadThatEndsAtOnce")
          .windowsOnly()
          .env({{"WINEDLLOVERRIDES", "notepad.exe=b"}})
          .completes({kRealServer})
          .notShown(),
  };
}

// The golden reports byte for byte, from the menu's keys and from the
// arguments of a run without the menu; two of them from the x86_64 build
// too, with the server in the 64-bit view.
std::vector<Row> goldenRows() {
  std::vector<Row> rows;
  const fs::path root = SHGS_TESTDATA_DIR "/golden";
  std::vector<fs::path> inputs;
  for (const auto& folder : fs::directory_iterator(root)) {
    for (const auto& file : fs::directory_iterator(folder)) {
      if (file.path().extension() == ".input") inputs.push_back(file.path());
    }
  }
  std::sort(inputs.begin(), inputs.end());
  for (const fs::path& input : inputs) {
    const std::string run = (input.parent_path() / input.stem()).string();
    const std::string name =
        input.parent_path().filename().string() + "_" + input.stem().string();
    const std::string server = readFile(input.parent_path() / "server.txt");
    const std::string said =
        replaceAll(readFile(run + ".stderr"),
                   "Report written to SHGS Game Data.TXT\n", "");
    std::vector<std::string> arguments;
    std::istringstream lines(readFile(run + ".args"));
    for (std::string line; std::getline(lines, line);)
      arguments.push_back(line);
    const auto row = [&](const std::string& suffix) {
      return Row(name + suffix)
          .windowsOnly()
          .server(server)
          .reportName(kDefaultReport)
          .golden(run + ".expected");
    };
    rows.push_back(row("").typing(readFile(input)).completes().messages(said));
    rows.push_back(row("_Arguments")
                       .args(arguments)
                       .ends(0, said, {kDefaultReport})
                       .screenIs(""));
    if (name == "six_games_forum" || name == "stock_server_plain") {
      rows.push_back(row("_64Bit")
                         .typing(readFile(input))
                         .in64BitView()
                         .build64()
                         .completes()
                         .messages(said));
    }
  }
  return rows;
}

std::vector<Row> rowsOfThisPlatform() {
  std::vector<Row> rows;
  for (const auto& part :
       {registryRows(), workFileRows(), descriptionAndPathRows(),
        reportNameRows(), menuAndViewerRows(), commandLineRows(), signalRows(),
        windowsRows(), kWindows ? goldenRows() : std::vector<Row>()}) {
    for (const Row& row : part) {
      if ((kWindows ? row.windows : row.posix).enabled) rows.push_back(row);
    }
  }
  return rows;
}

class Scenario : public ::testing::TestWithParam<Row> {
 protected:
  // What --help shows.
  std::string usage(Scene& scene) {
    Variant help;
    help.arguments = {"--help"};
    return stage_->run(GetParam(), help, scene).standardOutput;
  }

  std::unique_ptr<Stage> stage_ = makeStage();
};

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

TEST_P(Scenario, EndsAsTheRowSays) {
  const Row& row = GetParam();
  Variant want = kWindows ? row.windows : row.posix;
  ASSERT_NO_FATAL_FAILURE(stage_->install(
      row, row.description.empty() ? kRegistry + std::string(kGames)
                                   : row.description));
  Scene scene = stage_->scene();
  scene.input = want.input;
  makeDirectories(scene.at("victim"));
  writeFile(scene.at("victim/file.txt"), "someone else's\n");
  for (const Step& spoil : row.spoils) ASSERT_NO_FATAL_FAILURE(spoil(scene));
  for (auto& variable : want.environment) {
    variable.second = expanded(variable.second, scene);
  }
  const TreeState server = stage_->serverState();
  const TreeState start = treeStateOf(scene.at("start"));

  const ProcessResult result = stage_->run(row, want, scene);

  if (want.endedBy == 0 || kWindows) {
    EXPECT_EQ(result.exitCode, want.exitCode);
  } else {
    EXPECT_EQ(result.endedBySignal, want.endedBy);
  }
  std::string messages = expanded(want.standardError, scene);
  if (want.shown && !kWindows)
    messages += "Report written to " + want.report + "\n";
  EXPECT_EQ(result.standardError,
            asWritten(messages) + (want.usageFollows ? usage(scene) : ""));
  std::set<std::string> entries = want.startEntries;
  const std::string notepadSaw = scene.at("start/notepad-saw.txt");
  const std::string report = scene.at("start/" + want.report);
  if (kWindows && want.shown) {
    EXPECT_EQ(readFile(scene.at("start/notepad-args.txt")), want.report + "\n");
    EXPECT_TRUE(fs::exists(notepadSaw) &&
                readFile(notepadSaw) == readFile(report))
        << "Notepad saw another file, or the report before it was whole";
    entries.insert({"notepad-args.txt", "notepad-saw.txt"});
  }
  EXPECT_EQ(entriesOf(scene.at("start")), entries);
  const TreeState startAfter = treeStateOf(scene.at("start"));
  for (const std::string& name : want.kept) {
    EXPECT_EQ(startAfter.count(name) ? startAfter.at(name) : "gone",
              start.at(name))
        << name;
  }
  const std::string changes = treeDifferences(server, stage_->serverState());
  EXPECT_EQ(changes, want.serverChanges);
  const std::string written =
      fs::is_regular_file(report) ? readFile(report) : std::string();
  expectHolds("the report", written, want.reportHolds, want.reportLacks, scene);
  if (!want.golden.empty()) {
    EXPECT_EQ(written, asWritten(readFile(want.golden)));
  }
  expectHolds("standard output", result.standardOutput, want.screenHolds,
              want.screenLacks, scene);
  if (want.screen) {
    EXPECT_EQ(result.standardOutput, asWritten(*want.screen));
  }
  EXPECT_EQ(readFile(scene.temp + "/my viewer.log"),
            expanded(want.viewerSaw, scene));
  const std::string descriptors = readFile(scene.temp + "/my viewer.fds");
  if (!want.viewerSaw.empty()) {
    EXPECT_NE(descriptors.find("->"), std::string::npos);
  }
  EXPECT_EQ(descriptors.find("qil"), std::string::npos) << descriptors;
  EXPECT_EQ(descriptors.find(want.report), std::string::npos) << descriptors;
  for (const Row::Check& check : row.checks) check(scene, want);
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
    if (row.asNobody) openDriveCToNobody();
    const std::string viewer = temp_ / "my viewer";
    writeFile(viewer,
              "#!/bin/sh\n{ pwd; printf '%s\\n' \"$@\"; } >\"$0.log\"\n"
              "ls -l /proc/$$/fd >\"$0.fds\"\n");
    chmod(viewer.c_str(), 0755);
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

  ProcessResult run(const Row& row, const Variant& run, Scene& scene) override {
    ProcessOptions options;
    options.input = scene.input;
    options.arguments = run.arguments;
    if (run.signal != 0) {
      options.signalAfter = "option(s) to toggle: ";
      options.signal = run.signal;
      if (row.menuStep) options.beforeSignal = [&] { row.menuStep(scene); };
    }
    options.ignoredSignals = row.ignoredSignals;
    if (row.tweak) row.tweak(&options);
    if (row.asNobody && geteuid() == 0) options.userId = kNobody;
    return runExporter(options, run.environment);
  }

  TreeState serverState() override { return SampleServer::serverState(); }
  void finish(bool) override {}

 private:
  // As root, the run is made as nobody, who may write in every folder of
  // drive C (the error logs go there) and read the server's files.
  static constexpr int kNobody = 65534;
  void openDriveCToNobody() {
    chmod(temp_.path().c_str(), 0755);
    for (const auto& entry : fs::recursive_directory_iterator(drive(""))) {
      if (entry.is_directory() && !entry.is_symlink()) {
        chmod(entry.path().c_str(), 0777);
      }
    }
  }

  // system.reg holds a value escaped, on its line below the key's section.
  void setValue(const std::string& key, const std::string& name,
                const std::string& text) {
    const std::string section = replaceAll(
        "[Software\\Orbital Forge Software\\Starhaul Deluxe Game Server" +
            (key.empty() ? "" : "\\" + key) + "]",
        "\\", "\\\\");
    const std::string path = prefix() + "/system.reg";
    std::string reg = readFile(path);
    const std::size_t line = reg.find("\n\"" + name + "\"=", reg.find(section));
    ASSERT_NE(line, std::string::npos) << section << " " << name;
    const std::string stored =
        replaceAll(replaceAll(text, "\\", "\\\\"), "\"", "\\\"");
    reg.replace(line + 1, reg.find('\n', line + 1) - line - 1,
                "\"" + name + "\"=\"" + stored + "\"");
    writeFile(path, reg);
  }
};
#endif

}  // namespace

#ifndef SHGS_UNDER_WINE
std::unique_ptr<Stage> makeStage() { return std::make_unique<NativeStage>(); }
#endif

}  // namespace scenario
}  // namespace shgs
