// The Windows executables run under Wine, on Windows' own components: Wine's
// registry filled and listed by its reg.exe, the system's Notepad (the
// tests' stand-in), and its C runtime with text-mode CR LF line ends and its
// time-zone handling. The golden reports (tests/testdata/golden) must come
// out byte for byte, with CR LF line ends.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <ctime>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support/test_support.h"
#include "wine/wine_session.h"

namespace shgs {
namespace wine_testing {
namespace {

namespace fs = std::filesystem;
using testing_support::fileExists;
using testing_support::makeDirectories;
using testing_support::ProcessResult;
using testing_support::readFile;
using testing_support::TempDir;
using testing_support::writeFile;

constexpr char kReportName[] = "SHGS Game Data.TXT";
// What the Notepad stand-in records in the directory it runs in.
constexpr char kNotepadArguments[] = "notepad-args.txt";
constexpr char kNotepadCopy[] = "notepad-saw.txt";
// What a program planted in the start directory leaves when it runs.
constexpr char kPlantedMark[] = "planted-ran.txt";
constexpr char kServerKey[] =
    "HKLM\\Software\\Orbital Forge Software\\Starhaul Deluxe Game Server";

std::string goldenDirectory() {
  return std::string(SHGS_TESTDATA_DIR) + "/golden";
}

std::string casePath(const std::string& caseName, const std::string& file) {
  return goldenDirectory() + "/" + caseName + "/" + file;
}

// The moment the golden reports were made for: noon on 6 December 2026 in
// EST5EDT, which is 17:00 UTC.
std::int64_t pinnedTime() {
  std::tm moment{};
  moment.tm_year = 2026 - 1900;
  moment.tm_mon = 11;
  moment.tm_mday = 6;
  moment.tm_hour = 17;
  return static_cast<std::int64_t>(timegm(&moment));
}

// Makes a Wine program read the wall clock as the pinned moment plus the
// seconds since this call. libfaketime does not reach the 64-bit time calls
// of Wine's 32-bit side, so a preload library of the tests' own shifts the
// clock, in both bitnesses (the dynamic loader picks one through $LIB).
ProcessEnvironment pinnedClock() {
  const std::int64_t shift = pinnedTime() - std::time(nullptr);
  return {{"LD_PRELOAD",
           wineSession().helpersDirectory() + "/$LIB/libshgs_clock_shift.so"},
          {"SHGS_CLOCK_SHIFT", std::to_string(shift)}};
}

std::string replaceAll(std::string text, const std::string& from,
                       const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

std::string padded(const std::string& text, std::size_t width) {
  return text + std::string(width - std::min(width, text.size()), ' ');
}

// A text file as the Windows C runtime writes it in text mode.
std::string withCrLf(const std::string& text) {
  return replaceAll(text, "\n", "\r\n");
}

// The report of stock_server's run "%A!", as Windows writes it.
std::string stockPlainReport() {
  return withCrLf(readFile(casePath("stock_server", "plain.expected")));
}

// The expected standard error of a completed run: the POSIX build tells
// where the report is when it has no viewer to start, Windows starts
// Notepad instead and says nothing.
std::string windowsStandardError(std::string posix) {
  const std::string note = std::string("Report written to ") + kReportName;
  const std::size_t at = posix.rfind(note);
  if (at != std::string::npos) posix.erase(at);
  return withCrLf(posix);
}

// Bytes a terminal would hide, CR and the forum fill byte among them, as <XX>.
std::string visible(const std::string& text) {
  std::string shown;
  for (unsigned char c : text) {
    if (c >= 0x20 && c < 0x7f) {
      shown += static_cast<char>(c);
    } else {
      static const char kHex[] = "0123456789ABCDEF";
      shown += std::string("<") + kHex[c >> 4] + kHex[c & 0xf] + ">";
    }
  }
  return shown;
}

// Empty when equal; otherwise the first differing line of each.
std::string firstDifference(const std::string& expected,
                            const std::string& actual) {
  if (expected == actual) return std::string();
  std::size_t lineStart = 0;
  for (std::size_t i = 0; i < expected.size() && i < actual.size(); ++i) {
    if (expected[i] != actual[i]) break;
    if (expected[i] == '\n') lineStart = i + 1;
  }
  auto lineAt = [lineStart](const std::string& text) {
    if (lineStart >= text.size()) return std::string("<end of file>");
    return visible(
        text.substr(lineStart, text.find('\n', lineStart) + 1 - lineStart));
  };
  return "first difference at byte " + std::to_string(lineStart) +
         " (expected " + std::to_string(expected.size()) + " bytes, got " +
         std::to_string(actual.size()) + ")\n  expected: " + lineAt(expected) +
         "\n  actual:   " + lineAt(actual);
}

std::vector<std::string> sortedNames(const std::string& directory,
                                     bool directories) {
  std::vector<std::string> names;
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(directory, ignored)) {
    if (entry.is_directory() == directories) {
      names.push_back(entry.path().filename().string());
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Paths of capture and error-log files below "roots", in any letter case.
std::vector<std::string> leftoverFiles(const std::vector<std::string>& roots) {
  std::vector<std::string> found;
  for (const std::string& root : roots) {
    std::error_code ignored;
    for (auto it = fs::recursive_directory_iterator(root, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
      std::string name = it->path().filename().string();
      std::transform(name.begin(), name.end(), name.begin(),
                     [](unsigned char c) { return std::tolower(c); });
      if (name == "qil.tmp" || name == "qilerror.txt") {
        found.push_back(it->path().string());
      }
    }
  }
  std::sort(found.begin(), found.end());
  return found;
}

// The contents of every file below "roots", by path.
std::map<std::string, std::string> filesBelow(
    const std::vector<std::string>& roots) {
  std::map<std::string, std::string> files;
  for (const std::string& root : roots) {
    std::error_code ignored;
    for (auto it = fs::recursive_directory_iterator(root, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
      if (it->is_regular_file()) files[it->path()] = readFile(it->path());
    }
  }
  return files;
}

// A test with a start directory of its own; the system's Notepad is the
// tests' stand-in, which records in the directory it runs in.
class WineRunTest : public ::testing::Test {
 protected:
  ProcessResult runExporter(const WindowsBuild& build, const std::string& input,
                            const ProcessEnvironment& extra = {}) {
    return runExecutable(build, build.executable, input, extra);
  }

  ProcessResult runExecutable(const WindowsBuild& build,
                              const std::string& executable,
                              const std::string& input,
                              const ProcessEnvironment& extra = {}) {
    SCOPED_TRACE(build.name);
    ProcessEnvironment environment = pinnedClock();
    environment.insert(extra.begin(), extra.end());
    return wineSession().run({build.loader, executable}, start_.path(), input,
                             environment);
  }

  std::map<std::string, std::string> serverFiles() const {
    return filesBelow(wineSession().installedEntries());
  }

  // The 8.3 short spelling Wine gives the existing "windowsPath".
  std::string shortPathName(const std::string& windowsPath) {
    writeFile(start_ / "short.bat",
              "@for %%I in (\"" + windowsPath + "\") do @echo %%~sI\r\n");
    const ProcessResult listed = wineSession().run(
        {i686Build().loader, "cmd", "/c", "short.bat"}, start_.path(), "");
    fs::remove(start_ / "short.bat");
    return replaceAll(listed.standardOutput, "\r\n", "");
  }

  std::string report() const { return readFile(start_ / kReportName); }

  std::vector<std::string> leftovers() const {
    std::vector<std::string> roots = wineSession().installedEntries();
    roots.push_back(start_.path());
    return leftoverFiles(roots);
  }

  // Notepad was started once, on the finished report.
  void expectNotepadShowedTheReport() const {
    EXPECT_EQ(readFile(start_ / kNotepadArguments),
              std::string(kReportName) + "\n");
    EXPECT_TRUE(readFile(start_ / kNotepadCopy) == report())
        << "Notepad saw another file, or the report before it was complete";
  }

  TempDir start_;
};

struct GoldenRun {
  std::string caseName;
  std::string runName;
};

void PrintTo(const GoldenRun& run, std::ostream* out) {
  *out << run.caseName << "/" << run.runName;
}

std::vector<GoldenRun> goldenRuns() {
  std::vector<GoldenRun> runs;
  for (const std::string& caseName : sortedNames(goldenDirectory(), true)) {
    for (const std::string& file :
         sortedNames(goldenDirectory() + "/" + caseName, false)) {
      const fs::path path(file);
      if (path.extension() == ".input") {
        runs.push_back({caseName, path.stem().string()});
      }
    }
  }
  return runs;
}

std::string goldenRunName(const ::testing::TestParamInfo<GoldenRun>& info) {
  return info.param.caseName + "_" + info.param.runName;
}

class GoldenReportUnderWine : public WineRunTest,
                              public ::testing::WithParamInterface<GoldenRun> {
 protected:
  std::string golden(const std::string& suffix) const {
    return readFile(casePath(GetParam().caseName, GetParam().runName + suffix));
  }
};

TEST_P(GoldenReportUnderWine, ThirtyTwoBitBuildWritesTheExpectedBytes) {
  ASSERT_NO_FATAL_FAILURE(wineSession().installServer(
      casePath(GetParam().caseName, "server.txt"), View::k32));
  const ProcessResult result = runExporter(i686Build(), golden(".input"));
  ASSERT_EQ(result.exitCode, 0) << visible(result.standardError);
  ASSERT_TRUE(fileExists(start_ / kReportName)) << "no report written";
  const std::string difference =
      firstDifference(withCrLf(golden(".expected")), report());
  EXPECT_TRUE(difference.empty()) << difference;
  EXPECT_EQ(visible(result.standardError),
            visible(windowsStandardError(golden(".stderr"))));
  expectNotepadShowedTheReport();
  EXPECT_EQ(leftovers(), std::vector<std::string>());
}

INSTANTIATE_TEST_SUITE_P(Cases, GoldenReportUnderWine,
                         ::testing::ValuesIn(goldenRuns()), goldenRunName);

TEST_F(WineRunTest, SixtyFourBitBuildReadsTheKeysOfTheSixtyFourBitView) {
  const GoldenRun runs[] = {{"six_games", "forum"}, {"stock_server", "plain"}};
  for (const GoldenRun& run : runs) {
    SCOPED_TRACE(run.caseName + "/" + run.runName);
    ASSERT_NO_FATAL_FAILURE(wineSession().installServer(
        casePath(run.caseName, "server.txt"), View::k64));
    const ProcessResult result =
        runExporter(x86_64Build(),
                    readFile(casePath(run.caseName, run.runName + ".input")));
    ASSERT_EQ(result.exitCode, 0) << visible(result.standardError);
    const std::string difference = firstDifference(
        withCrLf(readFile(casePath(run.caseName, run.runName + ".expected"))),
        report());
    EXPECT_TRUE(difference.empty()) << difference;
    expectNotepadShowedTheReport();
    EXPECT_EQ(leftovers(), std::vector<std::string>());
  }
}

// Each build looks in its own view only, so a server whose keys are in the
// other view is not installed as far as it can tell.
TEST_F(WineRunTest, ServerInTheOtherViewEndsTheRunWithTheServerRootMessage) {
  const struct {
    WindowsBuild build;
    View serverView;
  } cases[] = {{i686Build(), View::k64}, {x86_64Build(), View::k32}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.build.name);
    ASSERT_NO_FATAL_FAILURE(wineSession().installServer(
        casePath("stock_server", "server.txt"), c.serverView));
    const ProcessResult result = runExporter(c.build, "%A!\n");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(visible(result.standardError),
              visible("Failed to open registry data; ServerRoot key not "
                      "found.\r\nMake sure SHGS is installed on this PC."));
    EXPECT_EQ(result.standardOutput, "") << "the menu was drawn";
    EXPECT_FALSE(fileExists(start_ / kReportName));
    EXPECT_FALSE(fileExists(start_ / kNotepadArguments));
    // A fatal end cleans nothing up.
    EXPECT_EQ(leftovers(), (std::vector<std::string>{start_ / "qil.tmp",
                                                     start_ / "qilerror.txt"}));
    fs::remove(start_ / "qil.tmp");
    fs::remove(start_ / "qilerror.txt");
  }
}

TEST_F(WineRunTest, MissingConfigurationRecordEndsTheRunLeavingTheReport) {
  ASSERT_NO_FATAL_FAILURE(wineSession().installServer(
      casePath("stock_server", "server.txt"), View::k32));
  const std::string gameDirectory = wineSession().driveC() + "/SHGS/Stock";
  ASSERT_TRUE(fs::remove(gameDirectory + "/shcfig.dat"));
  wineSession().serverChanged();
  writeFile(start_ / kReportName, "an earlier report\r\n");
  const ProcessResult result = runExporter(i686Build(), "*%A!\n");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(visible(result.standardError),
            "Configuration data failed to open.");
  // The report that had the name stays as it was, and no other is left.
  EXPECT_EQ(report(), "an earlier report\r\n");
  EXPECT_EQ(sortedNames(start_.path(), false),
            (std::vector<std::string>{kReportName, "qilerror.txt"}));
  EXPECT_FALSE(fileExists(start_ / kNotepadArguments));
  // Each reader's error log stays where it was opened.
  std::vector<std::string> logs = {gameDirectory + "/qilerror.txt",
                                   start_ / "qilerror.txt"};
  std::sort(logs.begin(), logs.end());
  EXPECT_EQ(leftovers(), logs);
}

// A server whose values have blanks where the capture's layout has them.
constexpr char kBlankValuesServer[] = R"([registry]
ServerRoot = C:\Blank  Server
LimitIP = F
IPAddr = 192.0.2.44
NameAddr = ""
Port = 4000
NodeMax = 3

[game A]
Deleted = F
Active = T
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

TEST_F(WineRunTest, CaptureInWinesBlankSeparatedLayoutGivesTheStoredTexts) {
  const std::string title = "  Four    REG_SZ    Blanks  ";
  writeFile(start_ / "blanks.txt", kBlankValuesServer);
  ASSERT_NO_FATAL_FAILURE(
      wineSession().installServer(start_ / "blanks.txt", View::k32));
  // What the capture command writes: type names set off by four blanks.
  const ProcessResult listing =
      wineSession().run({i686Build().loader, "reg", "query", kServerKey, "/s"},
                        start_.path(), "");
  ASSERT_EQ(listing.exitCode, 0) << listing.standardError;
  EXPECT_NE(
      listing.standardOutput.find("    Title    REG_SZ    " + title + "\r\n"),
      std::string::npos)
      << visible(listing.standardOutput);
  EXPECT_NE(listing.standardOutput.find("    NameAddr    REG_SZ    \r\n"),
            std::string::npos);

  const ProcessResult result = runExporter(i686Build(), "%A!\n");
  ASSERT_EQ(result.exitCode, 0) << visible(result.standardError);
  // The menu lists the title and the directory in columns of 31 and 41.
  const std::string directory = "C:\\Blank  Server\\Game    A";
  EXPECT_NE(result.standardOutput.find("(A) " + padded(title, 31) +
                                       padded(directory, 41) + "\r\n"),
            std::string::npos)
      << visible(result.standardOutput);
  const std::string text = report();
  EXPECT_NE(text.find("\r\nGame A - " + title + " - 1000 sectors"),
            std::string::npos);
  // An empty host name leaves the address to the links.
  EXPECT_NE(text.find("\r\ntelnet:\\\\192.0.2.44:4000\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nValues arrive whole.\r\n"), std::string::npos);
  EXPECT_EQ(leftovers(), std::vector<std::string>());
}

// The command line as on Windows: help asked for the Windows way too, the
// version, and a report written without the menu, Notepad or a word on the
// console.
TEST_F(WineRunTest, CommandLineIsAnsweredAndRunsWithoutTheMenu) {
  ASSERT_NO_FATAL_FAILURE(wineSession().installServer(
      casePath("stock_server", "server.txt"), View::k32));
  const WindowsBuild build = i686Build();
  auto runWith = [&](std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {build.loader, build.executable});
    return wineSession().run(arguments, start_.path(), "", pinnedClock());
  };
  for (const char* help : {"/?", "--help"}) {
    const ProcessResult result = runWith({help});
    EXPECT_EQ(result.exitCode, 0) << help;
    EXPECT_EQ(
        result.standardOutput.rfind("Usage: shgs-exporter [OPTION]...\r\n", 0),
        0u)
        << visible(result.standardOutput);
  }
  const ProcessResult version = runWith({"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.standardOutput, "shgs-exporter 1.20\r\n");
  EXPECT_TRUE(sortedNames(start_.path(), false).empty());

  const ProcessResult result = runWith({"--plain", "--games", "a"});
  EXPECT_EQ(result.exitCode, 0) << visible(result.standardError);
  EXPECT_EQ(result.standardOutput, "");
  EXPECT_EQ(visible(result.standardError),
            visible(windowsStandardError(
                readFile(casePath("stock_server", "plain.stderr")))));
  const std::string difference = firstDifference(stockPlainReport(), report());
  EXPECT_TRUE(difference.empty()) << difference;
  EXPECT_FALSE(fileExists(start_ / kNotepadArguments));
  EXPECT_EQ(leftovers(), std::vector<std::string>());
}

// Wine's own Notepad cannot open a window here and ends at once; its result
// is not the run's.
TEST_F(WineRunTest, RunSucceedsWhateverNotepadDoes) {
  ASSERT_NO_FATAL_FAILURE(wineSession().installServer(
      casePath("stock_server", "server.txt"), View::k32));
  const ProcessResult result = runExporter(
      i686Build(), "%A!\n", {{"WINEDLLOVERRIDES", "notepad.exe=b"}});
  EXPECT_EQ(result.exitCode, 0) << visible(result.standardError);
  const std::string difference = firstDifference(stockPlainReport(), report());
  EXPECT_TRUE(difference.empty()) << difference;
  EXPECT_FALSE(fileExists(start_ / kNotepadArguments))
      << "the stand-in ran, not Wine's Notepad";
  EXPECT_EQ(leftovers(), std::vector<std::string>());
}

// Programs planted in the start directory under the names of the system's
// registry tool and Notepad: the run starts the system's own all the same.
class PlantedProgramUnderWine
    : public WineRunTest,
      public ::testing::WithParamInterface<std::string> {};

TEST_P(PlantedProgramUnderWine, NeverRuns) {
  const std::string planted = GetParam();
  if (fs::path(planted).extension() == ".exe") {
    fs::copy_file(wineSession().helpersDirectory() + "/planted.exe",
                  start_ / planted);
  } else {
    writeFile(start_ / planted,
              "@echo %0 %*>>" + std::string(kPlantedMark) + "\r\n");
  }
  ASSERT_NO_FATAL_FAILURE(wineSession().installServer(
      casePath("stock_server", "server.txt"), View::k32));
  const auto server = serverFiles();
  const ProcessResult result = runExporter(i686Build(), "%A!\n");
  EXPECT_EQ(result.exitCode, 0) << visible(result.standardError);
  const std::string difference = firstDifference(stockPlainReport(), report());
  EXPECT_TRUE(difference.empty()) << difference;
  expectNotepadShowedTheReport();
  EXPECT_FALSE(fileExists(start_ / kPlantedMark))
      << readFile(start_ / kPlantedMark);
  EXPECT_EQ(leftovers(), std::vector<std::string>());
  EXPECT_TRUE(serverFiles() == server) << "the server's files changed";
}

INSTANTIATE_TEST_SUITE_P(StartDirectory, PlantedProgramUnderWine,
                         ::testing::Values("reg.bat", "reg.cmd", "reg.exe",
                                           "notepad.exe"),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           return replaceAll(info.param, ".", "");
                         });

// The name is never handed to the command processor, which would expand
// "%OS%" even inside quotes.
TEST_F(WineRunTest, PercentSignsInTheReportNameReachNotepadAsTyped) {
  ASSERT_NO_FATAL_FAILURE(wineSession().installServer(
      casePath("stock_server", "server.txt"), View::k32));
  const auto server = serverFiles();
  const ProcessResult result = runExporter(i686Build(), "$\n%OS%.txt\n%A!\n");
  EXPECT_EQ(result.exitCode, 0) << visible(result.standardError);
  const std::string written = readFile(start_ / "%OS%.txt");
  const std::string difference = firstDifference(stockPlainReport(), written);
  EXPECT_TRUE(difference.empty()) << difference;
  EXPECT_EQ(readFile(start_ / kNotepadArguments), "%OS%.txt\n");
  EXPECT_TRUE(readFile(start_ / kNotepadCopy) == written);
  EXPECT_FALSE(fileExists(start_ / "Windows_NT.txt"));
  EXPECT_EQ(leftovers(), std::vector<std::string>());
  EXPECT_TRUE(serverFiles() == server) << "the server's files changed";
}

// Names that denote, however spelled, the start directory's error log or
// the game's record are refused before any file is opened for writing.
// ("qilerror.txt" is a valid 8.3 name and has no short name of its own, so
// the short spelling is that of the record's path.)
TEST_F(WineRunTest, ReportNamesOfTheRunsFilesAreRefusedBeforeAnyIsTruncated) {
  writeFile(start_ / "blanks.txt", kBlankValuesServer);
  ASSERT_NO_FATAL_FAILURE(
      wineSession().installServer(start_ / "blanks.txt", View::k32));
  const std::string shortRecord =
      shortPathName("C:\\Blank  Server\\Game    A\\shcfig.dat");
  ASSERT_NE(shortRecord.find('~'), std::string::npos) << shortRecord;
  const std::string earlierLog = "an earlier run's log\r\n";
  for (const std::string& name :
       {std::string("qilerror.txt."), std::string("qilerror.txt\0x", 14),
        shortRecord}) {
    SCOPED_TRACE(visible(name));
    writeFile(start_ / "qilerror.txt", earlierLog);
    const auto server = serverFiles();
    const ProcessResult result =
        runExporter(i686Build(), "$\n" + name + "\n%A!\n");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(visible(result.standardError), "Failed to create output file.");
    EXPECT_EQ(readFile(start_ / "qilerror.txt"), earlierLog);
    EXPECT_FALSE(fileExists(start_ / kNotepadArguments));
    EXPECT_EQ(leftovers(), std::vector<std::string>{start_ / "qilerror.txt"});
    EXPECT_TRUE(serverFiles() == server) << "the server's files changed";
  }
}

// A name that will be read, though its file is missing now, never gets the
// report; the menu shows a title's control characters as "?".
TEST_F(WineRunTest, MissingRecordsNameIsRefusedAndTitlesShowNoControls) {
  std::string description = readFile(casePath("stock_server", "server.txt"));
  const std::string title = "Title = Stock Market";
  description.replace(description.find(title), title.size(),
                      "Title = Stock\x1b]0;owned\x07");
  writeFile(start_ / "controls.txt", description);
  ASSERT_NO_FATAL_FAILURE(
      wineSession().installServer(start_ / "controls.txt", View::k32));
  const std::string record = wineSession().driveC() + "/SHGS/Stock/shcfig.dat";
  ASSERT_TRUE(fs::remove(record));
  wineSession().serverChanged();
  const auto server = serverFiles();
  const ProcessResult result =
      runExporter(i686Build(), "$ c:\\shgs\\stock\\SHCFIG.DAT\n%A!\n");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(visible(result.standardError), "Failed to create output file.");
  EXPECT_NE(result.standardOutput.find("(A) Stock?]0;owned? "),
            std::string::npos)
      << visible(result.standardOutput);
  EXPECT_EQ(result.standardOutput.find("\x1b]"), std::string::npos);
  EXPECT_FALSE(fileExists(record));
  EXPECT_TRUE(serverFiles() == server) << "the server's files changed";
}

// A capture that cannot be replaced is never read in place of a fresh one.
TEST_F(WineRunTest, ReadOnlyLeftoverCaptureEndsTheRunUnread) {
  ASSERT_NO_FATAL_FAILURE(wineSession().installServer(
      casePath("stock_server", "server.txt"), View::k32));
  const auto server = serverFiles();
  const std::string stale = "    ServerRoot    REG_SZ    C:\\Stale\r\n";
  writeFile(start_ / "qil.tmp", stale);
  fs::permissions(start_ / "qil.tmp", fs::perms::owner_read |
                                          fs::perms::group_read |
                                          fs::perms::others_read);
  const ProcessResult result = runExporter(i686Build(), "%A!\n");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(visible(result.standardError),
            "Failed to initialize registry data.");
  EXPECT_EQ(result.standardOutput, "") << "the menu was drawn";
  EXPECT_EQ(readFile(start_ / "qil.tmp"), stale);
  EXPECT_FALSE(fileExists(start_ / kReportName));
  EXPECT_TRUE(serverFiles() == server) << "the server's files changed";
}

// Wine shows a Unix symbolic link as the file it leads to; the run still
// opens, creates and removes its work files never through one.
TEST_F(WineRunTest, WorkFilesAreNeverReachedThroughALink) {
  ASSERT_NO_FATAL_FAILURE(wineSession().installServer(
      casePath("stock_server", "server.txt"), View::k32));
  const auto server = serverFiles();
  const TempDir elsewhere;
  const std::string target = elsewhere / "target.txt";
  const std::string content = "someone else's file\n";
  const struct {
    const char* link;
    bool targetExists;
    const char* message;
  } cases[] = {
      {"qilerror.txt", true, "Error log failed to open."},
      {"qilerror.txt", false, "Error log failed to open."},
      {"qil.tmp", true, "Failed to initialize registry data."},
      {"qil.tmp", false, "Failed to initialize registry data."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.link) +
                 (c.targetExists ? " to a file" : " to nothing"));
    fs::remove(target);
    if (c.targetExists) writeFile(target, content);
    fs::create_symlink(target, start_ / c.link);
    const ProcessResult result = runExporter(i686Build(), "%A!\n");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(visible(result.standardError), c.message);
    EXPECT_TRUE(fs::is_symlink(start_ / c.link));
    if (c.targetExists) {
      EXPECT_EQ(readFile(target), content);
    } else {
      EXPECT_FALSE(fs::exists(target)) << "the link's target was created";
    }
    EXPECT_TRUE(serverFiles() == server) << "the server's files changed";
    fs::remove(start_ / c.link);
    fs::remove(start_ / "qilerror.txt");
  }
}

// Text after a Ctrl-Z byte is no part of a description, as the C runtime's
// text mode reads it.
TEST_F(WineRunTest, DescriptionEndsAtCtrlZ) {
  ASSERT_NO_FATAL_FAILURE(wineSession().installServer(
      casePath("stock_server", "server.txt"), View::k32));
  writeFile(wineSession().driveC() + "/SHGS/DescFile/stock.txt",
            "Prices as shipped.\r\n\x1ANothing changed.\r\n");
  wineSession().serverChanged();
  const auto server = serverFiles();
  const ProcessResult result = runExporter(i686Build(), "%A!\n");
  EXPECT_EQ(result.exitCode, 0) << visible(result.standardError);
  const std::string difference = firstDifference(
      replaceAll(stockPlainReport(), "Nothing changed.\r\n", ""), report());
  EXPECT_TRUE(difference.empty()) << difference;
  EXPECT_TRUE(serverFiles() == server) << "the server's files changed";
}

// Runs "$@" with its standard input held open until it has written to its
// standard output (the menu), then interrupts it as Ctrl-C does: Wine turns
// SIGINT into the console's Ctrl-C event.
constexpr char kInterruptAtTheMenu[] = R"(mkfifo input || exit 2
"$@" <input >output.txt 2>error.txt &
program=$!
exec 3>input
tries=0
while [ ! -s output.txt ] && [ $tries -lt 600 ]; do
  sleep 0.1
  tries=$((tries + 1))
done
kill -INT $program
wait $program)";

TEST_F(WineRunTest, CtrlCAtTheMenuRemovesTheErrorLog) {
  ASSERT_NO_FATAL_FAILURE(wineSession().installServer(
      casePath("stock_server", "server.txt"), View::k32));
  const auto server = serverFiles();
  const WindowsBuild build = i686Build();
  wineSession().run({"/bin/sh", "-c", kInterruptAtTheMenu, "sh", build.loader,
                     build.executable},
                    start_.path(), "", pinnedClock());
  const std::string output = readFile(start_ / "output.txt");
  EXPECT_NE(output.find("Enter game letter(s)"), std::string::npos) << output;
  EXPECT_EQ(output.find("Output file will be placed in"), std::string::npos);
  EXPECT_EQ(leftovers(), std::vector<std::string>());
  EXPECT_FALSE(fileExists(start_ / kReportName));
  EXPECT_TRUE(serverFiles() == server) << "the server's files changed";
}

// The release zip, unpacked into a directory of its own; "folder" is the one
// folder it holds.
class ReleaseZipTest : public WineRunTest {
 protected:
  void unpack() {
    const std::string zip = SHGS_WINE_RELEASE_ZIP;
    ASSERT_TRUE(fileExists(zip)) << zip << " is missing: build the package";
    const ProcessResult listing = testing_support::runProcess(
        {SHGS_CMAKE_COMMAND, "-E", "tar", "xf", zip}, unpacked_.path(), {}, "");
    ASSERT_EQ(listing.exitCode, 0) << listing.standardError;
    const std::vector<std::string> folders =
        sortedNames(unpacked_.path(), true);
    ASSERT_EQ(folders.size(), 1u);
    folder_ = unpacked_ / folders.front();
  }

  // Runs the launcher as Explorer does on a double-click, through the
  // command processor, from the start directory.
  ProcessResult runLauncher(const std::string& input) {
    const std::string launcher =
        "Z:" + replaceAll(folder_ + "/Run exporter.cmd", "/", "\\");
    return wineSession().run({i686Build().loader, "cmd", "/c", launcher},
                             start_.path(), input, pinnedClock());
  }

  TempDir unpacked_;
  std::string folder_;
};

// The operator's files and nothing else, the texts with CR LF line ends; the
// program runs as unpacked.
TEST_F(ReleaseZipTest, HoldsTheOperatorFilesAndAProgramThatRuns) {
  ASSERT_NO_FATAL_FAILURE(unpack());
  EXPECT_EQ(sortedNames(folder_, false),
            (std::vector<std::string>{
                "CHANGELOG.md", "LICENSE.txt", "QUICKSTART.txt", "README.md",
                "RELIABILITY.md", "Run exporter.cmd", "shgs-exporter.exe"}));
  for (const char* text : {"CHANGELOG.md", "LICENSE.txt", "QUICKSTART.txt",
                           "README.md", "RELIABILITY.md", "Run exporter.cmd"}) {
    const std::string content = readFile(folder_ + "/" + text);
    EXPECT_FALSE(content.empty()) << text;
    EXPECT_EQ(withCrLf(replaceAll(content, "\r\n", "\n")), content)
        << text << " does not have CR LF line ends throughout";
  }
  ASSERT_NO_FATAL_FAILURE(wineSession().installServer(
      casePath("stock_server", "server.txt"), View::k32));
  const ProcessResult result =
      runExecutable(i686Build(), folder_ + "/shgs-exporter.exe", "%A!\n");
  EXPECT_EQ(result.exitCode, 0) << visible(result.standardError);
  EXPECT_TRUE(firstDifference(withCrLf(readFile(
                                  casePath("stock_server", "plain.expected"))),
                              report())
                  .empty());
}

// Started from anywhere, the launcher runs the program in its own folder,
// where the report lands; after a run that ends on a problem it waits for a
// key, so that a double-clicked window stays open with the message.
TEST_F(ReleaseZipTest, LauncherRunsTheProgramInItsFolderAndWaitsAfterAProblem) {
  ASSERT_NO_FATAL_FAILURE(unpack());
  fs::copy_file(wineSession().helpersDirectory() + "/notepad.exe",
                folder_ + "/notepad.exe");
  ASSERT_NO_FATAL_FAILURE(wineSession().installServer(
      casePath("stock_server", "server.txt"), View::k32));
  const std::string waits = "Press any key";

  const ProcessResult completed = runLauncher("%A!\n");
  EXPECT_EQ(completed.exitCode, 0) << visible(completed.standardError);
  EXPECT_TRUE(firstDifference(withCrLf(readFile(
                                  casePath("stock_server", "plain.expected"))),
                              readFile(folder_ + "/" + kReportName))
                  .empty());
  EXPECT_FALSE(fileExists(start_ / kReportName));
  EXPECT_EQ(completed.standardOutput.find(waits), std::string::npos);

  const ProcessResult failed = runLauncher("$ missing\\report.txt\n!\n");
  EXPECT_EQ(failed.exitCode, 1);
  EXPECT_NE(failed.standardError.find("Failed to create output file."),
            std::string::npos)
      << visible(failed.standardError);
  EXPECT_NE(failed.standardOutput.find(waits), std::string::npos)
      << visible(failed.standardOutput);
}

}  // namespace
}  // namespace wine_testing
}  // namespace shgs

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // One Wine prefix for every test: a new one takes several seconds.
  ::testing::AddGlobalTestEnvironment(new shgs::wine_testing::WineSession);
  return RUN_ALL_TESTS();
}
