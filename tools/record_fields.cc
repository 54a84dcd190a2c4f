#include "record_fields.h"

#include <cstring>

namespace shgs {
namespace sample {
namespace {

using T = FieldType;

constexpr RecordField u8(const char* name, std::size_t offset) {
  return {name, T::kU8, offset, 1, 0, false};
}
constexpr RecordField u16(const char* name, std::size_t offset) {
  return {name, T::kU16, offset, 2, 0, false};
}
constexpr RecordField u32(const char* name, std::size_t offset) {
  return {name, T::kU32, offset, 4, 0, false};
}
constexpr RecordField day(const char* name, std::size_t offset) {
  return {name, T::kDay, offset, 2, 0, false};
}
constexpr RecordField flag(const char* name, std::size_t offset,
                           std::uint8_t mask, bool inverted = false) {
  return {name, T::kFlag, offset, 1, mask, inverted};
}

// The configuration record, shcfig.dat.
const std::vector<RecordField> kConfigFields = {
    u16("sectors", 0),
    u16("maxUsers", 2),
    u16("maxShips", 4),
    u16("maxPorts", 6),
    u16("maxPlanets", 8),
    u8("maxCourseLength", 14),
    u16("turnsPerDay", 15),
    u16("startingFighters", 17),
    {"startingCredits", T::kReal48, 19, 6, 0, false},
    u8("startingHolds", 25),
    u8("ferrengiRegenRate", 26),
    u16("terraRegenRate", 27),
    u8("planetsPerSector", 29),
    u8("corpSize", 30),
    u16("timeLimitPerDay", 31),
    u8("ferrengiMoveChance", 33),
    u8("alienMoveChance", 34),
    u8("squatters", 96),
    u16("photonDuration", 97),
    u16("cloakFailureRate", 99),
    u16("navHazClearRate", 101),
    u8("tournamentMode", 103),
    u16("daysToEnter", 105),
    u16("maxDeaths", 107),
    u8("planetaryNego", 109),
    u8("portRegen", 110),
    u8("bustClearInterval", 111),
    u16("class0BlownCount", 158),
    day("gameStartDay", 160),
    day("externLastRunDay", 162),
    day("lastBustClearDay", 164),
    u16("bubbleCount", 166),
    u8("minBubbleLinks", 168),
    u16("maxBubbleSize", 169),
    u16("minBubbleSize", 171),
    u8("builtPortDensity", 174),
    u16("oneWayWarpDensity", 175),
    u16("twoWayWarpDensity", 177),
    u8("stealFactorRaw", 187),
    u8("robFactorRaw", 188),
    u16("maxProduct", 189),
    day("bigBangDay", 191),
    u8("radiationDuration", 193),
    u32("planetTransportUpgradeCost", 194),
    u32("planetTransportCost", 198),
    u16("limpetRemovalCost", 204),
    u16("shipReregistryCost", 206),
    u32("genesisTorpedoCost", 208),
    u16("armidMineCost", 212),
    u16("limpetMineCost", 214),
    u16("beaconCost", 216),
    u32("twarp1DriveCost", 218),
    u32("twarp2DriveCost", 222),
    u16("twarpUpgradeBaseCost", 226),
    u16("psychicProbeCost", 228),
    u32("planetScannerCost", 230),
    u16("atomicDetonatorCost", 234),
    u16("corbomiteCost", 236),
    u16("etherProbeCost", 238),
    u32("photonCost", 240),
    u16("cloakCost", 244),
    u32("mineDisruptorCost", 246),
    u32("holoScannerCost", 250),
    u16("densityScannerCost", 254),
    u32("terraMaxColonists", 256),
    u8("portRegenMax", 260),
    u16("fighterLockDecayRaw", 261),
    u8("maxBubbleLinks", 263),
    u8("minTunnelDepth", 264),
    u8("maxTunnelDepth", 265),
    u8("timePenalty", 266),
    u16("turnBankRaw", 267),
    // The option word at 10; its second byte holds bits 8 to 15.
    flag("internalAliens", 10, 0x02),
    flag("goldMode", 10, 0x04),
    flag("internalFerrengi", 10, 0x08),
    flag("closedGame", 10, 0x10),
    flag("stealFromBuy", 10, 0x40),
    flag("multiPhotons", 10, 0x80),
    flag("newPlayerPlanets", 11, 0x01),
    flag("invincibleFerrengal", 11, 0x02),
    flag("mbbsMode", 11, 0x04),
    flag("stealDelay", 11, 0x10, true),
    flag("deathDelay", 11, 0x20, true),
    flag("fedsafePhotons", 11, 0x80),
};

// The global record, shglob.dat.
const std::vector<RecordField> kGlobalFields = {
    {"serverName", T::kText, 0, 61, 0, false},
    {"runningName", T::kText, 61, 90, 0, false},
    u8("daysUntilDeletion", 155),
    u16("dailyLogLength", 156),
    u8("commandLimit", 161),
    u8("outputSegmentSizeRaw", 162),
    u8("shipDelayCode", 163),
    u8("probeMovementDelay", 164),
    u8("commandLimitPeriod", 165),
    u16("ackInterval", 166),
    u16("inactivityTimeout", 168),
    u8("versionRevision", 4093),
    u8("versionMajor", 4094),
    u8("versionMinor", 4095),
    flag("userAliases", 151, 0x01),
    flag("localDisplayOn", 151, 0x02),
    flag("aliensSleep", 151, 0x04),
    flag("localBeeperOn", 151, 0x10),
};

}  // namespace

const std::vector<RecordField>& recordFields(RecordKind kind) {
  return kind == RecordKind::kConfig ? kConfigFields : kGlobalFields;
}

const RecordField* findRecordField(RecordKind kind, const char* name) {
  for (const RecordField& field : recordFields(kind)) {
    if (std::strcmp(field.name, name) == 0) return &field;
  }
  return nullptr;
}

}  // namespace sample
}  // namespace shgs
