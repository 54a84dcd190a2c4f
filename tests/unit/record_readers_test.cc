// ConfigData and GlobalData on real files, in a temporary directory that the
// tests make the working directory (the readers resolve their file there).

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "datafiles/config_data.h"
#include "datafiles/global_data.h"
#include "platform/platform.h"
#include "support/test_support.h"

namespace shgs {
namespace {

using testing_support::fileExists;
using testing_support::readFile;
using testing_support::TempDir;
using testing_support::writeFile;

class RecordReadersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char buffer[4096];
    ASSERT_NE(getcwd(buffer, sizeof buffer), nullptr);
    savedDirectory_ = buffer;
    ASSERT_EQ(chdir(directory_.path().c_str()), 0);
  }
  void TearDown() override { ASSERT_EQ(chdir(savedDirectory_.c_str()), 0); }

  std::string path(const std::string& name) const { return directory_ / name; }

 private:
  TempDir directory_;
  std::string savedDirectory_;
};

// Bytes that differ from their neighbours and are never zero.
std::string patternOfSize(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) {
    bytes[i] = static_cast<char>((i * 31 + i / 256 + 7) % 255 + 1);
  }
  return bytes;
}

void expectRecordIsFileStart(const RecordBytes& record,
                             const std::string& file) {
  for (std::size_t i = 0; i < record.size(); ++i) {
    const std::uint8_t expected =
        i < file.size() ? static_cast<std::uint8_t>(file[i]) : 0;
    ASSERT_EQ(record[i], expected)
        << "byte " << i << " of a file of " << file.size() << " bytes";
  }
}

TEST_F(RecordReadersTest, LoadTheFirst4096BytesAndZerosPastAShortFile) {
  for (std::size_t size : {0, 10, 151, 4095, 4096, 10000}) {
    SCOPED_TRACE("size " + std::to_string(size));
    const std::string content = patternOfSize(size);
    writeFile(path("shcfig.dat"), content);
    writeFile(path("shglob.dat"), content);
    const ConfigData config(hostPlatform());
    expectRecordIsFileStart(config.record().bytes(), content);
    const GlobalData global(hostPlatform());
    expectRecordIsFileStart(global.record().bytes(), content);
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
  const GlobalData global(hostPlatform());
  EXPECT_EQ(global.record().versionMajor(), 2);
  EXPECT_EQ(global.record().versionMinor(), 6);
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

TEST_F(RecordReadersTest, LeaveTheDataFilesAsTheyWere) {
  const std::string content = patternOfSize(5000);
  writeFile(path("shcfig.dat"), content);
  { const ConfigData config(hostPlatform()); }
  EXPECT_EQ(readFile(path("shcfig.dat")), content);
}

TEST_F(RecordReadersTest, EndTheRunWhenTheConfigurationCannotBeOpened) {
  EXPECT_EXIT(ConfigData config(hostPlatform()), ::testing::ExitedWithCode(1),
              "^Configuration data failed to open\\.$");
  // The run ended inside the reader, so its log stays behind.
  EXPECT_TRUE(fileExists(path("qilerror.txt")));
}

TEST_F(RecordReadersTest, EndTheRunWhenTheGlobalDataCannotBeOpened) {
  EXPECT_EXIT(GlobalData global(hostPlatform()), ::testing::ExitedWithCode(1),
              "^Global data failed to open\\.$");
}

TEST_F(RecordReadersTest, TreatADirectoryOfTheFilesNameAsUnopenable) {
  testing_support::makeDirectories(path("shcfig.dat"));
  EXPECT_EXIT(ConfigData config(hostPlatform()), ::testing::ExitedWithCode(1),
              "^Configuration data failed to open\\.$");
}

}  // namespace
}  // namespace shgs
