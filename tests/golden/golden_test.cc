// Golden reports: each case directory below tests/testdata/golden holds a
// sample server description (server.txt) and runs, each made of the
// operator's keystrokes (<run>.input) and/or the arguments, one to a line, of
// a run without the menu (<run>.args), the exact report the run must write
// (<run>.expected) and the exact standard error (<run>.stderr; none where
// it is missing). A run with both writes the
// same report from the menu and without it. The exporter runs on the server
// at a pinned local time, and its report is compared byte for byte, but for
// the seconds of a JSON report's time (the pinned clock runs on).
//
// SHGS_UPDATE_GOLDEN=1 rewrites existing <run>.expected files with the
// program's output instead of comparing; review the diff before committing.
//
// SHGS_GOLDEN_EXPORTER=<program> also runs another build of the exporter on
// every case: the release's static program, whose clock no preloaded library
// can pin. It must write what this build writes at the same real time (and
// so, by the comparison above, the golden report) and the expected standard
// error.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/exporter_run.h"

namespace shgs {
namespace {

namespace fs = std::filesystem;
using testing_support::ExporterRunTest;
using testing_support::fileExists;
using testing_support::leftoverFiles;
using testing_support::ProcessResult;
using testing_support::readFile;
using testing_support::withTimeOf;
using testing_support::writeFile;

// Noon keeps every "Age of Game:" away from a day boundary, whatever the
// daylight saving shift of the day it counts from.
constexpr char kFakeTime[] = "@2026-12-06 12:00:00";
// The home page the expected footers name: the build's default.
constexpr char kGoldenHomePage[] = "https://shgs-exporter.example.org/";
const std::string kGoldenDirectory = SHGS_TESTDATA_DIR "/golden/";

std::vector<std::string> sortedNames(const std::string& directory) {
  std::vector<std::string> names;
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(directory, ignored)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Every run as "case/run": a run is named by its .input or .args file.
std::vector<std::string> findRuns() {
  std::vector<std::string> runs;
  for (const std::string& caseName : sortedNames(kGoldenDirectory)) {
    for (const std::string& file : sortedNames(kGoldenDirectory + caseName)) {
      const fs::path path(file);
      const std::string run = caseName + "/" + path.stem().string();
      if ((path.extension() == ".input" || path.extension() == ".args") &&
          (runs.empty() || runs.back() != run)) {
        runs.push_back(run);
      }
    }
  }
  return runs;
}

// The preload library that pins the clock, from the faketime package.
std::string findFakeTimeLibrary() {
  for (const char* library :
       {"/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1",
        "/usr/lib/aarch64-linux-gnu/faketime/libfaketime.so.1",
        "/usr/lib/faketime/libfaketime.so.1"}) {
    if (fileExists(library)) return library;
  }
  return std::string();
}

// The arguments of a run without the menu, one to a line.
std::vector<std::string> argumentsOf(const std::string& argsPath) {
  std::vector<std::string> arguments;
  std::string text = readFile(argsPath);
  for (std::size_t end; (end = text.find('\n')) != std::string::npos;
       text.erase(0, end + 1)) {
    arguments.push_back(text.substr(0, end));
  }
  return arguments;
}

// The expected report, naming this build's home page in its footer.
std::string expectedReport(const std::string& expectedPath) {
  return testing_support::replaceAll(readFile(expectedPath), kGoldenHomePage,
                                     SHGS_HOME_PAGE_URL);
}

void checkReport(const std::string& expectedPath, const std::string& report) {
  const char* update = std::getenv("SHGS_UPDATE_GOLDEN");
  if (update == nullptr || std::string(update) != "1") {
    const std::string expected = expectedReport(expectedPath);
    EXPECT_EQ(withTimeOf(expected, report), expected);
    return;
  }
  ASSERT_TRUE(fileExists(expectedPath))
      << "updating never creates an expected file";
  ASSERT_STREQ(SHGS_HOME_PAGE_URL, kGoldenHomePage)
      << "update the goldens from a build with the default home page";
  writeFile(expectedPath, report);
}

class GoldenReport : public ExporterRunTest,
                     public ::testing::WithParamInterface<std::string> {
 protected:
  // The report "program" writes for the keys or arguments of "run" at the
  // real time; the file is removed again.
  std::string unpinnedReport(const std::string& program, const std::string& run,
                             std::string* standardError) {
    testing_support::ProcessOptions options;
    if (fileExists(run + ".input")) {
      options.input = readFile(run + ".input");
    } else {
      options.arguments = argumentsOf(run + ".args");
    }
    const ProcessResult result =
        runProgram(program, options, {{"TZ", "EST5EDT"}});
    EXPECT_EQ(result.exitCode, 0) << program << ": " << result.standardError;
    *standardError = result.standardError;
    const std::string reportPath = start() + "/SHGS Game Data.TXT";
    const std::string report = readFile(reportPath);
    fs::remove(reportPath);
    return report;
  }

  // A run with "arguments" and no input, at the pinned time.
  ProcessResult runArguments(const std::vector<std::string>& arguments,
                             const std::string& fakeTime) {
    std::vector<std::string> argv = {SHGS_EXPORTER_PATH};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return testing_support::runProcess(
        argv, start(),
        {{"WINEPREFIX", prefix()},
         {"HOME", temp_.path()},
         {"PATH", "/usr/bin:/bin"},
         {"TZ", "EST5EDT"},
         {"LD_PRELOAD", fakeTime},
         {"FAKETIME", kFakeTime},
         {"ASAN_OPTIONS", "verify_asan_link_order=0"}},
        "");
  }

  void checkOtherBuild(const std::string& program, const std::string& run,
                       const std::string& said) {
    SCOPED_TRACE(program);
    std::string ignored;
    std::string standardError;
    const std::string before =
        unpinnedReport(SHGS_EXPORTER_PATH, run, &ignored);
    const std::string other = unpinnedReport(program, run, &standardError);
    const std::string after = unpinnedReport(SHGS_EXPORTER_PATH, run, &ignored);
    // A day may begin between two of the runs, but not twice.
    EXPECT_TRUE(withTimeOf(before, other) == before ||
                withTimeOf(after, other) == after)
        << "the reports differ from this build's";
    EXPECT_EQ(standardError, said);
  }
};

TEST_P(GoldenReport, WritesExpectedBytes) {
  const std::string run = kGoldenDirectory + GetParam();
  const std::string fakeTime = findFakeTimeLibrary();
  ASSERT_FALSE(fakeTime.empty()) << "libfaketime.so.1 not found: install the "
                                    "faketime package (scripts/install-deps)";
  ASSERT_NO_FATAL_FAILURE(
      makeServerFromFile(fs::path(run).parent_path().string() + "/server.txt"));
  const std::string reportPath = start() + "/SHGS Game Data.TXT";
  const std::string said =
      fileExists(run + ".stderr") ? readFile(run + ".stderr") : "";
  const bool withMenu = fileExists(run + ".input");
  if (withMenu) {
    // A sanitized build must accept the preloaded library ahead of its own
    // runtime; other builds ignore the setting.
    const ProcessResult result =
        runExporter(readFile(run + ".input"),
                    {{"TZ", "EST5EDT"},
                     {"LD_PRELOAD", fakeTime},
                     {"FAKETIME", kFakeTime},
                     {"ASAN_OPTIONS", "verify_asan_link_order=0"}});
    ASSERT_EQ(result.exitCode, 0) << result.standardError;
    ASSERT_TRUE(fileExists(reportPath)) << "no report file written";
    checkReport(run + ".expected", readFile(reportPath));
    EXPECT_EQ(result.standardError, said);
    EXPECT_EQ(leftoverFiles(temp_.path()), std::vector<std::string>());
    fs::remove(reportPath);
  }
  if (fileExists(run + ".args")) {
    SCOPED_TRACE("without the menu");
    const ProcessResult direct =
        runArguments(argumentsOf(run + ".args"), fakeTime);
    EXPECT_EQ(direct.exitCode, 0) << direct.standardError;
    EXPECT_EQ(direct.standardOutput, "");
    EXPECT_EQ(direct.standardError, testing_support::saidWithOptions(said));
    checkReport(run + ".expected", readFile(reportPath));
    EXPECT_EQ(leftoverFiles(temp_.path()), std::vector<std::string>());
  }
  const char* other = std::getenv("SHGS_GOLDEN_EXPORTER");
  if (other != nullptr && *other != '\0') {
    fs::remove(reportPath);
    checkOtherBuild(other, run,
                    withMenu ? said : testing_support::saidWithOptions(said));
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, GoldenReport, ::testing::ValuesIn(findRuns()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           std::string name = info.param;
                           std::replace(name.begin(), name.end(), '/', '_');
                           return name;
                         });

}  // namespace
}  // namespace shgs
