// Golden reports: each case directory below tests/testdata/golden holds a
// sample server description (server.txt) and runs, each made of the
// operator's keystrokes (<run>.input), the exact report the run must write
// (<run>.expected) and, optionally, the exact standard error (<run>.stderr).
// The exporter runs on the server at a pinned local time, and its report is
// compared byte for byte.
//
// SHGS_UPDATE_GOLDEN=1 rewrites existing <run>.expected files with the
// program's output instead of comparing; review the diff before committing.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
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
using testing_support::writeFile;

// Noon keeps every "Age of Game:" away from a day boundary, whatever the
// daylight saving shift of the day it counts from.
constexpr char kFakeTime[] = "@2026-12-06 12:00:00";
// The home page the expected footers name: the build's default.
constexpr char kGoldenHomePage[] = "https://shgs-exporter.example.org/";

struct GoldenRun {
  std::string caseName;
  std::string runName;
};

void PrintTo(const GoldenRun& run, std::ostream* out) {
  *out << run.caseName << "/" << run.runName;
}

std::string caseDirectory(const std::string& caseName) {
  return std::string(SHGS_TESTDATA_DIR) + "/golden/" + caseName;
}

std::string runPath(const GoldenRun& run, const std::string& suffix) {
  return caseDirectory(run.caseName) + "/" + run.runName + suffix;
}

std::vector<std::string> sortedNames(const std::string& directory) {
  std::vector<std::string> names;
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(directory, ignored)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Every (case, run) pair: a run is named by its .input file.
std::vector<GoldenRun> findRuns() {
  std::vector<GoldenRun> runs;
  for (const std::string& caseName : sortedNames(caseDirectory(""))) {
    for (const std::string& file : sortedNames(caseDirectory(caseName))) {
      const fs::path path(file);
      if (path.extension() == ".input") {
        runs.push_back({caseName, path.stem().string()});
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

// Bytes that a terminal would hide or garble, the forum fill byte among
// them, are shown as <XX>.
std::string visible(const std::string& text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string shown;
  for (unsigned char c : text) {
    if (c >= 0x20 && c < 0x7f) {
      shown += static_cast<char>(c);
    } else {
      shown += std::string("<") + kHex[c >> 4] + kHex[c & 0xf] + ">";
    }
  }
  return shown;
}

// Empty when the texts are equal; otherwise the first line that differs.
std::string firstDifference(const std::string& expected,
                            const std::string& actual) {
  if (expected == actual) return std::string();
  std::istringstream want(expected), got(actual);
  std::string wantLine, gotLine;
  for (int line = 1;; ++line) {
    const bool hasWant = static_cast<bool>(std::getline(want, wantLine));
    const bool hasGot = static_cast<bool>(std::getline(got, gotLine));
    if (!hasWant || !hasGot || wantLine != gotLine) {
      return "first difference at line " + std::to_string(line) +
             "\n  expected: " + (hasWant ? visible(wantLine) : "<end>") +
             "\n  actual:   " + (hasGot ? visible(gotLine) : "<end>");
    }
  }
}

bool updating() {
  const char* flag = std::getenv("SHGS_UPDATE_GOLDEN");
  return flag != nullptr && std::string(flag) == "1";
}

// Compares "report" with the run's expected bytes, or rewrites them when
// updating.
void checkReport(const GoldenRun& run, const std::string& report) {
  const std::string expectedPath = runPath(run, ".expected");
  if (updating()) {
    ASSERT_TRUE(fileExists(expectedPath))
        << "updating never creates an expected file";
    ASSERT_STREQ(SHGS_HOME_PAGE_URL, kGoldenHomePage)
        << "update the goldens from a build with the default home page";
    writeFile(expectedPath, report);
    return;
  }
  std::string expected = readFile(expectedPath);
  const std::string page = std::string("[url]") + kGoldenHomePage + "[/url]";
  const std::size_t footer = expected.rfind(page);
  if (footer != std::string::npos) {
    expected.replace(footer, page.size(),
                     std::string("[url]") + SHGS_HOME_PAGE_URL + "[/url]");
  }
  const std::string difference = firstDifference(expected, report);
  EXPECT_TRUE(difference.empty()) << difference;
}

class GoldenReport : public ExporterRunTest,
                     public ::testing::WithParamInterface<GoldenRun> {};

TEST_P(GoldenReport, WritesExpectedBytes) {
  const GoldenRun& run = GetParam();
  const std::string fakeTime = findFakeTimeLibrary();
  ASSERT_FALSE(fakeTime.empty()) << "libfaketime.so.1 not found: install the "
                                    "faketime package (scripts/install-deps)";
  ASSERT_NO_FATAL_FAILURE(
      makeServerFromFile(caseDirectory(run.caseName) + "/server.txt"));
  // A sanitized build must accept the preloaded library ahead of its own
  // runtime; other builds ignore the setting.
  const ProcessResult result =
      runExporter(readFile(runPath(run, ".input")),
                  {{"TZ", "EST5EDT"},
                   {"LD_PRELOAD", fakeTime},
                   {"FAKETIME", kFakeTime},
                   {"ASAN_OPTIONS", "verify_asan_link_order=0"}});
  ASSERT_EQ(result.exitCode, 0) << visible(result.standardError);
  const std::string reportPath = start() + "/SHGS Game Data.TXT";
  ASSERT_TRUE(fileExists(reportPath)) << "no report file written";
  checkReport(run, readFile(reportPath));
  if (fileExists(runPath(run, ".stderr"))) {
    EXPECT_EQ(visible(result.standardError),
              visible(readFile(runPath(run, ".stderr"))));
  }
  EXPECT_EQ(leftoverFiles(temp_.path()), std::vector<std::string>());
}

INSTANTIATE_TEST_SUITE_P(Cases, GoldenReport, ::testing::ValuesIn(findRuns()),
                         [](const ::testing::TestParamInfo<GoldenRun>& info) {
                           return info.param.caseName + "_" +
                                  info.param.runName;
                         });

// A case missing a file would silently test less than it claims.
TEST(GoldenCases, HaveServerExpectedReportsAndBothModes) {
  const std::vector<std::string> cases = sortedNames(caseDirectory(""));
  ASSERT_FALSE(cases.empty());
  for (const std::string& caseName : cases) {
    SCOPED_TRACE(caseName);
    EXPECT_TRUE(fileExists(caseDirectory(caseName) + "/server.txt"));
    int forum = 0;
    int plain = 0;
    for (const GoldenRun& run : findRuns()) {
      if (run.caseName != caseName) continue;
      SCOPED_TRACE(run.runName);
      ASSERT_TRUE(fileExists(runPath(run, ".expected")));
      const bool isForum =
          readFile(runPath(run, ".expected")).rfind("[CODE][white]\n", 0) == 0;
      ++(isForum ? forum : plain);
    }
    EXPECT_GT(forum, 0) << "no forum run";
    EXPECT_GT(plain, 0) << "no plain run";
  }
}

}  // namespace
}  // namespace shgs
