// Whole runs on servers whose files hold what no well-behaved server writes:
// a broken registry, odd paths and numbers, description files that are not
// text, output files that cannot be written, input that ends early. Each
// case ends with its defined message and exit code, leaves exactly the
// files its outcome says, and changes nothing of the server's.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "support/sample_run.h"
#include "support/test_support.h"

namespace shgs {
namespace {

namespace fs = std::filesystem;

using e2e::entriesOf;
using e2e::SampleRunTest;
using e2e::treeDifferences;
using testing_support::fileExists;
using testing_support::makeDirectories;
using testing_support::ProcessResult;
using testing_support::readFile;
using testing_support::runProcess;
using testing_support::writeFile;

constexpr char kMissingServerRoot[] =
    "Failed to open registry data; ServerRoot key not found.\n"
    "Make sure SHGS is installed on this PC.";
// Where a message names the Wine prefix, which each test makes anew.
constexpr char kPrefixMark[] = "<prefix>";
const std::string kNoKey =
    std::string(kPrefixMark) +
    "/system.reg: no key HKLM\\Software\\Orbital Forge Software\\Starhaul "
    "Deluxe Game Server\n";
constexpr char kInputEnded[] =
    "Input ended before the options were confirmed; no report was written.";
constexpr char kReportWritten[] = "Report written to out.txt\n";
constexpr char kChooseA[] = "$ out.txt\nA!\n";

// Six games for the forum warning; only A has its files.
constexpr char kRegistry[] = R"(
[registry]
ServerRoot = C:\SHGS
LimitIP = F
IPAddr = 10.0.0.1
NameAddr = ""
Port = 2002
NodeMax = 12
)";

constexpr char kServerFiles[] = R"(
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

// The report's text around the excerpt: the heading's end, and the link.
constexpr char kHeadingEnd[] = "100 turns[/COLOR]";
constexpr char kLinkStart[] = "\n[url]shplay:";

// Bytes of every value, seeded so that every run sees the same.
std::string noise(std::size_t size) {
  std::mt19937 random(11);
  std::uniform_int_distribution<int> byte(0, 255);
  std::string text(size, '\0');
  for (char& c : text) c = static_cast<char>(byte(random));
  return text;
}

// Replaces the first "from" in the file at "path" by "to".
void replaceInFile(const std::string& path, const std::string& from,
                   const std::string& to) {
  std::string text = readFile(path);
  const std::size_t at = text.find(from);
  ASSERT_NE(at, std::string::npos) << from << " not in " << path;
  writeFile(path, text.replace(at, from.size(), to));
}

void symlinkTo(const std::string& target, const std::string& link) {
  fs::create_symlink(target, link);
}

// Cuts the file at "path" right after the first "marker".
void cutAfter(const std::string& path, const std::string& marker) {
  const std::string text = readFile(path);
  const std::size_t at = text.find(marker);
  ASSERT_NE(at, std::string::npos) << marker << " not in " << path;
  writeFile(path, text.substr(0, at + marker.size()));
}

// 10 MB of keys below "parentKey" (as system.reg writes it) that the
// exporter does not read, with words it looks for inside their texts.
std::string unrelatedKeys(const std::string& parentKey) {
  std::string keys;
  for (int node = 0; keys.size() < (10u << 20); ++node) {
    keys += "\n[" + parentKey + "\\\\Nodes\\\\" + std::to_string(node) +
            "] 1733500000\n\"Note\"=\"Port 9 Title x Directory y\"\n"
            "\"Counters\"=\"1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17\"\n";
  }
  return keys;
}

const char kStoredServerKey[] =
    "Software\\\\Orbital Forge Software\\\\Starhaul Deluxe Game Server";

// Where a case's files stand once the server is built.
struct Paths {
  std::string systemReg;
  std::string gameA;        // the game's directory
  std::string description;  // its description file
  std::string start;
  std::string victim;  // someone else's file on drive C, outside the start
};

// One case: the server, how it is spoilt, what the operator types, and how
// the run must end.
struct BadInput {
  explicit BadInput(const char* caseName) : name(caseName) {}

  BadInput& withRegistry(std::string text) {
    registry = std::move(text);
    return *this;
  }
  BadInput& spoiledBy(std::function<void(const Paths&)> change) {
    spoil = std::move(change);
    return *this;
  }
  BadInput& typing(std::string text) {
    input = std::move(text);
    return *this;
  }
  // Values may name the prefix with kPrefixMark.
  BadInput& withEnvironment(testing_support::Environment variables) {
    environment = std::move(variables);
    return *this;
  }
  // Runs the program as an ordinary user: permission bits do not stop the
  // root user that tests may run as.
  BadInput& unprivileged() {
    asNobody = true;
    return *this;
  }
  // Entries planted in the start directory that the run must leave as they
  // are.
  BadInput& keeping(std::set<std::string> names) {
    kept = std::move(names);
    startEntries.insert(kept.begin(), kept.end());
    return *this;
  }
  // A completed run: only the report is left, and it holds each of "texts".
  BadInput& completes(std::vector<std::string> texts) {
    exitCode = 0;
    standardError = kReportWritten;
    startEntries = {"out.txt"};
    startEntries.insert(kept.begin(), kept.end());
    holds = std::move(texts);
    return *this;
  }
  BadInput& stops(std::string message, std::set<std::string> leftInStart) {
    exitCode = 1;
    standardError = std::move(message);
    startEntries = std::move(leftInStart);
    startEntries.insert(kept.begin(), kept.end());
    return *this;
  }
  BadInput& reportLacks(std::string text) {
    lacks.push_back(std::move(text));
    return *this;
  }
  BadInput& reportHolds(std::string text) {
    holds.push_back(std::move(text));
    return *this;
  }

  const char* name;
  std::string registry = kRegistry;         // the [registry] section
  std::function<void(const Paths&)> spoil;  // run after the build
  std::string input = kChooseA;
  testing_support::Environment environment;
  bool asNobody = false;
  std::set<std::string> kept;
  int exitCode = 0;
  std::string standardError;
  std::set<std::string> startEntries;  // left in the start directory
  std::vector<std::string> holds;      // each in out.txt
  std::vector<std::string> lacks;      // none in out.txt
};

std::ostream& operator<<(std::ostream& out, const BadInput& c) {
  return out << c.name;
}

const std::set<std::string> kCaptureAndLog = {"qil.tmp", "qilerror.txt"};
const std::set<std::string> kReportAndLog = {"out.txt", "qilerror.txt"};

std::vector<BadInput> registryCases() {
  return {
      BadInput("NoServerKey")
          .withRegistry(std::string(kRegistry) + "@absent = true\n")
          .stops(kNoKey + kMissingServerRoot, kCaptureAndLog),
      BadInput("SystemRegOfNoise")
          .spoiledBy(
              [](const Paths& p) { writeFile(p.systemReg, noise(10 << 20)); })
          .stops(kNoKey + kMissingServerRoot, kCaptureAndLog),
      BadInput("TenMegabytesOfUnrelatedKeys")
          .spoiledBy([](const Paths& p) {
            writeFile(p.systemReg,
                      readFile(p.systemReg) + unrelatedKeys(kStoredServerKey));
          })
          .completes(
              {"telnet:\\\\10.0.0.1:2002", "Game A - Alpha - 1000 sectors"}),
      BadInput("NulEscapeEndsAValue")
          .spoiledBy([](const Paths& p) {
            replaceInFile(p.systemReg, "\"Alpha\"", "\"Al\\0pha\"");
          })
          .completes({"[yellow]Game A - Al - 1000 sectors"})
          .reportLacks("Alpha"),
      BadInput("RawNulByteEndsAValue")
          .spoiledBy([](const Paths& p) {
            replaceInFile(p.systemReg, "\"Alpha\"",
                          std::string("\"Al") + '\0' + "pha\"");
          })
          .completes({"[yellow]Game A - Al - 1000 sectors"})
          .reportLacks("Alpha"),
      BadInput("ValueWithoutData")
          .spoiledBy([](const Paths& p) {
            replaceInFile(p.systemReg, "\"Port\"=\"2002\"", "\"Port\"=");
          })
          .completes({"[url]telnet:\\\\10.0.0.1:0[/url]",
                      "shplay:\\\\10.0.0.1:0\\new"}),
      // The line end splits the value line; the second half is a value
      // line with a name alone, whose value is empty.
      BadInput("LineEndInsideAValueMakesABareValueLine")
          .spoiledBy([](const Paths& p) {
            replaceInFile(p.systemReg, "\"C:\\\\SHGS\"",
                          "\"C:\\\\SHGS\\n    IPAddr\"");
          })
          .completes({"[url]telnet:\\\\:2002[/url]", "Game A - Alpha"}),
      BadInput("SystemRegCutInsideTheGamesSectionLine")
          .spoiledBy(
              [](const Paths& p) { cutAfter(p.systemReg, "Games\\\\A"); })
          .completes({"Test Server running SHGS"})
          .reportLacks("Game A"),
      // Game A keeps its entry, without the values that the cut took.
      BadInput("SystemRegCutInsideAnEscape")
          .spoiledBy([](const Paths& p) {
            cutAfter(p.systemReg, "\"Directory\"=\"C:\\");
          })
          .stops("Failed to enter directory QnF", kReportAndLog)
          .reportHolds("Test Server running SHGS")
          .reportLacks("Game A"),
      BadInput("SystemRegCutInsideServerRoot")
          .spoiledBy([](const Paths& p) {
            cutAfter(p.systemReg, "\"ServerRoot\"=\"C:\\\\SH");
          })
          .stops(kMissingServerRoot, kCaptureAndLog),
  };
}

void replaceGameDirectory(const Paths& p, const std::string& text) {
  replaceInFile(p.systemReg, "\"C:\\\\SHGS\\\\GAME\\\\A\"", text);
}

std::vector<BadInput> descriptionCases() {
  return {
      // The Ctrl-Z byte of the signature ends the text.
      BadInput("BinaryDescription")
          .spoiledBy([](const Paths& p) {
            writeFile(p.description,
                      std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\xff", 17));
          })
          .completes({std::string(kHeadingEnd) + "\n\x89PNG" + kLinkStart}),
      BadInput("EmptyDescription")
          .spoiledBy([](const Paths& p) { writeFile(p.description, ""); })
          .completes({std::string(kHeadingEnd) + kLinkStart}),
      BadInput("DescriptionWithoutLineEnd")
          .spoiledBy(
              [](const Paths& p) { writeFile(p.description, "one line only"); })
          .completes(
              {std::string(kHeadingEnd) + "\none line only" + kLinkStart}),
      BadInput("DescriptionIsADirectory")
          .spoiledBy([](const Paths& p) {
            fs::remove(p.description);
            makeDirectories(p.description);
          })
          .completes({std::string(kHeadingEnd) + kLinkStart}),
      // Opening a FIFO for reading would wait for a writer for ever.
      BadInput("DescriptionIsAFifo")
          .spoiledBy([](const Paths& p) {
            fs::remove(p.description);
            mkfifo(p.description.c_str(), 0644);
          })
          .completes({std::string(kHeadingEnd) + kLinkStart}),
      // A file the kernel makes up as it is read has no size to read.
      BadInput("DescriptionLinkedToTheProcessEnvironment")
          .spoiledBy([](const Paths& p) {
            fs::remove(p.description);
            symlinkTo("/proc/self/environ", p.description);
          })
          .completes({std::string(kHeadingEnd) + kLinkStart})
          .reportLacks("WINEPREFIX"),
      BadInput("DescriptionEndsAtCtrlZ")
          .spoiledBy([](const Paths& p) {
            writeFile(p.description, "first line\nsecond\x1athird\n");
          })
          .completes(
              {std::string(kHeadingEnd) + "\nfirst line\nsecond" + kLinkStart}),
  };
}

std::vector<BadInput> pathCases() {
  const std::string excerptShown =
      std::string(kHeadingEnd) + "\nThe first game." + kLinkStart;
  return {
      BadInput("GameDirectoryMissing")
          .spoiledBy([](const Paths& p) { fs::remove_all(p.gameA); })
          .stops("Failed to enter directory C:\\SHGS\\GAME\\A", kReportAndLog)
          .reportHolds("Test Server running SHGS")
          .reportLacks("Game A"),
      BadInput("GameDirectoryIsAFile")
          .spoiledBy([](const Paths& p) {
            fs::remove_all(p.gameA);
            writeFile(p.gameA, "not a directory");
          })
          .stops("Failed to enter directory C:\\SHGS\\GAME\\A", kReportAndLog)
          .reportLacks("Game A"),
      // Relative to the directory current at that moment: the server's GAME
      // directory after the server section, else the start directory.
      BadInput("RelativeGameDirectoryFromTheGameDirectory")
          .spoiledBy([](const Paths& p) { replaceGameDirectory(p, "\"A\""); })
          .completes({excerptShown}),
      BadInput("RelativeGameDirectoryFromTheStartDirectory")
          .spoiledBy([](const Paths& p) { replaceGameDirectory(p, "\"A\""); })
          .typing("$ out.txt\n*A!\n")
          .stops("Failed to enter directory A", kReportAndLog)
          .reportLacks("Game A"),
      BadInput("ServerRootWithTrailingBackslash")
          .spoiledBy([](const Paths& p) {
            replaceInFile(p.systemReg, "\"C:\\\\SHGS\"", "\"C:\\\\SHGS\\\\\"");
          })
          .completes({"Test Server running SHGS", excerptShown}),
      // Windows ignores trailing dots and blanks, and "\" is on drive C.
      BadInput("GameDirectoryWithTrailingDotsAndBlanks")
          .spoiledBy([](const Paths& p) {
            replaceGameDirectory(p, "\"C:\\\\SHGS\\\\GAME\\\\A. .\"");
          })
          .completes({excerptShown}),
      BadInput("GameDirectoryFromTheDriveRoot")
          .spoiledBy([](const Paths& p) {
            replaceGameDirectory(p, "\"\\\\SHGS\\\\GAME\\\\A\"");
          })
          .completes({excerptShown}),
      BadInput("ServerRootWithForwardSlashes")
          .spoiledBy([](const Paths& p) {
            replaceInFile(p.systemReg, "\"C:\\\\SHGS\"", "\"C:/SHGS\"");
          })
          .completes({"Test Server running SHGS", excerptShown}),
  };
}

// A 32-bit strtol clamps, where atoi's overflow is undefined; the report
// shows the clamped value as a 16-bit number.
std::string numbersRegistry(const char* port, const char* nodeMax) {
  return std::string(
             "[registry]\nServerRoot = C:\\SHGS\nIPAddr = 10.0.0.1\n"
             "NameAddr = \"\"\nPort = ") +
         port + "\nNodeMax = " + nodeMax + "\n";
}

std::vector<BadInput> numberCases() {
  return {
      BadInput("NumbersAbove32Bits")
          .withRegistry(numbersRegistry("99999999999", "99999999999"))
          .completes({"telnet:\\\\10.0.0.1:65535[", "\n65535 nodes;",
                      "shplay:\\\\10.0.0.1:65535\\new"}),
      BadInput("NumbersThatWrapToSmallOnesIn32Bits")
          .withRegistry(numbersRegistry("4294967319", "4294967308"))
          .completes({"telnet:\\\\10.0.0.1:65535[", "\n65535 nodes;"}),
      BadInput("NumbersBelow32Bits")
          .withRegistry(numbersRegistry("-99999999999", "-4294967297"))
          .completes({"telnet:\\\\10.0.0.1:0[", "\n0 nodes;"}),
  };
}

std::vector<BadInput> outputAndInputCases() {
  return {
      BadInput("OutputFileIsADirectory")
          .spoiledBy([](const Paths& p) { makeDirectories(p.start + "/adir"); })
          .typing("$ adir\nA!\n")
          .stops("Failed to create output file.", {"adir", "qilerror.txt"}),
      BadInput("OutputFileInAMissingDirectory")
          .typing("$ missing/out.txt\nA!\n")
          .stops("Failed to create output file.", {"qilerror.txt"}),
      // The readers remove these files when they end, report and all.
      BadInput("OutputFileNamedLikeTheErrorLog")
          .typing("$ qilerror.txt\nA!\n")
          .stops("Failed to create output file.", {"qilerror.txt"}),
      BadInput("OutputFileNamedLikeTheCaptureElsewhere")
          .spoiledBy([](const Paths& p) { makeDirectories(p.start + "/adir"); })
          .typing("$ adir/QIL.TMP\nA!\n")
          .stops("Failed to create output file.", {"adir", "qilerror.txt"}),
      BadInput("OutputFileOnAFullDevice")
          .typing("$ /dev/full\nA!\n")
          .stops("Failed to write output file.", {"qilerror.txt"}),
      // Blanks name no editor, so no command is run on the report's name.
      BadInput("BlankEditorIsNoEditor")
          .withEnvironment({{"EDITOR", " "}, {"VISUAL", "\t"}})
          .completes({"Game A - Alpha"}),
      BadInput("InputEndsAtTheFirstPrompt").typing("").stops(kInputEnded, {}),
      BadInput("InputEndsInTheMenu").typing("A\n*").stops(kInputEnded, {}),
      BadInput("InputEndsAtTheFileNamePrompt")
          .typing("A $")
          .stops(kInputEnded, {}),
      BadInput("InputEndsAtTheForumWarning")
          .typing("ABCDEF!")
          .stops(kInputEnded, {}),
  };
}

// A listing that names another server: it must never stand in for the
// registry.
constexpr char kForgedCapture[] =
    "\r\nHKEY_LOCAL_MACHINE\\Software\\Orbital Forge Software\\Starhaul Deluxe "
    "Game Server\r\n    ServerRoot    REG_SZ    C:\\SHGS\r\n"
    "    IPAddr    REG_SZ    6.6.6.6\r\n    Port    REG_SZ    666\r\n";

// Whatever stands at the capture's name, the capture is the run's own.
std::vector<BadInput> captureCases() {
  const std::vector<std::string> realServer = {"telnet:\\\\10.0.0.1:2002["};
  return {
      BadInput("PlantedUpperCaseCapture")
          .spoiledBy([](const Paths& p) {
            writeFile(p.start + "/QIL.TMP", kForgedCapture);
          })
          .keeping({"QIL.TMP"})
          .completes(realServer)
          .reportLacks("6.6.6.6"),
      BadInput("PlantedMixedCaseCapture")
          .spoiledBy([](const Paths& p) {
            writeFile(p.start + "/Qil.tmp", kForgedCapture);
          })
          .keeping({"Qil.tmp"})
          .completes(realServer)
          .reportLacks("6.6.6.6"),
      BadInput("CaptureIsALink")
          .spoiledBy(
              [](const Paths& p) { symlinkTo(p.victim, p.start + "/qil.tmp"); })
          .completes(realServer),
      BadInput("CaptureIsReadOnly")
          .spoiledBy([](const Paths& p) {
            writeFile(p.start + "/qil.tmp", kForgedCapture);
            chmod((p.start + "/qil.tmp").c_str(), 0444);
          })
          .unprivileged()
          .completes(realServer)
          .reportLacks("6.6.6.6"),
      BadInput("CaptureIsAFifo")
          .spoiledBy([](const Paths& p) {
            mkfifo((p.start + "/qil.tmp").c_str(), 0644);
          })
          .completes(realServer),
  };
}

// An error log is never a link's target, a FIFO or a device.
std::vector<BadInput> errorLogCases() {
  return {
      BadInput("ErrorLogIsALink")
          .spoiledBy([](const Paths& p) {
            symlinkTo(p.victim, p.start + "/qilerror.txt");
          })
          .stops("Error log failed to open.", {"qilerror.txt"}),
      BadInput("ErrorLogIsADanglingLink")
          .spoiledBy([](const Paths& p) {
            symlinkTo(p.victim + ".new", p.start + "/qilerror.txt");
          })
          .stops("Error log failed to open.", {"qilerror.txt"}),
      BadInput("ErrorLogIsAFifo")
          .spoiledBy([](const Paths& p) {
            mkfifo((p.start + "/qilerror.txt").c_str(), 0644);
          })
          .stops("Error log failed to open.", {"qilerror.txt"}),
      BadInput("GameErrorLogIsALink")
          .spoiledBy([](const Paths& p) {
            symlinkTo(p.victim, p.gameA + "/qilerror.txt");
          })
          .stops("Error log failed to open.", kReportAndLog)
          .reportHolds("Test Server running SHGS")
          .reportLacks("Game A"),
  };
}

// The registry file is read only when it is a regular file, and a run that
// finds no key says which file it looked in.
std::vector<BadInput> systemRegCases() {
  const std::string notRegular = std::string(kPrefixMark) +
                                 "/system.reg: not a regular file\n" +
                                 kMissingServerRoot;
  return {
      BadInput("SystemRegIsAFifo")
          .spoiledBy([](const Paths& p) {
            fs::remove(p.systemReg);
            mkfifo(p.systemReg.c_str(), 0644);
          })
          .stops(notRegular, kCaptureAndLog),
      BadInput("SystemRegIsLinkedToDevZero")
          .spoiledBy([](const Paths& p) {
            fs::remove(p.systemReg);
            symlinkTo("/dev/zero", p.systemReg);
          })
          .stops(notRegular, kCaptureAndLog),
      BadInput("SystemRegUnreadable")
          .spoiledBy([](const Paths& p) { chmod(p.systemReg.c_str(), 0); })
          .unprivileged()
          .stops(std::string(kPrefixMark) + "/system.reg: Permission denied\n" +
                     kMissingServerRoot,
                 kCaptureAndLog),
      BadInput("PrefixMissing")
          .withEnvironment({{"WINEPREFIX", std::string(kPrefixMark) + "/no"}})
          .stops(std::string(kPrefixMark) +
                     "/no/system.reg: No such file or directory\n" +
                     kMissingServerRoot,
                 kCaptureAndLog),
      // Made absolute at start: the directory changes do not move it.
      BadInput("RelativePrefix")
          .withEnvironment({{"WINEPREFIX", "../.."}})
          .completes(
              {"Test Server running SHGS",
               std::string(kHeadingEnd) + "\nThe first game." + kLinkStart}),
  };
}

// The report never replaces a file the run reads or removes, however the
// name is spelled; the refusal comes before anything is truncated.
std::vector<BadInput> reportNameCases() {
  const std::set<std::string> logOnly = {"qilerror.txt"};
  const std::string refused = "Failed to create output file.";
  return {
      BadInput("ReportNameWithANulByte")
          .typing(std::string("$ qilerror.txt") + '\0' + "x\nA!\n")
          .stops(refused, logOnly),
      BadInput("ReportNamedAsTheGameRecord")
          .typing("$ ../SHGS/GAME/A/shcfig.dat\nA!\n")
          .stops(refused, logOnly),
      BadInput("ReportNamedAsTheGlobalRecord")
          .typing("$ ../SHGS/GAME/shglob.dat\nA!\n")
          .stops(refused, logOnly),
      BadInput("ReportNamedAsTheDescription")
          .typing("$ ../SHGS/DescFile/Game1.txt\nA!\n")
          .stops(refused, logOnly),
      BadInput("ReportNamedAsSystemReg")
          .typing("$ ../../system.reg\nA!\n")
          .stops(refused, logOnly),
      BadInput("ReportNameLinkedToTheErrorLog")
          .spoiledBy([](const Paths& p) {
            symlinkTo("qilerror.txt", p.start + "/report.txt");
          })
          .typing("$ report.txt\nA!\n")
          .stops(refused, {"qilerror.txt", "report.txt"}),
      BadInput("ReportNameHardLinkedToTheGameRecord")
          .spoiledBy([](const Paths& p) {
            fs::create_hard_link(p.gameA + "/shcfig.dat",
                                 p.start + "/report.txt");
          })
          .typing("$ report.txt\nA!\n")
          .stops(refused, {"qilerror.txt", "report.txt"}),
  };
}

std::vector<BadInput> allCases() {
  std::vector<BadInput> cases;
  for (const auto& part :
       {registryCases(), captureCases(), errorLogCases(), systemRegCases(),
        descriptionCases(), pathCases(), numberCases(), reportNameCases(),
        outputAndInputCases()}) {
    cases.insert(cases.end(), part.begin(), part.end());
  }
  return cases;
}

class BadInputTest : public SampleRunTest,
                     public ::testing::WithParamInterface<BadInput> {
 protected:
  Paths paths() const {
    return {prefix() + "/system.reg", drive("SHGS/GAME/A"),
            drive("SHGS/DescFile/Game1.txt"), start(), drive("victim.txt")};
  }

  // As root, the run is made as nobody, who may write in every directory of
  // drive C (the error logs go there) and read the server's files.
  void runAsNobody(testing_support::ProcessOptions* options) const {
    constexpr int kNobody = 65534;
    if (geteuid() != 0) return;
    options->userId = kNobody;
    chmod(temp_.path().c_str(), 0755);
    for (const auto& entry : fs::recursive_directory_iterator(drive(""))) {
      if (entry.is_directory() && !entry.is_symlink()) {
        chmod(entry.path().c_str(), 0777);
      }
    }
  }

  std::string withPrefix(std::string text) const {
    const std::size_t mark = text.find(kPrefixMark);
    if (mark != std::string::npos) {
      text.replace(mark, std::strlen(kPrefixMark), prefix());
    }
    return text;
  }
};

TEST_P(BadInputTest, EndsAsDefinedAndChangesNothingOfTheServer) {
  const BadInput& c = GetParam();
  ASSERT_NO_FATAL_FAILURE(makeServer(c.registry + kServerFiles));
  writeFile(paths().victim, "someone else's\n");
  if (c.spoil) {
    ASSERT_NO_FATAL_FAILURE(c.spoil(paths()));
  }
  testing_support::ProcessOptions options;
  options.input = c.input;
  if (c.asNobody) runAsNobody(&options);
  const e2e::TreeState before = serverState();
  const e2e::TreeState startBefore = e2e::treeStateOf(start());
  testing_support::Environment environment = c.environment;
  for (auto& variable : environment) {
    variable.second = withPrefix(variable.second);
  }

  const ProcessResult result = runExporter(options, environment);

  EXPECT_EQ(result.exitCode, c.exitCode);
  EXPECT_EQ(result.standardError, withPrefix(c.standardError));
  EXPECT_EQ(entriesOf(start()), c.startEntries);
  EXPECT_EQ(treeDifferences(before, serverState()), "");
  const e2e::TreeState startAfter = e2e::treeStateOf(start());
  for (const std::string& name : c.kept) {
    EXPECT_EQ(startAfter.count(name) ? startAfter.at(name) : "gone",
              startBefore.at(name))
        << name;
  }
  const std::string report = readFile(startFile("out.txt"));
  for (const std::string& text : c.holds) {
    EXPECT_NE(report.find(text), std::string::npos)
        << ::testing::PrintToString(text) << " not in the report";
  }
  for (const std::string& text : c.lacks) {
    EXPECT_EQ(report.find(text), std::string::npos)
        << ::testing::PrintToString(text) << " in the report";
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, BadInputTest, ::testing::ValuesIn(allCases()),
                         [](const auto& info) { return info.param.name; });

// A capture cut short by a full disk is no capture: the run stops as for one
// that cannot be made. The start directory is a small file system of its
// own, too small for a listing that holds a long value.
class FullDiskTest : public SampleRunTest {
 protected:
  void TearDown() override {
    if (mounted_) umount2(start().c_str(), MNT_DETACH);
  }
  bool mounted_ = false;
};

TEST_F(FullDiskTest, CaptureCutShortStopsTheRun) {
  ASSERT_NO_FATAL_FAILURE(makeServer(std::string(kRegistry) +
                                     "Motd = " + std::string(256 * 1024, 'm') +
                                     "\n" + kServerFiles));
  mounted_ =
      mount("tmpfs", start().c_str(), "tmpfs", 0, "size=64k,mode=0777") == 0;
  if (!mounted_) {
    GTEST_SKIP() << "cannot mount a small file system here: "
                 << std::strerror(errno);
  }
  const e2e::TreeState before = serverState();

  const ProcessResult result = runExporter(kChooseA);

  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.standardError, "Failed to initialize registry data.");
  EXPECT_EQ(entriesOf(start()), kCaptureAndLog);
  EXPECT_EQ(treeDifferences(before, serverState()), "");
}

// Two runs in one directory at once, each on its own server: each reports
// its own, and neither leaves a file behind. Repeated to give a race room.
TEST_F(SampleRunTest, TwoRunsInOneDirectoryEachReportTheirOwnServer) {
  ASSERT_NO_FATAL_FAILURE(makeServer(std::string(kRegistry) + kServerFiles));
  std::string other = std::string(kRegistry) + kServerFiles;
  other.replace(other.find("10.0.0.1"), 8, "10.0.0.2");
  writeFile(temp_ / "other.txt", other);
  const ProcessResult made =
      runProcess({SHGS_MAKE_SERVER_PATH, temp_ / "other.txt", temp_ / "other"},
                 temp_.path(), {}, "");
  ASSERT_EQ(made.exitCode, 0) << made.standardError;
  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    ProcessResult second;
    std::thread otherRun([&] {
      second =
          runExporter("$ other.txt\nA!\n", {{"WINEPREFIX", temp_ / "other"}});
    });
    const ProcessResult first = runExporter("$ own.txt\nA!\n");
    otherRun.join();
    EXPECT_EQ(first.exitCode, 0) << first.standardError;
    EXPECT_EQ(second.exitCode, 0) << second.standardError;
    EXPECT_NE(readFile(startFile("own.txt")).find("telnet:\\\\10.0.0.1:"),
              std::string::npos);
    EXPECT_NE(readFile(startFile("other.txt")).find("telnet:\\\\10.0.0.2:"),
              std::string::npos);
    EXPECT_EQ(entriesOf(start()),
              (std::set<std::string>{"other.txt", "own.txt"}));
  }
}

// Ctrl-C and its kin at the menu remove the files the run holds, and the
// run ends as the signal ends a program.
TEST_F(SampleRunTest, InterruptionRemovesTheFilesTheRunHolds) {
  ASSERT_NO_FATAL_FAILURE(makeServer(std::string(kRegistry) + kServerFiles));
  const e2e::TreeState before = serverState();
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(strsignal(signal));
    testing_support::ProcessOptions options;
    options.signalAfter = "option(s) to toggle: ";
    options.signal = signal;

    const ProcessResult result = runExporter(options);

    EXPECT_EQ(result.endedBySignal, signal);
    EXPECT_EQ(entriesOf(start()), std::set<std::string>());
    EXPECT_EQ(treeDifferences(before, serverState()), "");
  }
}

// Records of any length: the first 4096 bytes count and missing bytes read as
// zero, so a record file cut short or padded gives the report of the same
// bytes zero-filled to 4096.
struct RecordSize {
  const char* name;
  const char* file;  // below drive C
  std::size_t size;
};

std::ostream& operator<<(std::ostream& out, const RecordSize& c) {
  return out << c.name;
}

class RecordSizeTest : public SampleRunTest,
                       public ::testing::WithParamInterface<RecordSize> {
 protected:
  // The report of a run, less the line whose age depends on the clock.
  std::string reportOf(const ProcessResult& result) {
    EXPECT_EQ(result.exitCode, 0) << result.standardError;
    EXPECT_EQ(result.standardError, kReportWritten);
    std::string report = readFile(startFile("out.txt"));
    const std::size_t age = report.find("Age of Game:");
    const std::size_t lineStart = report.rfind('\n', age);
    if (age != std::string::npos && lineStart != std::string::npos) {
      report.erase(lineStart, report.find('\n', age) - lineStart);
    }
    fs::remove(startFile("out.txt"));
    return report;
  }
};

TEST_P(RecordSizeTest, ReadsTheFirst4096BytesWithZerosPastTheEnd) {
  const RecordSize& c = GetParam();
  ASSERT_NO_FATAL_FAILURE(
      makeServer(readFile(SHGS_SOURCE_DIR "/examples/sample-server.txt")));
  const std::string path = drive(c.file);
  const std::string full = readFile(path);
  ASSERT_EQ(full.size(), 4096u);

  std::string sized = full.substr(0, c.size);
  sized.resize(c.size, '\xA5');  // past 4096: bytes that must not count
  writeFile(path, sized);
  const e2e::TreeState before = serverState();
  const std::string report = reportOf(runExporter("$ out.txt\nA!\n"));
  EXPECT_EQ(treeDifferences(before, serverState()), "");

  std::string zeroFilled = full.substr(0, c.size);
  zeroFilled.resize(4096, '\0');
  writeFile(path, zeroFilled);
  EXPECT_EQ(report, reportOf(runExporter("$ out.txt\nA!\n")));
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, RecordSizeTest,
    ::testing::Values(RecordSize{"Config0", "SHGS/GAME/A/shcfig.dat", 0},
                      RecordSize{"Config1", "SHGS/GAME/A/shcfig.dat", 1},
                      RecordSize{"Config151", "SHGS/GAME/A/shcfig.dat", 151},
                      RecordSize{"Config4095", "SHGS/GAME/A/shcfig.dat", 4095},
                      RecordSize{"Config4096", "SHGS/GAME/A/shcfig.dat", 4096},
                      RecordSize{"Config10000", "SHGS/GAME/A/shcfig.dat",
                                 10000},
                      RecordSize{"Global0", "SHGS/GAME/shglob.dat", 0},
                      RecordSize{"Global1", "SHGS/GAME/shglob.dat", 1},
                      RecordSize{"Global151", "SHGS/GAME/shglob.dat", 151},
                      RecordSize{"Global4095", "SHGS/GAME/shglob.dat", 4095},
                      RecordSize{"Global4096", "SHGS/GAME/shglob.dat", 4096},
                      RecordSize{"Global10000", "SHGS/GAME/shglob.dat", 10000}),
    [](const auto& info) { return std::string(info.param.name); });

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

// Whole runs on inputs of many megabytes stay small. Sanitized builds keep
// shadow memory, so only plain builds are measured.
class MemoryUseTest : public SampleRunTest {};

// A 200 MB description file of one line (zero bytes, written sparse): the
// excerpt reads only its budget.
TEST_F(MemoryUseTest, HugeOneLineDescriptionKeepsTheRunSmall) {
  ASSERT_NO_FATAL_FAILURE(makeServer(std::string(kRegistry) + kServerFiles));
  const std::string description = drive("SHGS/DescFile/Game1.txt");
  writeFile(description, "");
  fs::resize_file(description, 200u << 20);

  const ProcessResult result = runExporter(kChooseA);

  ASSERT_EQ(result.exitCode, 0) << result.standardError;
  const std::string row(80, '\0');
  const std::string excerpt = "\n" + row + "\n" + row + "\n" + row + "\n" +
                              row + "\n" + std::string(77, '\0') + "...";
  EXPECT_NE(
      readFile(startFile("out.txt")).find(kHeadingEnd + excerpt + kLinkStart),
      std::string::npos);
  if (!kSanitized) {
    EXPECT_LT(result.peakMemoryKb, 16 * 1024);
  }
}

// A 100 MB registry file of a 64-bit prefix, nearly all of it keys below
// the server's 64-bit key that follow its 32-bit one: the listing keeps only
// the 32-bit view, dropping the other as soon as that view appears, so the
// run stays small.
TEST_F(MemoryUseTest, HugeSystemRegKeepsTheRunSmall) {
  ASSERT_NO_FATAL_FAILURE(
      makeServer(std::string(kRegistry) + "@view = 32\n" + kServerFiles));
  const std::string systemReg = prefix() + "/system.reg";
  std::string keys = unrelatedKeys(kStoredServerKey);
  {
    std::ofstream out(systemReg, std::ios::binary | std::ios::app);
    for (int i = 0; i < 10; ++i) out << keys;
  }
  keys.clear();
  keys.shrink_to_fit();

  const ProcessResult result = runExporter(kChooseA);

  ASSERT_EQ(result.exitCode, 0) << result.standardError;
  EXPECT_NE(readFile(startFile("out.txt")).find("Game A - Alpha"),
            std::string::npos);
  if (!kSanitized) {
    EXPECT_LT(result.peakMemoryKb, 32 * 1024);
  }
}

// Each caret toggles the listed games; millions of them cost no memory for
// the letters they stand for (an even number leaves the selection as it
// was).
TEST_F(MemoryUseTest, ManyCaretsKeepTheMenuSmall) {
  ASSERT_NO_FATAL_FAILURE(makeServer(std::string(kRegistry) + kServerFiles));

  const ProcessResult result =
      runExporter("$ out.txt\n" + std::string(5 << 20, '^') + "A!\n");

  ASSERT_EQ(result.exitCode, 0) << result.standardError;
  const std::string report = readFile(startFile("out.txt"));
  EXPECT_NE(report.find("Game A - Alpha"), std::string::npos);
  EXPECT_EQ(report.find("Game B - "), std::string::npos);
  if (!kSanitized) {
    EXPECT_LT(result.peakMemoryKb, 24 * 1024);
  }
}

}  // namespace
}  // namespace shgs
