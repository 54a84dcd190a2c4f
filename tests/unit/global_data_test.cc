// The global record's accessors, and its reader on real files.

#include "datafiles/global_data.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>

#include "support/reader_checks.h"
#include "support/record_checks.h"

namespace shgs {
namespace {

using testing_support::Accessors;
using testing_support::RecordBuilder;
using testing_support::RecordKind;

// clang-format off
#define GLOBAL(name) \
  {#name, [](const GlobalRecord& r) -> std::int64_t { return r.name(); }}

const Accessors<GlobalRecord> kGlobalAccessors = {
    GLOBAL(daysUntilDeletion), GLOBAL(dailyLogLength), GLOBAL(commandLimit),
    GLOBAL(shipDelayCode), GLOBAL(probeMovementDelay),
    GLOBAL(commandLimitPeriod), GLOBAL(ackInterval), GLOBAL(inactivityTimeout),
    GLOBAL(versionRevision), GLOBAL(versionMajor), GLOBAL(versionMinor),
    GLOBAL(userAliases), GLOBAL(localDisplayOn), GLOBAL(aliensSleep),
    GLOBAL(localBeeperOn)};
// clang-format on

#undef GLOBAL

TEST(GlobalRecord, ReadsEachFieldAndFlagWhereTheTableSays) {
  testing_support::expectEveryFieldAtItsOffset(RecordKind::kGlobal,
                                               kGlobalAccessors);
  testing_support::expectEachFlagOnItsOwnBit(RecordKind::kGlobal,
                                             kGlobalAccessors);
}

// The bits that mean nothing, and the bytes around the flags, all set.
TEST(GlobalRecord, IgnoresTheUninterpretedBitsAroundTheFlags) {
  RecordBuilder global(RecordKind::kGlobal);
  for (std::size_t offset : {150, 152, 153, 154}) global.setByte(offset, 0xFF);
  global.setByte(151, 0xE8);  // bits 3, 5, 6 and 7
  testing_support::expectFlagsAtRest(RecordKind::kGlobal, global,
                                     kGlobalAccessors);
}

// 0 stands for unlimited; any other size is stored less one.
TEST(GlobalRecord, StoresTheOutputSegmentSizeLessOne) {
  for (const auto& [stored, size] : {std::pair{0, 0}, {1, 2}, {255, 256}}) {
    RecordBuilder builder(RecordKind::kGlobal);
    ASSERT_TRUE(builder.set("outputSegmentSizeRaw", stored));
    EXPECT_EQ(GlobalRecord(builder.bytes()).outputSegmentSize(), size)
        << stored;
  }
}

TEST(GlobalRecord, ReadsBothNamesFromTheirLengthPrefixedFields) {
  RecordBuilder builder(RecordKind::kGlobal);
  ASSERT_TRUE(builder.setText("serverName", std::string(60, 'S')));
  ASSERT_TRUE(builder.setText("runningName", "Starhaul Deluxe Game Server"));
  const GlobalRecord record(builder.bytes());
  EXPECT_EQ(record.serverName(), std::string(60, 'S'));
  EXPECT_EQ(record.runningName(), "Starhaul Deluxe Game Server");
}

TEST(GlobalData, ReadsTheFirst4096BytesOfItsFile) {
  testing_support::expectReadsItsRecordFile<GlobalData>("shglob.dat");
}

TEST(GlobalData, KeepsItsLogWhileItLivesAndReportsWhatItCannotRead) {
  testing_support::expectKeepsItsLogAndReportsFailures<GlobalData>(
      "shglob.dat", "Global data failed to open.");
}

}  // namespace
}  // namespace shgs
