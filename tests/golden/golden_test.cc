// Golden reports: each case directory below tests/testdata/golden holds a
// sample server description (server.txt) and one or more runs, each made of
// the operator's keystrokes (<run>.input), the exact report the run must
// write (<run>.expected) and, optionally, the exact standard error
// (<run>.stderr). The exporter runs as a separate process on a server built
// by shgs-make-server, at a pinned local time, and its report is compared
// byte for byte.
//
// SHGS_UPDATE_GOLDEN=1 rewrites existing <run>.expected files with the
// program's output instead of comparing; review the diff before committing.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;
using shgs::testing_support::fileExists;
using shgs::testing_support::makeDirectories;
using shgs::testing_support::ProcessResult;
using shgs::testing_support::readFile;
using shgs::testing_support::runProcess;
using shgs::testing_support::TempDir;
using shgs::testing_support::writeFile;

constexpr char kReportName[] = "SHGS Game Data.TXT";
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

std::string goldenDirectory() {
  return std::string(SHGS_TESTDATA_DIR) + "/golden";
}

std::string runPath(const GoldenRun& run, const std::string& suffix) {
  return goldenDirectory() + "/" + run.caseName + "/" + run.runName + suffix;
}

std::vector<std::string> sortedEntries(const std::string& directory,
                                       bool wantDirectories) {
  std::vector<std::string> names;
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(directory, ignored)) {
    if (entry.is_directory() == wantDirectories) {
      names.push_back(entry.path().filename().string());
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Every (case, run) pair: a run is named by its .input file.
std::vector<GoldenRun> findRuns() {
  std::vector<GoldenRun> runs;
  for (const std::string& caseName : sortedEntries(goldenDirectory(), true)) {
    const std::string caseDir = goldenDirectory() + "/" + caseName;
    for (const std::string& file : sortedEntries(caseDir, false)) {
      const fs::path path(file);
      if (path.extension() == ".input") {
        runs.push_back({caseName, path.stem().string()});
      }
    }
  }
  return runs;
}

std::string testName(const ::testing::TestParamInfo<GoldenRun>& info) {
  return info.param.caseName + "_" + info.param.runName;
}

// The preload library that pins the clock, from the faketime package.
std::string findFakeTimeLibrary() {
  const char* const candidates[] = {
      "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1",
      "/usr/lib/aarch64-linux-gnu/faketime/libfaketime.so.1",
      "/usr/lib/faketime/libfaketime.so.1",
  };
  for (const char* candidate : candidates) {
    if (fileExists(candidate)) return candidate;
  }
  const ProcessResult listing =
      runProcess({"/usr/bin/dpkg", "-L", "libfaketime"}, "/",
                 {{"PATH", "/usr/bin:/bin"}}, "");
  std::istringstream lines(listing.standardOutput);
  std::string line;
  const std::string wanted = "/libfaketime.so.1";
  while (std::getline(lines, line)) {
    if (line.size() >= wanted.size() &&
        line.compare(line.size() - wanted.size(), wanted.size(), wanted) == 0)
      return line;
  }
  return std::string();
}

std::string replaceAll(std::string text, const std::string& from,
                       const std::string& to) {
  if (from == to) return text;
  for (std::size_t at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

// Bytes that a terminal would hide or garble, the forum fill byte among
// them, are shown as <XX>.
std::string visible(const std::string& line) {
  std::string shown;
  for (unsigned char c : line) {
    if (c >= 0x20 && c < 0x7f) {
      shown += static_cast<char>(c);
    } else {
      static const char kHex[] = "0123456789ABCDEF";
      shown += std::string("<") + kHex[c >> 4] + kHex[c & 0xf] + ">";
    }
  }
  return shown;
}

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size() - 1;
    lines.push_back(text.substr(start, end - start + 1));
    start = end + 1;
  }
  return lines;
}

// Empty when the texts are equal; otherwise where and how they first differ.
std::string firstDifference(const std::string& expected,
                            const std::string& actual) {
  if (expected == actual) return std::string();
  const std::vector<std::string> want = splitLines(expected);
  const std::vector<std::string> got = splitLines(actual);
  std::size_t i = 0;
  while (i < want.size() && i < got.size() && want[i] == got[i]) ++i;
  std::ostringstream message;
  message << "first difference at line " << i + 1 << " (expected "
          << expected.size() << " bytes, got " << actual.size() << ")\n"
          << "  expected: "
          << (i < want.size() ? visible(want[i]) : "<end of file>") << "\n"
          << "  actual:   "
          << (i < got.size() ? visible(got[i]) : "<end of file>");
  return message.str();
}

// Paths below "root" of files a completed run must have removed.
std::vector<std::string> leftoverFiles(const std::string& root) {
  std::vector<std::string> found;
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
  return found;
}

bool updating() {
  const char* flag = std::getenv("SHGS_UPDATE_GOLDEN");
  return flag != nullptr && std::string(flag) == "1";
}

class GoldenReport : public ::testing::TestWithParam<GoldenRun> {
 protected:
  void SetUp() override {
    fakeTime_ = findFakeTimeLibrary();
    ASSERT_FALSE(fakeTime_.empty())
        << "libfaketime.so.1 not found: install the faketime package "
           "(scripts/install-deps)";
    start_ = temp_ / "start";
    makeDirectories(start_);
  }

  void makeServer(const std::string& description) {
    const ProcessResult made =
        runProcess({SHGS_MAKE_SERVER_PATH, description, temp_ / "prefix"},
                   temp_.path(), {{"PATH", "/usr/bin:/bin"}}, "");
    ASSERT_EQ(made.exitCode, 0) << "shgs-make-server failed on " << description
                                << ": " << made.standardError;
  }

  ProcessResult runExporter(const std::string& input) {
    const std::map<std::string, std::string> environment = {
        {"WINEPREFIX", temp_ / "prefix"},
        {"HOME", temp_.path()},
        {"PATH", "/usr/bin:/bin"},
        {"TZ", "EST5EDT"},
        {"LD_PRELOAD", fakeTime_},
        {"FAKETIME", kFakeTime},
        // A sanitized build must accept the preloaded library ahead of its
        // own runtime; other builds ignore the setting.
        {"ASAN_OPTIONS", "verify_asan_link_order=0"},
    };
    return runProcess({SHGS_EXPORTER_PATH}, start_, environment, input);
  }

  TempDir temp_;
  std::string start_;
  std::string fakeTime_;
};

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
  const std::string expected = replaceAll(
      readFile(expectedPath), std::string("[url]") + kGoldenHomePage + "[/url]",
      std::string("[url]") + SHGS_HOME_PAGE_URL + "[/url]");
  const std::string difference = firstDifference(expected, report);
  EXPECT_TRUE(difference.empty()) << difference;
}

TEST_P(GoldenReport, WritesExpectedBytes) {
  const GoldenRun& run = GetParam();
  ASSERT_NO_FATAL_FAILURE(
      makeServer(goldenDirectory() + "/" + run.caseName + "/server.txt"));
  const ProcessResult result = runExporter(readFile(runPath(run, ".input")));
  ASSERT_EQ(result.exitCode, 0) << visible(result.standardError);
  const std::string reportPath = start_ + "/" + kReportName;
  ASSERT_TRUE(fileExists(reportPath)) << "no report file written";
  checkReport(run, readFile(reportPath));
  if (fileExists(runPath(run, ".stderr"))) {
    EXPECT_EQ(visible(result.standardError),
              visible(readFile(runPath(run, ".stderr"))));
  }
  EXPECT_EQ(leftoverFiles(temp_.path()), std::vector<std::string>());
}

INSTANTIATE_TEST_SUITE_P(Cases, GoldenReport, ::testing::ValuesIn(findRuns()),
                         testName);

bool isForumReport(const std::string& report) {
  return report.rfind("[CODE][white]\n", 0) == 0;
}

// A case missing a file would silently test less than it claims.
TEST(GoldenCases, HaveServerExpectedReportsAndBothModes) {
  const std::vector<std::string> cases = sortedEntries(goldenDirectory(), true);
  ASSERT_FALSE(cases.empty()) << "no cases below " << goldenDirectory();
  const std::vector<GoldenRun> runs = findRuns();
  for (const std::string& caseName : cases) {
    SCOPED_TRACE(caseName);
    EXPECT_TRUE(fileExists(goldenDirectory() + "/" + caseName + "/server.txt"));
    int forum = 0;
    int plain = 0;
    for (const GoldenRun& run : runs) {
      if (run.caseName != caseName) continue;
      SCOPED_TRACE(run.runName);
      ASSERT_TRUE(fileExists(runPath(run, ".expected")));
      if (isForumReport(readFile(runPath(run, ".expected")))) {
        ++forum;
      } else {
        ++plain;
      }
    }
    EXPECT_GT(forum, 0) << "no forum run";
    EXPECT_GT(plain, 0) << "no plain run";
  }
}

}  // namespace
