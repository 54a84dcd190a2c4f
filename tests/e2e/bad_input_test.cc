// Whole runs on servers whose files hold what no well-behaved server writes:
// a broken registry, odd paths and numbers, description files that are not
// text, output files that cannot be written, input that ends early. Each
// case ends with its defined message and exit code, leaves exactly the
// files its outcome says, and changes nothing of the server's.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "e2e/sample_run.h"
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

// Cuts the file at "path" right after the first "marker".
void cutAfter(const std::string& path, const std::string& marker) {
  const std::string text = readFile(path);
  const std::size_t at = text.find(marker);
  ASSERT_NE(at, std::string::npos) << marker << " not in " << path;
  writeFile(path, text.substr(0, at + marker.size()));
}

// 10 MB of keys below the server's key that the exporter does not read, with
// words it looks for inside their texts.
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

// Where a case's files stand once the server is built.
struct Paths {
  std::string systemReg;
  std::string gameA;        // the game's directory
  std::string description;  // its description file
  std::string start;
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
  // A completed run: only the report is left, and it holds each of "texts".
  BadInput& completes(std::vector<std::string> texts) {
    exitCode = 0;
    standardError = kReportWritten;
    startEntries = {"out.txt"};
    holds = std::move(texts);
    return *this;
  }
  BadInput& stops(std::string message, std::set<std::string> leftInStart) {
    exitCode = 1;
    standardError = std::move(message);
    startEntries = std::move(leftInStart);
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
            writeFile(p.systemReg, readFile(p.systemReg) + unrelatedKeys());
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

std::vector<BadInput> allCases() {
  std::vector<BadInput> cases;
  for (const auto& part : {registryCases(), descriptionCases(), pathCases(),
                           numberCases(), outputAndInputCases()}) {
    cases.insert(cases.end(), part.begin(), part.end());
  }
  return cases;
}

class BadInputTest : public SampleRunTest,
                     public ::testing::WithParamInterface<BadInput> {
 protected:
  Paths paths() const {
    return {prefix() + "/system.reg", drive("SHGS/GAME/A"),
            drive("SHGS/DescFile/Game1.txt"), start()};
  }
};

TEST_P(BadInputTest, EndsAsDefinedAndChangesNothingOfTheServer) {
  const BadInput& c = GetParam();
  ASSERT_NO_FATAL_FAILURE(makeServer(c.registry + kServerFiles));
  if (c.spoil) {
    ASSERT_NO_FATAL_FAILURE(c.spoil(paths()));
  }
  const e2e::TreeState before = serverState();

  const ProcessResult result = runExporter(c.input);

  EXPECT_EQ(result.exitCode, c.exitCode);
  std::string standardError = c.standardError;
  const std::size_t mark = standardError.find(kPrefixMark);
  if (mark != std::string::npos) {
    standardError.replace(mark, std::strlen(kPrefixMark), prefix());
  }
  EXPECT_EQ(result.standardError, standardError);
  EXPECT_EQ(entriesOf(start()), c.startEntries);
  EXPECT_EQ(treeDifferences(before, serverState()), "");
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

// A 200 MB description file of one line (zero bytes, written sparse): the
// excerpt reads only its budget, and the whole run stays small. Sanitized
// builds keep shadow memory, so only plain builds are measured.
class DescriptionSizeTest : public SampleRunTest {};

TEST_F(DescriptionSizeTest, HugeOneLineFileKeepsTheRunSmall) {
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

}  // namespace
}  // namespace shgs
