#ifndef SHGS_TESTS_SUPPORT_READER_CHECKS_H_
#define SHGS_TESTS_SUPPORT_READER_CHECKS_H_

// Checks shared by the readers of the two record files (ConfigData reads
// shcfig.dat, GlobalData shglob.dat): each is made in a fresh working
// directory of its own, as the run makes them in the server's directories.

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "datafiles/record_encoding.h"
#include "platform/platform.h"
#include "support/scoped_process_state.h"
#include "support/test_support.h"

namespace shgs {
namespace testing_support {

// Bytes that differ from their neighbours and are never zero.
inline std::string patternOfSize(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) {
    bytes[i] = static_cast<char>((i * 31 + i / 256 + 7) % 255 + 1);
  }
  return bytes;
}

// The file's first 4096 bytes, zeros past its end.
inline RecordBytes recordOf(const std::string& file) {
  RecordBytes record{};
  for (std::size_t i = 0; i < record.size() && i < file.size(); ++i) {
    record[i] = static_cast<std::uint8_t>(file[i]);
  }
  return record;
}

// The reader takes the first 4096 bytes of its file, whatever the case of
// the file's name, with zeros past the end of a shorter one; it reads, and
// changes, nothing else.
template <typename Reader>
void expectReadsItsRecordFile(const std::string& fileName) {
  const std::unique_ptr<Platform> platform = makeHostPlatform();
  for (const std::size_t size : {0, 10, 151, 4095, 4096, 10000}) {
    SCOPED_TRACE("size " + std::to_string(size));
    const FreshWorkingDirectory dir;
    const std::string content = patternOfSize(size);
    std::string upperName = fileName;
    for (char& c : upperName) c = static_cast<char>(std::toupper(c));
    writeFile(dir.path(size % 2 == 0 ? fileName : upperName), content);
    const Reader reader(*platform);
    EXPECT_EQ(reader.failure(), "");
    EXPECT_EQ(reader.record().bytes(), recordOf(content));
  }
}

// The reader keeps its error log while it lives, an older log's content
// included, and removes it when it goes. It holds the message that ends the
// run when it cannot read: its log cannot be made (a directory stands in its
// place), or its record file cannot be opened (missing, or a directory).
template <typename Reader>
void expectKeepsItsLogAndReportsFailures(const std::string& fileName,
                                         const std::string& fileFailure) {
  enum class Spoilt { kNothing, kFileMissing, kFileADirectory, kLogADirectory };
  const struct {
    Spoilt spoilt;
    std::string failure;
  } cases[] = {
      {Spoilt::kNothing, ""},
      {Spoilt::kFileMissing, fileFailure},
      {Spoilt::kFileADirectory, fileFailure},
      {Spoilt::kLogADirectory, "Error log failed to open."},
  };
  const std::unique_ptr<Platform> platform = makeHostPlatform();
  for (const auto& c : cases) {
    SCOPED_TRACE("case " + std::to_string(static_cast<int>(c.spoilt)));
    const FreshWorkingDirectory dir;
    if (c.spoilt == Spoilt::kFileADirectory) {
      makeDirectories(dir.path(fileName));
    } else if (c.spoilt != Spoilt::kFileMissing) {
      writeFile(dir.path(fileName), patternOfSize(4096));
    }
    const bool logMade = c.spoilt != Spoilt::kLogADirectory;
    if (logMade) {
      writeFile(dir.path("qilerror.txt"), "older log\n");
    } else {
      makeDirectories(dir.path("qilerror.txt"));
    }
    {
      const Reader reader(*platform);
      EXPECT_EQ(reader.failure(), c.failure);
      if (logMade) {
        EXPECT_EQ(readFile(dir.path("qilerror.txt")), "older log\n");
      }
    }
    EXPECT_EQ(dir.has("qilerror.txt"), !logMade);
  }
}

}  // namespace testing_support
}  // namespace shgs

#endif  // SHGS_TESTS_SUPPORT_READER_CHECKS_H_
