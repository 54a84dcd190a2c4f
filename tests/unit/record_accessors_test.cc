// The accessors of both records against the record tables of the sample
// generator: records are built field by field by name, so a wrong offset,
// width or byte order in an accessor shows as a wrong value.

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "datafiles/config_data.h"
#include "datafiles/global_data.h"
#include "record_builder.h"

namespace shgs {
namespace {

using sample::FieldType;
using sample::RecordBuilder;
using sample::RecordField;
using sample::RecordKind;

#define ACCESSOR(Record, name)                                      \
  {                                                                 \
#name, [](const Record& r) -> std::int64_t { return r.name(); } \
  }
#define FLAG(Record, name)                          \
  {                                                 \
#name, [](const Record& r) { return r.name(); } \
  }

template <typename Record>
using Accessors = std::map<std::string, std::int64_t (*)(const Record&)>;
template <typename Record>
using Flags = std::map<std::string, bool (*)(const Record&)>;

const Accessors<ConfigRecord> kConfigAccessors = {
    ACCESSOR(ConfigRecord, sectors),
    ACCESSOR(ConfigRecord, maxUsers),
    ACCESSOR(ConfigRecord, maxShips),
    ACCESSOR(ConfigRecord, maxPorts),
    ACCESSOR(ConfigRecord, maxPlanets),
    ACCESSOR(ConfigRecord, maxCourseLength),
    ACCESSOR(ConfigRecord, turnsPerDay),
    ACCESSOR(ConfigRecord, startingFighters),
    ACCESSOR(ConfigRecord, startingCredits),
    ACCESSOR(ConfigRecord, startingHolds),
    ACCESSOR(ConfigRecord, ferrengiRegenRate),
    ACCESSOR(ConfigRecord, terraRegenRate),
    ACCESSOR(ConfigRecord, planetsPerSector),
    ACCESSOR(ConfigRecord, corpSize),
    ACCESSOR(ConfigRecord, timeLimitPerDay),
    ACCESSOR(ConfigRecord, ferrengiMoveChance),
    ACCESSOR(ConfigRecord, alienMoveChance),
    ACCESSOR(ConfigRecord, squatters),
    ACCESSOR(ConfigRecord, photonDuration),
    ACCESSOR(ConfigRecord, cloakFailureRate),
    ACCESSOR(ConfigRecord, navHazClearRate),
    ACCESSOR(ConfigRecord, tournamentMode),
    ACCESSOR(ConfigRecord, daysToEnter),
    ACCESSOR(ConfigRecord, maxDeaths),
    ACCESSOR(ConfigRecord, planetaryNego),
    ACCESSOR(ConfigRecord, portRegen),
    ACCESSOR(ConfigRecord, bustClearInterval),
    ACCESSOR(ConfigRecord, class0BlownCount),
    ACCESSOR(ConfigRecord, gameStartDay),
    ACCESSOR(ConfigRecord, externLastRunDay),
    ACCESSOR(ConfigRecord, lastBustClearDay),
    ACCESSOR(ConfigRecord, bubbleCount),
    ACCESSOR(ConfigRecord, minBubbleLinks),
    ACCESSOR(ConfigRecord, maxBubbleSize),
    ACCESSOR(ConfigRecord, minBubbleSize),
    ACCESSOR(ConfigRecord, builtPortDensity),
    ACCESSOR(ConfigRecord, oneWayWarpDensity),
    ACCESSOR(ConfigRecord, twoWayWarpDensity),
    ACCESSOR(ConfigRecord, maxProduct),
    ACCESSOR(ConfigRecord, bigBangDay),
    ACCESSOR(ConfigRecord, radiationDuration),
    ACCESSOR(ConfigRecord, planetTransportUpgradeCost),
    ACCESSOR(ConfigRecord, planetTransportCost),
    ACCESSOR(ConfigRecord, limpetRemovalCost),
    ACCESSOR(ConfigRecord, shipReregistryCost),
    ACCESSOR(ConfigRecord, genesisTorpedoCost),
    ACCESSOR(ConfigRecord, armidMineCost),
    ACCESSOR(ConfigRecord, limpetMineCost),
    ACCESSOR(ConfigRecord, beaconCost),
    ACCESSOR(ConfigRecord, twarp1DriveCost),
    ACCESSOR(ConfigRecord, twarp2DriveCost),
    ACCESSOR(ConfigRecord, twarpUpgradeBaseCost),
    ACCESSOR(ConfigRecord, psychicProbeCost),
    ACCESSOR(ConfigRecord, planetScannerCost),
    ACCESSOR(ConfigRecord, atomicDetonatorCost),
    ACCESSOR(ConfigRecord, corbomiteCost),
    ACCESSOR(ConfigRecord, etherProbeCost),
    ACCESSOR(ConfigRecord, photonCost),
    ACCESSOR(ConfigRecord, cloakCost),
    ACCESSOR(ConfigRecord, mineDisruptorCost),
    ACCESSOR(ConfigRecord, holoScannerCost),
    ACCESSOR(ConfigRecord, densityScannerCost),
    ACCESSOR(ConfigRecord, terraMaxColonists),
    ACCESSOR(ConfigRecord, portRegenMax),
    ACCESSOR(ConfigRecord, maxBubbleLinks),
    ACCESSOR(ConfigRecord, minTunnelDepth),
    ACCESSOR(ConfigRecord, maxTunnelDepth),
    ACCESSOR(ConfigRecord, timePenalty),
};

const Flags<ConfigRecord> kConfigFlags = {
    FLAG(ConfigRecord, internalAliens),
    FLAG(ConfigRecord, goldMode),
    FLAG(ConfigRecord, internalFerrengi),
    FLAG(ConfigRecord, closedGame),
    FLAG(ConfigRecord, stealFromBuy),
    FLAG(ConfigRecord, multiPhotons),
    FLAG(ConfigRecord, newPlayerPlanets),
    FLAG(ConfigRecord, invincibleFerrengal),
    FLAG(ConfigRecord, mbbsMode),
    FLAG(ConfigRecord, stealDelay),
    FLAG(ConfigRecord, deathDelay),
    FLAG(ConfigRecord, fedsafePhotons),
};

const Accessors<GlobalRecord> kGlobalAccessors = {
    ACCESSOR(GlobalRecord, daysUntilDeletion),
    ACCESSOR(GlobalRecord, dailyLogLength),
    ACCESSOR(GlobalRecord, commandLimit),
    ACCESSOR(GlobalRecord, shipDelayCode),
    ACCESSOR(GlobalRecord, probeMovementDelay),
    ACCESSOR(GlobalRecord, commandLimitPeriod),
    ACCESSOR(GlobalRecord, ackInterval),
    ACCESSOR(GlobalRecord, inactivityTimeout),
    ACCESSOR(GlobalRecord, versionRevision),
    ACCESSOR(GlobalRecord, versionMajor),
    ACCESSOR(GlobalRecord, versionMinor),
};

const Flags<GlobalRecord> kGlobalFlags = {
    FLAG(GlobalRecord, userAliases),
    FLAG(GlobalRecord, localDisplayOn),
    FLAG(GlobalRecord, aliensSleep),
    FLAG(GlobalRecord, localBeeperOn),
};

bool hasDerivedAccessor(const RecordField& field) {
  const std::string name = field.name;
  return name.size() > 3 && name.compare(name.size() - 3, 3, "Raw") == 0;
}

// A value whose bytes differ from each other, from the neighbours' and from
// the filler, so that a shifted, narrowed, widened or byte-swapped read
// gives something else.
std::int64_t distinctValue(const RecordField& field) {
  if (field.type == FieldType::kReal48) return -123456789;
  std::int64_t value = 0;
  for (std::size_t i = 0; i < field.size; ++i) {
    const std::int64_t byte = (field.offset * 5 + i * 67 + 0x21) & 0xFF;
    value |= (byte == 0 ? 1 : byte) << (8 * i);
  }
  return value;
}

// Every byte 0xA5, then every number field at its distinct value.
RecordBuilder recordOfDistinctValues(RecordKind kind) {
  RecordBuilder builder(kind);
  for (std::size_t offset = 0; offset < sample::kSampleRecordSize; ++offset) {
    builder.setByte(offset, 0xA5);
  }
  for (const RecordField& field : sample::recordFields(kind)) {
    if (field.type == FieldType::kFlag || field.type == FieldType::kText)
      continue;
    EXPECT_TRUE(builder.set(field.name, distinctValue(field))) << field.name;
  }
  return builder;
}

template <typename Record>
void expectEveryFieldAtItsOffset(RecordKind kind,
                                 const Accessors<Record>& accessors) {
  const Record record(recordOfDistinctValues(kind).bytes());
  std::set<std::string> checked;
  for (const RecordField& field : sample::recordFields(kind)) {
    if (field.type == FieldType::kFlag || field.type == FieldType::kText ||
        hasDerivedAccessor(field)) {
      continue;
    }
    const auto accessor = accessors.find(field.name);
    ASSERT_NE(accessor, accessors.end()) << "no accessor for " << field.name;
    EXPECT_EQ(accessor->second(record), distinctValue(field)) << field.name;
    checked.insert(field.name);
  }
  EXPECT_EQ(checked.size(), accessors.size()) << "accessors not in the table";
}

TEST(ConfigRecord, ReadsEachFieldAtItsOffsetWidthAndByteOrder) {
  expectEveryFieldAtItsOffset(RecordKind::kConfig, kConfigAccessors);
}

TEST(GlobalRecord, ReadsEachFieldAtItsOffsetWidthAndByteOrder) {
  expectEveryFieldAtItsOffset(RecordKind::kGlobal, kGlobalAccessors);
}

template <typename Record>
void expectFlags(const RecordBuilder& builder, const Flags<Record>& flags,
                 RecordKind kind, const std::string& raised) {
  const Record record(builder.bytes());
  for (const RecordField& field : sample::recordFields(kind)) {
    if (field.type != FieldType::kFlag) continue;
    const auto flag = flags.find(field.name);
    ASSERT_NE(flag, flags.end()) << "no accessor for " << field.name;
    const bool expected = field.inverted != (field.name == raised);
    EXPECT_EQ(flag->second(record), expected)
        << field.name << " with " << (raised.empty() ? "none" : raised)
        << " raised";
  }
}

// Each flag alone is raised (its accessor turned from its value on an
// all-zero record), and no other flag may follow it.
template <typename Record>
void expectEachFlagOnItsOwnBit(RecordKind kind, const Flags<Record>& flags) {
  std::size_t flagCount = 0;
  for (const RecordField& field : sample::recordFields(kind)) {
    if (field.type != FieldType::kFlag) continue;
    ++flagCount;
    RecordBuilder builder(kind);
    ASSERT_TRUE(builder.set(field.name, field.inverted ? 0 : 1));
    EXPECT_EQ(builder.bytes()[field.offset], field.mask) << field.name;
    expectFlags(builder, flags, kind, field.name);
  }
  EXPECT_EQ(flagCount, flags.size());
}

TEST(ConfigRecord, ReadsEachFlagFromItsOwnBit) {
  expectEachFlagOnItsOwnBit(RecordKind::kConfig, kConfigFlags);
}

TEST(GlobalRecord, ReadsEachFlagFromItsOwnBit) {
  expectEachFlagOnItsOwnBit(RecordKind::kGlobal, kGlobalFlags);
}

TEST(ConfigRecord, IgnoresTheUninterpretedBitsAndNeighbouringBytes) {
  RecordBuilder builder(RecordKind::kConfig);
  for (std::size_t offset : {9, 12, 13, 14}) builder.setByte(offset, 0xFF);
  builder.setByte(10, 0x21);  // bits 0 and 5
  builder.setByte(11, 0x48);  // bits 3 and 6
  expectFlags(builder, kConfigFlags, RecordKind::kConfig, "");
}

TEST(GlobalRecord, IgnoresTheUninterpretedBitsAndNeighbouringBytes) {
  RecordBuilder builder(RecordKind::kGlobal);
  for (std::size_t offset : {150, 152, 153, 154}) builder.setByte(offset, 0xFF);
  builder.setByte(151, 0xE8);  // bits 3, 5, 6 and 7
  expectFlags(builder, kGlobalFlags, RecordKind::kGlobal, "");
}

TEST(ConfigRecord, ReadsTheInvertedDelaysAsSetWhenTheirBitsAreClear) {
  RecordBuilder builder(RecordKind::kConfig);
  builder.setByte(10, 0xFF);
  builder.setByte(11, 0xFF);
  const ConfigRecord allSet(builder.bytes());
  EXPECT_FALSE(allSet.stealDelay());
  EXPECT_FALSE(allSet.deathDelay());
  EXPECT_TRUE(allSet.fedsafePhotons());
  const ConfigRecord allClear;
  EXPECT_TRUE(allClear.stealDelay());
  EXPECT_TRUE(allClear.deathDelay());
  EXPECT_FALSE(allClear.fedsafePhotons());
}

ConfigRecord configWith(const std::string& name, std::int64_t value) {
  RecordBuilder builder(RecordKind::kConfig);
  EXPECT_TRUE(builder.set(name, value)) << name;
  return ConfigRecord(builder.bytes());
}

TEST(ConfigRecord, DerivesFactorsDecayAndTurnBankFromTheStoredValues) {
  const struct {
    const char* stored;
    std::int64_t value;
    std::int32_t (ConfigRecord::*derived)() const;
    std::int32_t expected;
  } cases[] = {
      {"stealFactorRaw", 0, &ConfigRecord::stealFactor, 0},
      {"stealFactorRaw", 2, &ConfigRecord::stealFactor, 0},
      {"stealFactorRaw", 3, &ConfigRecord::stealFactor, 10},
      {"stealFactorRaw", 31, &ConfigRecord::stealFactor, 100},
      {"stealFactorRaw", 255, &ConfigRecord::stealFactor, 850},
      {"robFactorRaw", 1, &ConfigRecord::robFactor, 0},
      {"robFactorRaw", 3, &ConfigRecord::robFactor, 10},
      {"robFactorRaw", 255, &ConfigRecord::robFactor, 850},
      {"fighterLockDecayRaw", 0, &ConfigRecord::fighterLockDecay, 1440},
      {"fighterLockDecayRaw", 1440, &ConfigRecord::fighterLockDecay, 0},
      {"fighterLockDecayRaw", 1441, &ConfigRecord::fighterLockDecay, -1},
      {"fighterLockDecayRaw", 65535, &ConfigRecord::fighterLockDecay, -64095},
      {"turnBankRaw", 0, &ConfigRecord::turnBank, 1},
      {"turnBankRaw", 0x1234, &ConfigRecord::turnBank, 0x1235},
      {"turnBankRaw", 65535, &ConfigRecord::turnBank, 65536},
  };
  for (const auto& c : cases) {
    EXPECT_EQ((configWith(c.stored, c.value).*c.derived)(), c.expected)
        << c.stored << " = " << c.value;
  }
}

TEST(GlobalRecord, ReadsOutputSegmentSizeAsStoredPlusOneExceptZero) {
  const struct {
    std::int64_t stored;
    std::uint16_t expected;
  } cases[] = {{0, 0}, {1, 2}, {127, 128}, {255, 256}};
  for (const auto& c : cases) {
    RecordBuilder builder(RecordKind::kGlobal);
    ASSERT_TRUE(builder.set("outputSegmentSizeRaw", c.stored));
    EXPECT_EQ(GlobalRecord(builder.bytes()).outputSegmentSize(), c.expected)
        << "stored " << c.stored;
  }
}

TEST(GlobalRecord, ReadsBothNamesFromTheirLengthPrefixedFields) {
  RecordBuilder builder = recordOfDistinctValues(RecordKind::kGlobal);
  const std::string longest(60, 'S');
  ASSERT_TRUE(builder.setText("serverName", longest));
  ASSERT_TRUE(builder.setText("runningName", "Starhaul Deluxe Game Server"));
  const GlobalRecord record(builder.bytes());
  EXPECT_EQ(record.serverName(), longest);
  EXPECT_EQ(record.runningName(), "Starhaul Deluxe Game Server");
}

}  // namespace
}  // namespace shgs
