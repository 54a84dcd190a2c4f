// Whole runs on servers whose files hold what no well-behaved server writes:
// a broken registry, odd paths and numbers, description files that are not
// text, output files that cannot be written, input that ends early. Each
// case ends with its defined message and exit code, leaves exactly the
// files its outcome says, and changes nothing of the server's.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
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
  BadInput& withProcess(
      std::function<void(testing_support::ProcessOptions*)> change) {
    process = std::move(change);
    return *this;
  }
  // Entries planted in the start directory that the run must leave as they
  // are.
  BadInput& keeping(std::set<std::string> names) {
    kept = std::move(names);
    return *this;
  }
  // Further entries in the start directory that the run may change.
  BadInput& leaving(std::set<std::string> names) {
    left = std::move(names);
    return *this;
  }
  // A completed run: only the report is left, and it holds each of "texts".
  BadInput& completes(std::vector<std::string> texts) {
    exitCode = 0;
    standardError = kReportWritten;
    startEntries = {"out.txt"};
    holds = std::move(texts);
    return *this;
  }
  BadInput& stops(std::string message, std::set<std::string> leftInStart) {
    return ends(1, std::move(message), std::move(leftInStart));
  }
  BadInput& ends(int code, std::string message,
                 std::set<std::string> leftInStart) {
    exitCode = code;
    standardError = std::move(message);
    startEntries = std::move(leftInStart);
    return *this;
  }
  BadInput& withArguments(std::vector<std::string> words) {
    arguments = std::move(words);
    return *this;
  }
  // A command line not understood: "problem", then the usage.
  BadInput& misunderstood(const std::string& problem) {
    usageFollows = true;
    return ends(2, "shgs-exporter: " + problem + "\n", {});
  }
  // A line on standard error before the run's last words.
  BadInput& warning(const std::string& line) {
    standardError = line + standardError;
    return *this;
  }
  BadInput& screenHolds(std::string text) {
    screenShows.push_back(std::move(text));
    return *this;
  }
  BadInput& screenLacks(std::string text) {
    screenHides.push_back(std::move(text));
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
  std::function<void(testing_support::ProcessOptions*)> process;
  std::vector<std::string> arguments;
  bool usageFollows = false;  // standard error ends with the usage
  bool asNobody = false;
  std::set<std::string> kept;
  std::set<std::string> left;
  std::vector<std::string> screenShows;  // each on standard output
  std::vector<std::string> screenHides;  // none on standard output
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
const std::set<std::string> kLogOnly = {"qilerror.txt"};
const std::string kServerKey =
    "HKLM\\Software\\Orbital Forge Software\\Starhaul Deluxe Game Server";

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
          .stops("<prefix>/drive_c/SHGS/GAME/QnF: No such file or directory\n"
                 "Failed to enter directory QnF",
                 kLogOnly),
      BadInput("SystemRegCutInsideServerRoot")
          .spoiledBy([](const Paths& p) {
            cutAfter(p.systemReg, "\"ServerRoot\"=\"C:\\\\SH");
          })
          .stops("<prefix>/system.reg: no value ServerRoot in " +
                     std::string(kServerKey) + "\n" + kMissingServerRoot,
                 kCaptureAndLog),
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
          .stops("<prefix>/drive_c/SHGS/GAME/A: No such file or directory\n"
                 "Failed to enter directory C:\\SHGS\\GAME\\A",
                 kLogOnly),
      BadInput("GameDirectoryThatCannotBeEntered")
          .spoiledBy([](const Paths& p) { chmod(p.gameA.c_str(), 0666); })
          .unprivileged()
          .stops("<prefix>/drive_c/SHGS/GAME/A: Permission denied\n"
                 "Failed to enter directory C:\\SHGS\\GAME\\A",
                 kLogOnly),
      BadInput("GameDirectoryIsAFile")
          .spoiledBy([](const Paths& p) {
            fs::remove_all(p.gameA);
            writeFile(p.gameA, "not a directory");
          })
          .stops("<prefix>/drive_c/SHGS/GAME/A: Not a directory\n"
                 "Failed to enter directory C:\\SHGS\\GAME\\A",
                 kLogOnly),
      // Relative to the directory current at that moment: the server's GAME
      // directory after the server section, else the start directory.
      BadInput("RelativeGameDirectoryFromTheGameDirectory")
          .spoiledBy([](const Paths& p) { replaceGameDirectory(p, "\"A\""); })
          .completes({excerptShown}),
      BadInput("RelativeGameDirectoryFromTheStartDirectory")
          .spoiledBy([](const Paths& p) { replaceGameDirectory(p, "\"A\""); })
          .typing("$ out.txt\n*A!\n")
          .stops("<prefix>/drive_c/start/A: No such file or directory\n"
                 "Failed to enter directory A",
                 kLogOnly),
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
          .stops("<prefix>/drive_c/start/adir: Is a directory\n"
                 "Failed to create output file.",
                 {"adir", "qilerror.txt"}),
      BadInput("OutputFileInAMissingDirectory")
          .typing("$ missing/out.txt\nA!\n")
          .stops("<prefix>/drive_c/start/missing: No such file or directory\n"
                 "Failed to create output file.",
                 {"qilerror.txt"}),
      // The readers remove these files when they end, report and all.
      BadInput("OutputFileNamedLikeTheErrorLog")
          .typing("$ qilerror.txt\nA!\n")
          .stops("<prefix>/drive_c/start/qilerror.txt: is a file the run "
                 "removes\nFailed to create output file.",
                 {"qilerror.txt"}),
      BadInput("OutputFileNamedLikeTheCaptureElsewhere")
          .spoiledBy([](const Paths& p) { makeDirectories(p.start + "/adir"); })
          .typing("$ adir/QIL.TMP\nA!\n")
          .stops("<prefix>/drive_c/start/adir/QIL.TMP: is a file the run "
                 "removes\nFailed to create output file.",
                 {"adir", "qilerror.txt"}),
      BadInput("OutputFileIsADevice")
          .typing("$ /dev/full\nA!\n")
          .stops("/dev/full: not a regular file\nFailed to create output file.",
                 {"qilerror.txt"}),
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
  const std::string kStartLogLinked =
      "<prefix>/drive_c/start/qilerror.txt: is a symbolic link\n"
      "Error log failed to open.";
  return {
      BadInput("ErrorLogIsALink")
          .spoiledBy([](const Paths& p) {
            symlinkTo(p.victim, p.start + "/qilerror.txt");
          })
          .stops(kStartLogLinked, kLogOnly),
      BadInput("ErrorLogIsADanglingLink")
          .spoiledBy([](const Paths& p) {
            symlinkTo(p.victim + ".new", p.start + "/qilerror.txt");
          })
          .stops(kStartLogLinked, kLogOnly),
      BadInput("ErrorLogIsAFifo")
          .spoiledBy([](const Paths& p) {
            mkfifo((p.start + "/qilerror.txt").c_str(), 0644);
          })
          .stops("<prefix>/drive_c/start/qilerror.txt: not a regular file\n"
                 "Error log failed to open.",
                 kLogOnly),
      BadInput("GameErrorLogIsALink")
          .spoiledBy([](const Paths& p) {
            symlinkTo(p.victim, p.gameA + "/qilerror.txt");
          })
          .stops("<prefix>/drive_c/SHGS/GAME/A/qilerror.txt: is a symbolic "
                 "link\nError log failed to open.",
                 kLogOnly),
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
  const auto reads = [&refused](const std::string& path) {
    return "<prefix>" + path + ": is a file the run reads\n" + refused;
  };
  return {
      BadInput("ReportNameWithANulByte")
          .typing(std::string("$ qilerror.txt") + '\0' + "x\nA!\n")
          .stops("qilerror.txt?x: a name cannot hold a NUL byte\n" + refused,
                 logOnly),
      BadInput("ReportNamedAsTheGameRecord")
          .typing("$ ../SHGS/GAME/A/shcfig.dat\nA!\n")
          .stops(reads("/drive_c/SHGS/GAME/A/shcfig.dat"), logOnly),
      BadInput("ReportNamedAsTheGlobalRecord")
          .typing("$ ../SHGS/GAME/shglob.dat\nA!\n")
          .stops(reads("/drive_c/SHGS/GAME/shglob.dat"), logOnly),
      BadInput("ReportNamedAsTheDescription")
          .typing("$ ../SHGS/DescFile/Game1.txt\nA!\n")
          .stops(reads("/drive_c/SHGS/DescFile/Game1.txt"), logOnly),
      BadInput("ReportNamedAsSystemReg")
          .typing("$ ../../system.reg\nA!\n")
          .stops(reads("/system.reg"), logOnly),
      BadInput("ReportNameLinkedToTheErrorLog")
          .spoiledBy([](const Paths& p) {
            symlinkTo("qilerror.txt", p.start + "/report.txt");
          })
          .typing("$ report.txt\nA!\n")
          .stops("<prefix>/drive_c/start/qilerror.txt: is a file the run "
                 "removes\n" +
                     refused,
                 {"qilerror.txt", "report.txt"}),
      BadInput("ReportNameHardLinkedToTheGameRecord")
          .spoiledBy([](const Paths& p) {
            fs::create_hard_link(p.gameA + "/shcfig.dat",
                                 p.start + "/report.txt");
          })
          .typing("$ report.txt\nA!\n")
          .stops(reads("/drive_c/start/report.txt"),
                 {"qilerror.txt", "report.txt"}),
  };
}

std::string repeated(const std::string& text, int times) {
  std::string all;
  for (int i = 0; i < times; ++i) all += text;
  return all;
}

// The report is written whole, or not at all, and never where a file the
// run reads or removes is or will be.
std::vector<BadInput> wholeReportCases() {
  const std::string refused = "\nFailed to create output file.";
  const std::string gameRecord = "<prefix>/drive_c/SHGS/GAME/A/shcfig.dat";
  return {
      BadInput("FailedRunKeepsTheEarlierReport")
          .spoiledBy([](const Paths& p) {
            writeFile(p.start + "/out.txt", "an earlier report\n");
            fs::remove_all(p.gameA);
          })
          .keeping({"out.txt"})
          .stops("<prefix>/drive_c/SHGS/GAME/A: No such file or directory\n"
                 "Failed to enter directory C:\\SHGS\\GAME\\A",
                 kLogOnly),
      // Found without regard to case, such a file would be read next time.
      BadInput("ReportNamedAsARecordStoredInUpperCase")
          .spoiledBy([](const Paths& p) {
            fs::rename(p.gameA + "/shcfig.dat", p.gameA + "/SHCFIG.DAT");
          })
          .typing("$ ../SHGS/GAME/A/shcfig.dat\nA!\n")
          .stops(gameRecord + ": is a file the run reads" + refused, kLogOnly),
      BadInput("ReportNamedAsAMissingRecord")
          .spoiledBy(
              [](const Paths& p) { fs::remove(p.gameA + "/shcfig.dat"); })
          .typing("$ ../SHGS/GAME/A/shcfig.dat\nA!\n")
          .stops(gameRecord + ": is a file the run reads" + refused, kLogOnly),
      // Planted under the default name, leading where a reader's log will be.
      BadInput("DefaultReportNameLinkedToAGameLog")
          .spoiledBy([](const Paths& p) {
            symlinkTo(p.gameA + "/qilerror.txt",
                      p.start + "/SHGS Game Data.TXT");
          })
          .typing("A!\n")
          .keeping({"SHGS Game Data.TXT"})
          .stops("<prefix>/drive_c/SHGS/GAME/A/qilerror.txt: is a file the "
                 "run removes" +
                     refused,
                 kLogOnly),
      BadInput("ReportNameIsAFifo")
          .spoiledBy([](const Paths& p) {
            mkfifo((p.start + "/out.txt").c_str(), 0644);
          })
          .keeping({"out.txt"})
          .stops("<prefix>/drive_c/start/out.txt: not a regular file" + refused,
                 kLogOnly),
      // The link stays; the file it leads to gets the report.
      BadInput("ReportNameIsALinkToAnotherFile")
          .spoiledBy([](const Paths& p) {
            makeDirectories(p.start + "/reports");
            writeFile(p.start + "/reports/r.txt", "an earlier report\n");
            symlinkTo("reports/r.txt", p.start + "/out.txt");
          })
          .keeping({"out.txt"})
          .leaving({"reports"})
          .completes({"Game A - Alpha"}),
  };
}

// Data are shown as data: never as instructions to the terminal. Input of
// any size, paths of any length and input that is not yet there take
// bounded memory and time.
std::vector<BadInput> consoleAndBoundsCases() {
  const std::string hidden = "\x1b]0;owned\x07\x1b[8m";
  const std::string deep = repeated("\\\\x", 20000);
  return {
      BadInput("ControlSequencesInATitle")
          .spoiledBy([hidden](const Paths& p) {
            replaceInFile(p.systemReg, "\"Alpha\"", "\"Alpha" + hidden + "\"");
          })
          .completes({"Game A - Alpha" + hidden + " - 1000 sectors"})
          .screenHolds("(A) Alpha?]0;owned??[8m ")
          .screenLacks("\x1b]"),
      BadInput("ControlSequencesInAMissingDirectory")
          .spoiledBy([](const Paths& p) {
            replaceGameDirectory(p, "\"C:\\\\SHGS\\\\\x1b[8mA\"");
          })
          .stops("<prefix>/drive_c/SHGS/?[8mA: No such file or directory\n"
                 "Failed to enter directory C:\\SHGS\\?[8mA",
                 kLogOnly),
      BadInput("DirectoryOfTwentyThousandNames")
          .spoiledBy([deep](const Paths& p) {
            replaceGameDirectory(p, "\"C:\\\\SHGS\\\\GAME\\\\A" + deep + "\"");
          })
          .withProcess([](testing_support::ProcessOptions* options) {
            options->killAfterSeconds = 60;
          })
          .stops("<prefix>/drive_c/SHGS/GAME/A" + repeated("/x", 20000) +
                     ": No such file or directory\n"
                     "Failed to enter directory C:\\SHGS\\GAME\\A" +
                     repeated("\\x", 20000),
                 kLogOnly),
      BadInput("StandardInputLeftNonBlocking")
          .withProcess([](testing_support::ProcessOptions* options) {
            options->nonBlockingInput = true;
            options->inputAfter = "option(s) to toggle: ";
          })
          .completes({"Game A - Alpha"}),
      BadInput("EditorWithAnOpenQuote")
          .withEnvironment({{"EDITOR", "vi 'x"}})
          .completes({"Game A - Alpha"})
          .warning("EDITOR could not be used: a quote is not closed\n"),
      BadInput("EditorThatCannotBeStarted")
          .withEnvironment({{"VISUAL", "/nonexistent/editor --wait"}})
          .completes({"Game A - Alpha"})
          .warning("VISUAL could not be used: /nonexistent/editor: No such "
                   "file or directory\n"),
  };
}

// Arguments are read before anything is made; any option writes the
// report without the menu, saying nothing when all went well.
std::vector<BadInput> commandLineCases() {
  return {
      BadInput("HelpMakesNoFile")
          .withArguments({"-h"})
          .ends(0, "", {})
          .screenHolds("Usage: shgs-exporter [OPTION]...\n")
          .screenHolds("\n  --games LETTERS "),
      BadInput("VersionMakesNoFile")
          .withArguments({"--vers"})
          .ends(0, "", {})
          .screenHolds("shgs-exporter 1.20\n"),
      BadInput("UnknownOption")
          .withArguments({"--games", "A", "--colour"})
          .misunderstood("unrecognized option '--colour'"),
      BadInput("OptionWithoutItsValue")
          .withArguments({"--output"})
          .misunderstood("option '--output' requires an argument"),
      BadInput("GamesThatAreNoLetters")
          .withArguments({"--games", "A1"})
          .misunderstood("invalid letters 'A1' for '--games'"),
      BadInput("StrayArgument")
          .withArguments({"report.txt"})
          .misunderstood("unexpected argument 'report.txt'"),
      // Known only once the registry is read; its work files go again.
      BadInput("LetterOfNoListedGame")
          .withArguments({"--games", "aQ"})
          .misunderstood("no listed game has the letter 'Q' of '--games'"),
      BadInput("RunWithoutTheMenu")
          .withArguments({"--games", "a", "--output", "out.txt", "--plain"})
          .withEnvironment({{"EDITOR", "/bin/false"}})
          .typing("")
          .ends(0, "", {"out.txt"})
          .reportHolds("\nGame A - Alpha - 1000 sectors")
          .reportLacks("[CODE]")
          .screenLacks("Output file will be placed in"),
      BadInput("RunWithoutTheMenuThatFails")
          .withArguments({"--games", "A", "--output", "missing/out.txt"})
          .stops("<prefix>/drive_c/start/missing: No such file or directory\n"
                 "Failed to create output file.",
                 kLogOnly),
  };
}

std::vector<BadInput> allCases() {
  std::vector<BadInput> cases;
  for (const auto& part :
       {registryCases(), captureCases(), errorLogCases(), systemRegCases(),
        descriptionCases(), pathCases(), numberCases(), reportNameCases(),
        outputAndInputCases(), wholeReportCases(), consoleAndBoundsCases(),
        commandLineCases()}) {
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

  // What --help shows.
  std::string usage() {
    testing_support::ProcessOptions options;
    options.arguments = {"--help"};
    return runExporter(options).standardOutput;
  }

  std::string withPrefix(std::string text) const {
    for (std::size_t mark = text.find(kPrefixMark); mark != std::string::npos;
         mark = text.find(kPrefixMark, mark)) {
      text.replace(mark, std::strlen(kPrefixMark), prefix());
    }
    return text;
  }
};

TEST_P(BadInputTest, EndsAsDefinedAndChangesNothingOfTheServer) {
  const BadInput& c = GetParam();
  ASSERT_NO_FATAL_FAILURE(makeServer(c.registry + kServerFiles));
  writeFile(paths().victim, "someone else's\n");
  testing_support::ProcessOptions options;
  options.input = c.input;
  options.arguments = c.arguments;
  if (c.process) c.process(&options);
  if (c.asNobody) runAsNobody(&options);
  if (c.spoil) {
    ASSERT_NO_FATAL_FAILURE(c.spoil(paths()));
  }
  const e2e::TreeState before = serverState();
  const e2e::TreeState startBefore = e2e::treeStateOf(start());
  testing_support::Environment environment = c.environment;
  for (auto& variable : environment) {
    variable.second = withPrefix(variable.second);
  }

  const ProcessResult result = runExporter(options, environment);

  EXPECT_EQ(result.exitCode, c.exitCode);
  EXPECT_EQ(result.standardError,
            withPrefix(c.standardError) + (c.usageFollows ? usage() : ""));
  std::set<std::string> entries = c.startEntries;
  entries.insert(c.kept.begin(), c.kept.end());
  entries.insert(c.left.begin(), c.left.end());
  EXPECT_EQ(entriesOf(start()), entries);
  EXPECT_EQ(treeDifferences(before, serverState()), "");
  const e2e::TreeState startAfter = e2e::treeStateOf(start());
  for (const std::string& name : c.kept) {
    EXPECT_EQ(startAfter.count(name) ? startAfter.at(name) : "gone",
              startBefore.at(name))
        << name;
  }
  const std::string report = fs::is_regular_file(startFile("out.txt"))
                                 ? readFile(startFile("out.txt"))
                                 : std::string();
  for (const std::string& text : c.holds) {
    EXPECT_NE(report.find(text), std::string::npos)
        << ::testing::PrintToString(text) << " not in the report";
  }
  for (const std::string& text : c.lacks) {
    EXPECT_EQ(report.find(text), std::string::npos)
        << ::testing::PrintToString(text) << " in the report";
  }
  for (const std::string& text : c.screenShows) {
    EXPECT_NE(result.standardOutput.find(text), std::string::npos)
        << ::testing::PrintToString(text) << " not on the screen";
  }
  for (const std::string& text : c.screenHides) {
    EXPECT_EQ(result.standardOutput.find(text), std::string::npos)
        << ::testing::PrintToString(text) << " on the screen";
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
  EXPECT_EQ(result.standardError, start() +
                                      "/qil.tmp: No space left on device\n"
                                      "Failed to initialize registry data.");
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

// Ctrl-C and its kin at the menu, and every other signal that ends a
// program, remove the files the run holds; the run ends as the signal ends a
// program.
TEST_F(SampleRunTest, InterruptionRemovesTheFilesTheRunHolds) {
  ASSERT_NO_FATAL_FAILURE(makeServer(std::string(kRegistry) + kServerFiles));
  const e2e::TreeState before = serverState();
  for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGXFSZ,
                           SIGXCPU, SIGALRM, SIGUSR1, SIGRTMIN}) {
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

// A hang-up ignored from the start, as under nohup, is left ignored: the
// run goes on to its end.
TEST_F(SampleRunTest, SignalIgnoredAtStartStaysIgnored) {
  ASSERT_NO_FATAL_FAILURE(makeServer(std::string(kRegistry) + kServerFiles));
  testing_support::ProcessOptions options;
  options.signalAfter = "option(s) to toggle: ";
  options.signal = SIGHUP;
  options.ignoredSignals = {SIGHUP};

  const ProcessResult result = runExporter(options);

  EXPECT_EQ(result.endedBySignal, 0);
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.standardError, kInputEnded);
  EXPECT_EQ(entriesOf(start()), std::set<std::string>());
}

// A link to the game's record swapped in and out at the report's name while
// runs go on: whatever a run finds there, the record is never written.
TEST_F(SampleRunTest, ReportNameSwappedForALinkNeverRedirectsTheReport) {
  ASSERT_NO_FATAL_FAILURE(makeServer(std::string(kRegistry) + kServerFiles));
  const e2e::TreeState before = serverState();
  const std::string name = startFile("out.txt");
  std::atomic<bool> running{true};
  std::thread swapper([&] {
    std::error_code ignored;  // the runs put their reports there too
    for (int i = 0; running; ++i) {
      fs::remove(name, ignored);
      if (i % 2 == 0) {
        fs::create_symlink(drive("SHGS/GAME/A/shcfig.dat"), name, ignored);
      }
    }
  });
  for (int round = 0; round < 200; ++round) {
    runExporter(kChooseA);
  }
  running = false;
  swapper.join();
  EXPECT_EQ(treeDifferences(before, serverState()), "");
}

// A report written over an earlier one keeps its permission bits; a new one
// gets what the user's file creation mask leaves.
TEST_F(SampleRunTest, ReplacedReportKeepsItsPermissionBits) {
  ASSERT_NO_FATAL_FAILURE(makeServer(std::string(kRegistry) + kServerFiles));
  writeFile(startFile("out.txt"), "an earlier report\n");
  chmod(startFile("out.txt").c_str(), 0604);

  const ProcessResult result = runExporter(kChooseA);

  ASSERT_EQ(result.exitCode, 0) << result.standardError;
  struct stat info;
  ASSERT_EQ(stat(startFile("out.txt").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0604u);
  EXPECT_NE(readFile(startFile("out.txt")).find("Game A - Alpha"),
            std::string::npos);
}

// Descriptors of folders nested below "base", each named "name", made as
// they come: paths so deep that no path can name them are made, entered and
// removed a folder at a time.
class NestedFolders {
 public:
  NestedFolders(const std::string& base, const std::string& name, int depth)
      : name_(name) {
    folders_.push_back(open(base.c_str(), O_DIRECTORY | O_CLOEXEC));
    for (int i = 0; i < depth; ++i) {
      mkdirat(folders_.back(), name.c_str(), 0755);
      folders_.push_back(
          openat(folders_.back(), name.c_str(), O_DIRECTORY | O_CLOEXEC));
    }
  }
  ~NestedFolders() {
    while (folders_.size() > 1) {
      removeContents(folders_.back());
      close(folders_.back());
      folders_.pop_back();
      unlinkat(folders_.back(), name_.c_str(), AT_REMOVEDIR);
    }
    close(folders_.back());
  }

  int deepest() const { return folders_.back(); }

 private:
  // The deepest folder holds plain files and folders of plain files.
  static void removeContents(int folder) {
    for (const char* inner : {"A", "start"}) {
      const int fd = openat(folder, inner, O_DIRECTORY | O_CLOEXEC);
      for (const char* file : {"shcfig.dat", "out.txt", "qilerror.txt"}) {
        unlinkat(fd, file, 0);
      }
      close(fd);
      unlinkat(folder, inner, AT_REMOVEDIR);
    }
  }

  std::string name_;
  std::vector<int> folders_;
};

std::string readAt(int folder, const std::string& name) {
  const int fd = openat(folder, name.c_str(), O_RDONLY | O_CLOEXEC);
  std::string text;
  char buffer[4096];
  for (ssize_t n; fd >= 0 && (n = read(fd, buffer, sizeof buffer)) > 0;) {
    text.append(buffer, static_cast<std::size_t>(n));
  }
  if (fd >= 0) close(fd);
  return text;
}

// Folders deeper than a path can name: the run enters and leaves them by
// the folders it holds, so depth never matters and nothing is left behind.
TEST_F(SampleRunTest, FoldersDeeperThanAPathCanNameWorkAsAnyOther) {
  const std::string name(200, 'd');
  const int depth = 24;
  std::string directory = "\"C:\\\\deep";  // as system.reg holds it
  for (int i = 0; i < depth; ++i) directory += "\\\\" + name;
  ASSERT_NO_FATAL_FAILURE(makeServer(std::string(kRegistry) + kServerFiles));
  replaceInFile(prefix() + "/system.reg", "\"C:\\\\SHGS\\\\GAME\\\\A\"",
                directory + "\\\\A\"");
  makeDirectories(drive("deep"));
  const NestedFolders nested(drive("deep"), name, depth);
  ASSERT_EQ(
      renameat(AT_FDCWD, drive("SHGS/GAME/A").c_str(), nested.deepest(), "A"),
      0);
  ASSERT_EQ(mkdirat(nested.deepest(), "start", 0755), 0);
  std::string startDeep = drive("deep");
  for (int i = 0; i < depth; ++i) startDeep += "/" + name;
  startDeep += "/start";
  testing_support::ProcessOptions options;
  options.input = kChooseA;

  const ProcessResult result = testing_support::runProcess(
      {SHGS_EXPORTER_PATH}, startDeep,
      {{"WINEPREFIX", prefix()}, {"HOME", temp_.path()}, {"TZ", "UTC"}},
      options);

  ASSERT_EQ(result.exitCode, 0) << result.standardError;
  EXPECT_NE(readAt(nested.deepest(), "start/out.txt").find("Game A - Alpha"),
            std::string::npos);
  for (const char* log : {"start/qilerror.txt", "A/qilerror.txt"}) {
    EXPECT_NE(faccessat(nested.deepest(), log, F_OK, 0), 0) << log;
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

// Standard input that never ends a word: the menu's word costs no memory,
// whatever it holds.
TEST_F(MemoryUseTest, EndlessWordKeepsTheMenuSmall) {
  ASSERT_NO_FATAL_FAILURE(makeServer(std::string(kRegistry) + kServerFiles));
  testing_support::ProcessOptions options;
  options.inputPath = "/dev/zero";
  options.killAfterSeconds = 3;

  const ProcessResult result = runExporter(options);

  EXPECT_EQ(result.endedBySignal, SIGKILL);
  if (!kSanitized) {
    EXPECT_LT(result.peakMemoryKb, 24 * 1024);
  }
}

// A registry key too big for the memory the run may have is no listing:
// never a server with fewer games. The limit would stop a sanitized build
// at start.
TEST_F(MemoryUseTest, ListingBeyondTheMemoryLimitStopsTheRun) {
  if (kSanitized) GTEST_SKIP() << "an address-space limit stops sanitizers";
  ASSERT_NO_FATAL_FAILURE(makeServer(std::string(kRegistry) + kServerFiles));
  const std::string nodes = unrelatedKeys(kStoredServerKey);
  {
    std::ofstream out(prefix() + "/system.reg",
                      std::ios::binary | std::ios::app);
    for (int i = 0; i < 6; ++i) out << nodes;
  }
  testing_support::ProcessOptions options;
  options.input = kChooseA;
  options.addressSpaceMb = 64;

  const ProcessResult result = runExporter(options);

  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.standardError, start() +
                                      "/qil.tmp: Cannot allocate memory\n"
                                      "Failed to initialize registry data.");
  EXPECT_EQ(entriesOf(start()), std::set<std::string>{"qilerror.txt"});
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
