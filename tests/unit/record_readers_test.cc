// ConfigData and GlobalData on real files, in a temporary directory that the
// tests make the working directory (the readers resolve their file there).

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "datafiles/config_data.h"
#include "datafiles/global_data.h"
#include "platform/platform.h"
#include "support/scoped_process_state.h"
#include "support/test_support.h"

namespace shgs {
namespace {

using testing_support::fileExists;
using testing_support::readFile;
using testing_support::ScopedWorkingDirectory;
using testing_support::TempDir;
using testing_support::writeFile;

class RecordReadersTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(inDirectory_.entered()); }

  std::string path(const std::string& name) const { return directory_ / name; }

  TempDir directory_;
  ScopedWorkingDirectory inDirectory_{directory_.path()};
};

// Bytes that differ from their neighbours and are never zero.
std::string patternOfSize(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) {
    bytes[i] = static_cast<char>((i * 31 + i / 256 + 7) % 255 + 1);
  }
  return bytes;
}

// The file's first 4096 bytes, zeros past its end.
RecordBytes recordOf(const std::string& file) {
  RecordBytes record{};
  for (std::size_t i = 0; i < record.size() && i < file.size(); ++i) {
    record[i] = static_cast<std::uint8_t>(file[i]);
  }
  return record;
}

TEST_F(RecordReadersTest, LoadTheFirst4096BytesAndZerosPastAShortFile) {
  for (std::size_t size : {0, 10, 151, 4095, 4096, 10000}) {
    SCOPED_TRACE("size " + std::to_string(size));
    const std::string content = patternOfSize(size);
    writeFile(path("shcfig.dat"), content);
    writeFile(path("shglob.dat"), content);
    EXPECT_EQ(ConfigData(hostPlatform()).record().bytes(), recordOf(content));
    EXPECT_EQ(GlobalData(hostPlatform()).record().bytes(), recordOf(content));
    EXPECT_EQ(readFile(path("shcfig.dat")), content);
  }
}

TEST_F(RecordReadersTest, ReadFlagWordsAsZeroWhenTheFileEndsBeforeThem) {
  writeFile(path("shcfig.dat"), patternOfSize(10));
  writeFile(path("shglob.dat"), patternOfSize(151));
  const ConfigData config(hostPlatform());
  EXPECT_FALSE(config.record().internalAliens());
  EXPECT_FALSE(config.record().fedsafePhotons());
  EXPECT_TRUE(config.record().stealDelay());
  EXPECT_TRUE(config.record().deathDelay());
  const GlobalData global(hostPlatform());
  EXPECT_FALSE(global.record().userAliases());
  EXPECT_FALSE(global.record().localBeeperOn());
}

TEST_F(RecordReadersTest, FindTheFileWhateverTheCaseOfItsName) {
  writeFile(path("SHCFIG.DAT"), "\x34\x12");
  writeFile(path("ShGlob.Dat"), std::string(4094, '\0') + "\x02\x06");
  // A reader that misses its file ends the process: fail gently first.
  ASSERT_TRUE(fileExists(hostPlatform().hostPath("shcfig.dat")));
  ASSERT_TRUE(fileExists(hostPlatform().hostPath("shglob.dat")));
  EXPECT_EQ(ConfigData(hostPlatform()).record().sectors(), 0x1234);
  EXPECT_EQ(GlobalData(hostPlatform()).record().versionMinor(), 6);
}

TEST_F(RecordReadersTest, KeepTheErrorLogOnlyWhileTheReaderLives) {
  writeFile(path("shcfig.dat"), patternOfSize(4096));
  writeFile(path("shglob.dat"), patternOfSize(4096));
  {
    const ConfigData config(hostPlatform());
    EXPECT_TRUE(fileExists(path("qilerror.txt")));
  }
  EXPECT_FALSE(fileExists(path("qilerror.txt")));
  writeFile(path("qilerror.txt"), "earlier entry\n");
  {
    const GlobalData global(hostPlatform());
    EXPECT_EQ(readFile(path("qilerror.txt")), "earlier entry\n");
  }
  EXPECT_FALSE(fileExists(path("qilerror.txt")));
}

// The run ends inside the reader, so its log stays behind.
TEST_F(RecordReadersTest, EndTheRunWhenTheirFileCannotBeOpened) {
  testing_support::makeDirectories(path("shglob.dat"));
  const struct {
    std::function<void()> read;
    const char* message;
  } cases[] = {
      {[] { ConfigData config(hostPlatform()); },
       "^Configuration data failed to open\\.$"},
      {[] { GlobalData global(hostPlatform()); },  // a directory of its name
       "^Global data failed to open\\.$"},
  };
  for (const auto& c : cases) {
    EXPECT_EXIT(c.read(), ::testing::ExitedWithCode(1), c.message);
    EXPECT_TRUE(fileExists(path("qilerror.txt")));
  }
}

}  // namespace
}  // namespace shgs
