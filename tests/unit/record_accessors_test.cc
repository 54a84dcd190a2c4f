// The accessors of both records against the record tables of the sample
// generator: records are built field by field by name, so a wrong offset,
// width, byte order or mask in an accessor shows as a wrong value.

#include <gtest/gtest.h>

#include <map>
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

// Every accessor by its name; flags read as 0 or 1.
template <typename Record>
using Accessors = std::map<std::string, std::int64_t (*)(const Record&)>;

// clang-format off
#define CONFIG(name) \
  {#name, [](const ConfigRecord& r) -> std::int64_t { return r.name(); }}
#define GLOBAL(name) \
  {#name, [](const GlobalRecord& r) -> std::int64_t { return r.name(); }}

const Accessors<ConfigRecord> kConfigAccessors = {
    CONFIG(sectors), CONFIG(maxUsers), CONFIG(maxShips), CONFIG(maxPorts),
    CONFIG(maxPlanets), CONFIG(maxCourseLength), CONFIG(turnsPerDay),
    CONFIG(startingFighters), CONFIG(startingCredits), CONFIG(startingHolds),
    CONFIG(ferrengiRegenRate), CONFIG(terraRegenRate), CONFIG(planetsPerSector),
    CONFIG(corpSize), CONFIG(timeLimitPerDay), CONFIG(ferrengiMoveChance),
    CONFIG(alienMoveChance), CONFIG(squatters), CONFIG(photonDuration),
    CONFIG(cloakFailureRate), CONFIG(navHazClearRate), CONFIG(tournamentMode),
    CONFIG(daysToEnter), CONFIG(maxDeaths), CONFIG(planetaryNego),
    CONFIG(portRegen), CONFIG(bustClearInterval), CONFIG(class0BlownCount),
    CONFIG(gameStartDay), CONFIG(externLastRunDay), CONFIG(lastBustClearDay),
    CONFIG(bubbleCount), CONFIG(minBubbleLinks), CONFIG(maxBubbleSize),
    CONFIG(minBubbleSize), CONFIG(builtPortDensity), CONFIG(oneWayWarpDensity),
    CONFIG(twoWayWarpDensity), CONFIG(maxProduct), CONFIG(bigBangDay),
    CONFIG(radiationDuration), CONFIG(planetTransportUpgradeCost),
    CONFIG(planetTransportCost), CONFIG(limpetRemovalCost),
    CONFIG(shipReregistryCost), CONFIG(genesisTorpedoCost),
    CONFIG(armidMineCost), CONFIG(limpetMineCost), CONFIG(beaconCost),
    CONFIG(twarp1DriveCost), CONFIG(twarp2DriveCost),
    CONFIG(twarpUpgradeBaseCost), CONFIG(psychicProbeCost),
    CONFIG(planetScannerCost), CONFIG(atomicDetonatorCost),
    CONFIG(corbomiteCost), CONFIG(etherProbeCost), CONFIG(photonCost),
    CONFIG(cloakCost), CONFIG(mineDisruptorCost), CONFIG(holoScannerCost),
    CONFIG(densityScannerCost), CONFIG(terraMaxColonists), CONFIG(portRegenMax),
    CONFIG(maxBubbleLinks), CONFIG(minTunnelDepth), CONFIG(maxTunnelDepth),
    CONFIG(timePenalty), CONFIG(internalAliens), CONFIG(goldMode),
    CONFIG(internalFerrengi), CONFIG(closedGame), CONFIG(stealFromBuy),
    CONFIG(multiPhotons), CONFIG(newPlayerPlanets), CONFIG(invincibleFerrengal),
    CONFIG(mbbsMode), CONFIG(stealDelay), CONFIG(deathDelay),
    CONFIG(fedsafePhotons)};

const Accessors<GlobalRecord> kGlobalAccessors = {
    GLOBAL(daysUntilDeletion), GLOBAL(dailyLogLength), GLOBAL(commandLimit),
    GLOBAL(shipDelayCode), GLOBAL(probeMovementDelay),
    GLOBAL(commandLimitPeriod), GLOBAL(ackInterval), GLOBAL(inactivityTimeout),
    GLOBAL(versionRevision), GLOBAL(versionMajor), GLOBAL(versionMinor),
    GLOBAL(userAliases), GLOBAL(localDisplayOn), GLOBAL(aliensSleep),
    GLOBAL(localBeeperOn)};
// clang-format on

#undef CONFIG
#undef GLOBAL

// Fields read through a derived accessor carry the stored name ("...Raw").
bool isPlainNumber(const RecordField& field) {
  const std::string name = field.name;
  return field.type != FieldType::kFlag && field.type != FieldType::kText &&
         name.compare(name.size() - 3, 3, "Raw") != 0;
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
template <typename Record>
void expectEveryFieldAtItsOffset(RecordKind kind,
                                 const Accessors<Record>& accessors) {
  RecordBuilder builder(kind);
  for (std::size_t offset = 0; offset < kRecordSize; ++offset) {
    builder.setByte(offset, 0xA5);
  }
  std::size_t checked = 0;
  for (const RecordField& field : sample::recordFields(kind)) {
    if (!isPlainNumber(field)) continue;
    ASSERT_TRUE(builder.set(field.name, distinctValue(field))) << field.name;
  }
  const Record record(builder.bytes());
  for (const RecordField& field : sample::recordFields(kind)) {
    if (!isPlainNumber(field)) continue;
    ASSERT_EQ(accessors.count(field.name), 1u) << field.name;
    EXPECT_EQ(accessors.at(field.name)(record), distinctValue(field))
        << field.name;
    ++checked;
  }
  EXPECT_GT(checked, 0u);
}

// Each flag raised alone turns its own accessor (true, or false for the two
// inverted delays) and no other.
template <typename Record>
void expectEachFlagOnItsOwnBit(RecordKind kind,
                               const Accessors<Record>& accessors) {
  for (const RecordField& raised : sample::recordFields(kind)) {
    if (raised.type != FieldType::kFlag) continue;
    SCOPED_TRACE(raised.name);
    RecordBuilder builder(kind);
    ASSERT_TRUE(builder.set(raised.name, raised.inverted ? 0 : 1));
    EXPECT_EQ(builder.bytes()[raised.offset], raised.mask);
    const Record record(builder.bytes());
    for (const RecordField& flag : sample::recordFields(kind)) {
      if (flag.type != FieldType::kFlag) continue;
      ASSERT_EQ(accessors.count(flag.name), 1u) << flag.name;
      EXPECT_EQ(accessors.at(flag.name)(record) != 0,
                flag.inverted != (std::string(flag.name) == raised.name))
          << flag.name;
    }
  }
}

TEST(ConfigRecord, ReadsEachFieldAndFlagWhereTheTableSays) {
  expectEveryFieldAtItsOffset(RecordKind::kConfig, kConfigAccessors);
  expectEachFlagOnItsOwnBit(RecordKind::kConfig, kConfigAccessors);
}

TEST(GlobalRecord, ReadsEachFieldAndFlagWhereTheTableSays) {
  expectEveryFieldAtItsOffset(RecordKind::kGlobal, kGlobalAccessors);
  expectEachFlagOnItsOwnBit(RecordKind::kGlobal, kGlobalAccessors);
}

template <typename Record>
void expectFlagsAtRest(RecordKind kind, const RecordBuilder& builder,
                       const Accessors<Record>& accessors) {
  const Record record(builder.bytes());
  for (const RecordField& flag : sample::recordFields(kind)) {
    if (flag.type != FieldType::kFlag) continue;
    EXPECT_EQ(accessors.at(flag.name)(record), flag.inverted ? 1 : 0)
        << flag.name;
  }
}

// The bits that mean nothing, and the bytes around the flags, all set.
TEST(Records, IgnoreTheUninterpretedBitsAroundTheFlags) {
  RecordBuilder config(RecordKind::kConfig);
  for (std::size_t offset : {9, 12, 13, 14}) config.setByte(offset, 0xFF);
  config.setByte(10, 0x21);  // bits 0 and 5
  config.setByte(11, 0x48);  // bits 3 and 6
  expectFlagsAtRest(RecordKind::kConfig, config, kConfigAccessors);
  RecordBuilder global(RecordKind::kGlobal);
  for (std::size_t offset : {150, 152, 153, 154}) global.setByte(offset, 0xFF);
  global.setByte(151, 0xE8);  // bits 3, 5, 6 and 7
  expectFlagsAtRest(RecordKind::kGlobal, global, kGlobalAccessors);
  // The two delays are stored as their negation.
  config.setByte(11, 0x30);
  EXPECT_FALSE(ConfigRecord(config.bytes()).stealDelay());
  EXPECT_FALSE(ConfigRecord(config.bytes()).deathDelay());
}

TEST(Records, DeriveTheirShownValuesFromTheStoredOnes) {
  const struct {
    const char* stored;
    std::int64_t value;
    std::int32_t (ConfigRecord::*derived)() const;
    std::int32_t expected;
  } cases[] = {
      {"stealFactorRaw", 2, &ConfigRecord::stealFactor, 0},
      {"stealFactorRaw", 31, &ConfigRecord::stealFactor, 100},
      {"robFactorRaw", 255, &ConfigRecord::robFactor, 850},
      {"fighterLockDecayRaw", 1441, &ConfigRecord::fighterLockDecay, -1},
      {"fighterLockDecayRaw", 65535, &ConfigRecord::fighterLockDecay, -64095},
      {"turnBankRaw", 0x1234, &ConfigRecord::turnBank, 0x1235},
      {"turnBankRaw", 65535, &ConfigRecord::turnBank, 65536},
  };
  for (const auto& c : cases) {
    RecordBuilder builder(RecordKind::kConfig);
    ASSERT_TRUE(builder.set(c.stored, c.value)) << c.stored;
    EXPECT_EQ((ConfigRecord(builder.bytes()).*c.derived)(), c.expected)
        << c.stored << " = " << c.value;
  }
  // 0 stands for unlimited; any other size is stored less one.
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

}  // namespace
}  // namespace shgs
