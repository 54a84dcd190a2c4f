#include "datafiles/config_data.h"

namespace shgs {

ConfigRecord::ConfigRecord() : bytes_() {}
ConfigRecord::ConfigRecord(const RecordBytes& bytes) : bytes_(bytes) {}

std::uint16_t ConfigRecord::sectors() const { return readU16(bytes_, 0); }
std::uint16_t ConfigRecord::maxUsers() const { return readU16(bytes_, 2); }
std::uint16_t ConfigRecord::maxShips() const { return readU16(bytes_, 4); }
std::uint16_t ConfigRecord::maxPorts() const { return readU16(bytes_, 6); }
std::uint16_t ConfigRecord::maxPlanets() const { return readU16(bytes_, 8); }
std::uint16_t ConfigRecord::maxCourseLength() const {
  return readU8(bytes_, 14);
}
std::uint16_t ConfigRecord::turnsPerDay() const { return readU16(bytes_, 15); }
std::uint16_t ConfigRecord::startingFighters() const {
  return readU16(bytes_, 17);
}
std::int32_t ConfigRecord::startingCredits() const {
  return decodeReal48(&bytes_[19]);
}
std::uint16_t ConfigRecord::startingHolds() const { return readU8(bytes_, 25); }
std::uint16_t ConfigRecord::ferrengiRegenRate() const {
  return readU8(bytes_, 26);
}
std::uint16_t ConfigRecord::terraRegenRate() const {
  return readU16(bytes_, 27);
}
std::uint16_t ConfigRecord::planetsPerSector() const {
  return readU8(bytes_, 29);
}
std::uint16_t ConfigRecord::corpSize() const { return readU8(bytes_, 30); }
std::uint16_t ConfigRecord::timeLimitPerDay() const {
  return readU16(bytes_, 31);
}
std::uint16_t ConfigRecord::ferrengiMoveChance() const {
  return readU8(bytes_, 33);
}
std::uint16_t ConfigRecord::alienMoveChance() const {
  return readU8(bytes_, 34);
}
std::uint16_t ConfigRecord::squatters() const { return readU8(bytes_, 96); }
std::uint16_t ConfigRecord::photonDuration() const {
  return readU16(bytes_, 97);
}
std::uint16_t ConfigRecord::cloakFailureRate() const {
  return readU16(bytes_, 99);
}
std::uint16_t ConfigRecord::navHazClearRate() const {
  return readU16(bytes_, 101);
}
std::uint8_t ConfigRecord::tournamentMode() const {
  return readU8(bytes_, 103);
}
std::uint16_t ConfigRecord::daysToEnter() const { return readU16(bytes_, 105); }
std::uint16_t ConfigRecord::maxDeaths() const { return readU16(bytes_, 107); }
std::uint16_t ConfigRecord::planetaryNego() const {
  return readU8(bytes_, 109);
}
std::uint16_t ConfigRecord::portRegen() const { return readU8(bytes_, 110); }
std::uint16_t ConfigRecord::bustClearInterval() const {
  return readU8(bytes_, 111);
}
std::uint16_t ConfigRecord::class0BlownCount() const {
  return readU16(bytes_, 158);
}
std::uint16_t ConfigRecord::gameStartDay() const {
  return readU16(bytes_, 160);
}
std::uint16_t ConfigRecord::externLastRunDay() const {
  return readU16(bytes_, 162);
}
std::uint16_t ConfigRecord::lastBustClearDay() const {
  return readU16(bytes_, 164);
}
std::uint16_t ConfigRecord::bubbleCount() const { return readU16(bytes_, 166); }
std::uint16_t ConfigRecord::minBubbleLinks() const {
  return readU8(bytes_, 168);
}
std::uint16_t ConfigRecord::maxBubbleSize() const {
  return readU16(bytes_, 169);
}
std::uint16_t ConfigRecord::minBubbleSize() const {
  return readU16(bytes_, 171);
}
std::uint16_t ConfigRecord::builtPortDensity() const {
  return readU8(bytes_, 174);
}
std::uint16_t ConfigRecord::oneWayWarpDensity() const {
  return readU16(bytes_, 175);
}
std::uint16_t ConfigRecord::twoWayWarpDensity() const {
  return readU16(bytes_, 177);
}
std::uint16_t ConfigRecord::maxProduct() const { return readU16(bytes_, 189); }
std::uint16_t ConfigRecord::bigBangDay() const { return readU16(bytes_, 191); }
std::uint16_t ConfigRecord::radiationDuration() const {
  return readU8(bytes_, 193);
}
std::uint32_t ConfigRecord::planetTransportUpgradeCost() const {
  return readU32(bytes_, 194);
}
std::uint32_t ConfigRecord::planetTransportCost() const {
  return readU32(bytes_, 198);
}
std::uint16_t ConfigRecord::limpetRemovalCost() const {
  return readU16(bytes_, 204);
}
std::uint16_t ConfigRecord::shipReregistryCost() const {
  return readU16(bytes_, 206);
}
std::uint32_t ConfigRecord::genesisTorpedoCost() const {
  return readU32(bytes_, 208);
}
std::uint16_t ConfigRecord::armidMineCost() const {
  return readU16(bytes_, 212);
}
std::uint16_t ConfigRecord::limpetMineCost() const {
  return readU16(bytes_, 214);
}
std::uint16_t ConfigRecord::beaconCost() const { return readU16(bytes_, 216); }
std::uint32_t ConfigRecord::twarp1DriveCost() const {
  return readU32(bytes_, 218);
}
std::uint32_t ConfigRecord::twarp2DriveCost() const {
  return readU32(bytes_, 222);
}
std::uint16_t ConfigRecord::twarpUpgradeBaseCost() const {
  return readU16(bytes_, 226);
}
std::uint16_t ConfigRecord::psychicProbeCost() const {
  return readU16(bytes_, 228);
}
std::uint32_t ConfigRecord::planetScannerCost() const {
  return readU32(bytes_, 230);
}
std::uint16_t ConfigRecord::atomicDetonatorCost() const {
  return readU16(bytes_, 234);
}
std::uint16_t ConfigRecord::corbomiteCost() const {
  return readU16(bytes_, 236);
}
std::uint16_t ConfigRecord::etherProbeCost() const {
  return readU16(bytes_, 238);
}
std::uint32_t ConfigRecord::photonCost() const { return readU32(bytes_, 240); }
std::uint16_t ConfigRecord::cloakCost() const { return readU16(bytes_, 244); }
std::uint32_t ConfigRecord::mineDisruptorCost() const {
  return readU32(bytes_, 246);
}
std::uint32_t ConfigRecord::holoScannerCost() const {
  return readU32(bytes_, 250);
}
std::uint16_t ConfigRecord::densityScannerCost() const {
  return readU16(bytes_, 254);
}
std::uint32_t ConfigRecord::terraMaxColonists() const {
  return readU32(bytes_, 256);
}
std::uint16_t ConfigRecord::portRegenMax() const { return readU8(bytes_, 260); }
std::uint16_t ConfigRecord::maxBubbleLinks() const {
  return readU8(bytes_, 263);
}
std::uint16_t ConfigRecord::minTunnelDepth() const {
  return readU8(bytes_, 264);
}
std::uint16_t ConfigRecord::maxTunnelDepth() const {
  return readU8(bytes_, 265);
}
std::uint16_t ConfigRecord::timePenalty() const { return readU8(bytes_, 266); }

bool ConfigRecord::internalAliens() const { return hasBit(bytes_, 10, 0x02); }
bool ConfigRecord::goldMode() const { return hasBit(bytes_, 10, 0x04); }
bool ConfigRecord::internalFerrengi() const { return hasBit(bytes_, 10, 0x08); }
bool ConfigRecord::closedGame() const { return hasBit(bytes_, 10, 0x10); }
bool ConfigRecord::stealFromBuy() const { return hasBit(bytes_, 10, 0x40); }
bool ConfigRecord::multiPhotons() const { return hasBit(bytes_, 10, 0x80); }
bool ConfigRecord::newPlayerPlanets() const { return hasBit(bytes_, 11, 0x01); }
bool ConfigRecord::invincibleFerrengal() const {
  return hasBit(bytes_, 11, 0x02);
}
bool ConfigRecord::mbbsMode() const { return hasBit(bytes_, 11, 0x04); }
bool ConfigRecord::stealDelay() const { return !hasBit(bytes_, 11, 0x10); }
bool ConfigRecord::deathDelay() const { return !hasBit(bytes_, 11, 0x20); }
bool ConfigRecord::fedsafePhotons() const { return hasBit(bytes_, 11, 0x80); }

std::int32_t ConfigRecord::stealFactor() const {
  return readU8(bytes_, 187) / 3 * 10;
}
std::int32_t ConfigRecord::robFactor() const {
  return readU8(bytes_, 188) / 3 * 10;
}
std::int32_t ConfigRecord::fighterLockDecay() const {
  return 1440 - std::int32_t{readU16(bytes_, 261)};
}
std::int32_t ConfigRecord::turnBank() const {
  return std::int32_t{readU16(bytes_, 267)} + 1;
}

ConfigData::ConfigData(Platform& platform, WorkFiles workFiles)
    : errorLog_(platform, workFiles) {
  RecordBytes bytes{};
  if (errorLog_.failed()) {
    failure_ = kErrorLogFailure;
    why_ = errorLog_.why();
  } else if (!readRecordFile(platform, kConfigDataFile, &bytes, &why_)) {
    failure_ = "Configuration data failed to open.";
  }
  record_ = ConfigRecord(bytes);
}

}  // namespace shgs
