// The registry reader on captures that no well-behaved registry tool writes:
// each must give a defined snapshot or the defined message, and leave
// behind exactly the files the run's outcome says.
#include "registry/registry_reader.h"

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>

#include "support/fake_platform.h"
#include "support/test_support.h"

namespace shgs {
namespace {

using testing_support::fileExists;
using testing_support::TempDir;
using testing_support::writeFile;

constexpr char kMissingServerRoot[] =
    "Failed to open registry data; ServerRoot key not found.\n"
    "Make sure SHGS is installed on this PC.";
constexpr char kServerKeyLine[] =
    "HKEY_LOCAL_MACHINE\\Software\\Orbital Forge Software\\Starhaul Deluxe "
    "Game Server";

// A platform whose capture is "capture" as it is, in "qil.tmp", and whose
// error log is a plain "qilerror.txt", both in the working directory.
class RawCapturePlatform : public testing_support::FakePlatform {
 public:
  explicit RawCapturePlatform(std::string capture)
      : capture_(std::move(capture)) {}

  std::unique_ptr<WorkFile> captureRegistry(const std::string& name,
                                            std::string* listing) override {
    writeFile(name, capture_);
    *listing = capture_;
    return std::make_unique<testing_support::NamedWorkFile>(name);
  }
  std::unique_ptr<WorkFile> openErrorLog(const std::string& name) override {
    std::ofstream(name, std::ios::app);
    return std::make_unique<testing_support::NamedWorkFile>(name);
  }

 private:
  std::string capture_;
};

// Runs each test in a temporary directory of its own.
class RegistryReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = std::filesystem::current_path();
    std::filesystem::current_path(directory_.path());
  }
  void TearDown() override { std::filesystem::current_path(saved_); }

  bool exists(const std::string& name) const {
    return fileExists(directory_ / name);
  }

 private:
  TempDir directory_;
  std::filesystem::path saved_;
};

// Bytes of every value, without a line end or a word the reader looks for.
std::string noise(std::size_t size) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> byte(0, 255);
  std::string text(size, '\0');
  for (char& c : text) c = static_cast<char>(byte(random));
  return text;
}

std::string serverKey(const std::string& lineEnd) {
  return lineEnd + kServerKeyLine + lineEnd +
         "    ServerRoot    REG_SZ    C:\\SHGS" + lineEnd +
         "    Port    REG_SZ    23" + lineEnd;
}

TEST_F(RegistryReaderTest, CaptureWithoutServerRootStopsTheRunAndStays) {
  const struct {
    const char* name;
    std::string capture;
  } cases[] = {
      {"empty", ""},
      {"blank lines only", "\r\n\r\n  \t\r\n"},
      {"10 MB of noise", noise(10 << 20)},
      {"the name as the very last word",
       "    Port    REG_SZ    23\n    ServerRoot"},
      {"the name in another case", "    serverroot    REG_SZ    C:\\S\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.capture.find("ServerRoot") != std::string::npos &&
        c.capture.find("ServerRoot") + 10 < c.capture.size()) {
      FAIL() << "a case must not hold a readable ServerRoot";
    }
    RawCapturePlatform platform(c.capture);
    EXPECT_EXIT(RegistryReader reader(platform), ::testing::ExitedWithCode(1),
                ::testing::Eq(kMissingServerRoot));
    EXPECT_TRUE(exists("qil.tmp"));
    EXPECT_TRUE(exists("qilerror.txt"));
  }
}

TEST_F(RegistryReaderTest, ReadsOddCapturesAsTheWordRulesSay) {
  const struct {
    const char* name;
    std::string capture;
    std::string serverRoot;
    std::int32_t port;
  } cases[] = {
      {"no line ends at all",
       std::string(kServerKeyLine) +
           "    ServerRoot    REG_SZ    C:\\SHGS    Port    REG_SZ    23",
       "C:\\SHGS    Port    REG_SZ    23", 23},
      {"a NUL byte inside a value",
       std::string("    ServerRoot    REG_SZ    C:\\SH") + '\0' + "GS\n" +
           "    Port    REG_SZ    2" + '\0' + "3\n",
       std::string("C:\\SH") + '\0' + "GS", 2},
      {"value lines without type or value",
       "    ServerRoot\n    Port    REG_SZ\n", "", 0},
      {"a tab line shorter than its separators",
       "    ServerRoot\tREG\n    Port\t\n", "", 0},
      {"10 MB of noise before the listing",
       noise(10 << 20) + "\n" + serverKey("\r\n"), "C:\\SHGS", 23},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    RawCapturePlatform platform(c.capture);
    {
      const RegistryReader reader(platform);
      EXPECT_EQ(reader.snapshot().serverRoot(), c.serverRoot);
      EXPECT_EQ(reader.snapshot().port(), c.port);
      EXPECT_TRUE(reader.snapshot().isGameUnavailable('A'));
      EXPECT_FALSE(exists("qil.tmp"));
      EXPECT_TRUE(exists("qilerror.txt"));
    }
    EXPECT_FALSE(exists("qilerror.txt"));
  }
}

}  // namespace
}  // namespace shgs
