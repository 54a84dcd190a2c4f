// The configuration record's accessors, and its reader on real files.

#include "datafiles/config_data.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "support/reader_checks.h"
#include "support/record_checks.h"

namespace shgs {
namespace {

using testing_support::Accessors;
using testing_support::RecordBuilder;
using testing_support::RecordKind;

// clang-format off
#define CONFIG(name) \
  {#name, [](const ConfigRecord& r) -> std::int64_t { return r.name(); }}

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

// clang-format on

#undef CONFIG

TEST(ConfigRecord, ReadsEachFieldAndFlagWhereTheTableSays) {
  testing_support::expectEveryFieldAtItsOffset(RecordKind::kConfig,
                                               kConfigAccessors);
  testing_support::expectEachFlagOnItsOwnBit(RecordKind::kConfig,
                                             kConfigAccessors);
}

// The bits that mean nothing, and the bytes around the flags, all set.
TEST(ConfigRecord, IgnoresTheUninterpretedBitsAroundTheFlags) {
  RecordBuilder config(RecordKind::kConfig);
  for (std::size_t offset : {9, 12, 13, 14}) config.setByte(offset, 0xFF);
  config.setByte(10, 0x21);  // bits 0 and 5
  config.setByte(11, 0x48);  // bits 3 and 6
  testing_support::expectFlagsAtRest(RecordKind::kConfig, config,
                                     kConfigAccessors);
  // The two delays are stored as their negation.
  config.setByte(11, 0x30);
  EXPECT_FALSE(ConfigRecord(config.bytes()).stealDelay());
  EXPECT_FALSE(ConfigRecord(config.bytes()).deathDelay());
}

TEST(ConfigRecord, DerivesItsShownValuesFromTheStoredOnes) {
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
}

TEST(ConfigData, ReadsTheFirst4096BytesOfItsFile) {
  testing_support::expectReadsItsRecordFile<ConfigData>("shcfig.dat");
}

TEST(ConfigData, KeepsItsLogWhileItLivesAndReportsWhatItCannotRead) {
  testing_support::expectKeepsItsLogAndReportsFailures<ConfigData>(
      "shcfig.dat", "Configuration data failed to open.");
}

}  // namespace
}  // namespace shgs
