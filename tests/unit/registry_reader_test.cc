// The registry reader on captures that no well-behaved registry tool writes:
// each must give a defined snapshot or the defined message, and leave
// behind exactly the files the run's outcome says.
#include "registry/registry_reader.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <optional>
#include <random>
#include <string>

#include "registry/server_key.h"
#include "support/fake_platform.h"
#include "support/scoped_process_state.h"
#include "support/test_support.h"

namespace shgs {
namespace {

using testing_support::FreshWorkingDirectory;
using testing_support::writeFile;

constexpr char kMissingServerRoot[] =
    "Failed to open registry data; ServerRoot key not found.\n"
    "Make sure SHGS is installed on this PC.";
constexpr char kServerKeyLine[] =
    "HKEY_LOCAL_MACHINE\\Software\\Orbital Forge Software\\Starhaul Deluxe "
    "Game Server";

// A platform whose capture is "capture" as it is (none when it has no
// value), in "qil.tmp", and whose error log is a plain "qilerror.txt", both
// in the working directory.
class RawCapturePlatform : public testing_support::FakePlatform {
 public:
  explicit RawCapturePlatform(std::optional<std::string> capture)
      : capture_(std::move(capture)) {}

  std::unique_ptr<WorkFile> captureRegistry(const std::string& name,
                                            const std::string& keyPath,
                                            std::string* listing) override {
    EXPECT_EQ(keyPath, kServerKeyPath);
    if (!capture_) return nullptr;
    writeFile(name, *capture_);
    *listing = *capture_;
    return std::make_unique<testing_support::NamedWorkFile>(name);
  }
  std::unique_ptr<WorkFile> openErrorLog(const std::string& name) override {
    std::ofstream(name, std::ios::app);
    return std::make_unique<testing_support::NamedWorkFile>(name);
  }

 private:
  std::optional<std::string> capture_;
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

// Each case in a directory of its own: the reader holds the message that
// ends the run, and its log is there while it lives; a capture that was
// made stays, for the operator to see.
TEST(RegistryReader, CaptureWithoutServerRootIsAFailureAndStays) {
  const struct {
    const char* name;
    std::optional<std::string> capture;
    std::string failure;
  } cases[] = {
      {"empty", "", kMissingServerRoot},
      {"blank lines only", "\r\n\r\n  \t\r\n", kMissingServerRoot},
      {"10 MB of noise", noise(10 << 20), kMissingServerRoot},
      {"the name as the very last word",
       "    Port    REG_SZ    23\n    ServerRoot", kMissingServerRoot},
      {"the name in another case", "    serverroot    REG_SZ    C:\\S\n",
       kMissingServerRoot},
      {"no capture made", std::nullopt, "Failed to initialize registry data."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const FreshWorkingDirectory dir;
    RawCapturePlatform platform(c.capture);
    {
      const RegistryReader reader(platform);
      EXPECT_EQ(reader.failure(), c.failure);
      EXPECT_TRUE(dir.has("qilerror.txt"));
    }
    EXPECT_EQ(dir.has("qil.tmp"), c.capture.has_value());
  }
}

TEST(RegistryReader, ReadsOddCapturesAsTheWordRulesSay) {
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
    const FreshWorkingDirectory dir;
    RawCapturePlatform platform(c.capture);
    {
      const RegistryReader reader(platform);
      EXPECT_EQ(reader.failure(), "");
      EXPECT_EQ(reader.snapshot().serverRoot(), c.serverRoot);
      EXPECT_EQ(reader.snapshot().port(), c.port);
      EXPECT_TRUE(reader.snapshot().isGameUnavailable('A'));
      EXPECT_FALSE(dir.has("qil.tmp"));
      EXPECT_TRUE(dir.has("qilerror.txt"));
    }
    EXPECT_FALSE(dir.has("qilerror.txt"));
  }
}

// Without its log the reader captures nothing.
TEST(RegistryReader, NeedsItsErrorLogFirst) {
  const FreshWorkingDirectory dir;
  testing_support::makeDirectories(dir.path("qilerror.txt"));
  const std::unique_ptr<Platform> platform = makeHostPlatform();
  const RegistryReader reader(*platform);
  EXPECT_EQ(reader.failure(), "Error log failed to open.");
  EXPECT_FALSE(dir.has("qil.tmp"));
}

}  // namespace
}  // namespace shgs
