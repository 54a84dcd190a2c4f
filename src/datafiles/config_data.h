#ifndef SHGS_DATAFILES_CONFIG_DATA_H_
#define SHGS_DATAFILES_CONFIG_DATA_H_

#include <cstdint>
#include <string>

#include "datafiles/error_log.h"
#include "datafiles/record_encoding.h"
#include "platform/platform.h"

namespace shgs {

// A game's configuration record, the first 4096 bytes of its shcfig.dat.
// Day fields come back as the raw day number.
class ConfigRecord {
 public:
  ConfigRecord();  // every byte zero
  explicit ConfigRecord(const RecordBytes& bytes);

  const RecordBytes& bytes() const { return bytes_; }

  std::uint16_t sectors() const;
  std::uint16_t maxUsers() const;
  std::uint16_t maxShips() const;
  std::uint16_t maxPorts() const;
  std::uint16_t maxPlanets() const;
  std::uint16_t maxCourseLength() const;
  std::uint16_t turnsPerDay() const;
  std::uint16_t startingFighters() const;
  std::int32_t startingCredits() const;
  std::uint16_t startingHolds() const;
  std::uint16_t ferrengiRegenRate() const;
  std::uint16_t terraRegenRate() const;
  std::uint16_t planetsPerSector() const;
  std::uint16_t corpSize() const;
  std::uint16_t timeLimitPerDay() const;
  std::uint16_t ferrengiMoveChance() const;
  std::uint16_t alienMoveChance() const;
  std::uint16_t squatters() const;
  std::uint16_t photonDuration() const;
  std::uint16_t cloakFailureRate() const;
  std::uint16_t navHazClearRate() const;
  std::uint8_t tournamentMode() const;
  std::uint16_t daysToEnter() const;
  std::uint16_t maxDeaths() const;
  std::uint16_t planetaryNego() const;
  std::uint16_t portRegen() const;
  std::uint16_t bustClearInterval() const;
  std::uint16_t class0BlownCount() const;
  std::uint16_t gameStartDay() const;
  std::uint16_t externLastRunDay() const;
  std::uint16_t lastBustClearDay() const;
  std::uint16_t bubbleCount() const;
  std::uint16_t minBubbleLinks() const;
  std::uint16_t maxBubbleSize() const;
  std::uint16_t minBubbleSize() const;
  std::uint16_t builtPortDensity() const;
  std::uint16_t oneWayWarpDensity() const;
  std::uint16_t twoWayWarpDensity() const;
  std::uint16_t maxProduct() const;
  std::uint16_t bigBangDay() const;
  std::uint16_t radiationDuration() const;
  std::uint32_t planetTransportUpgradeCost() const;
  std::uint32_t planetTransportCost() const;
  std::uint16_t limpetRemovalCost() const;
  std::uint16_t shipReregistryCost() const;
  std::uint32_t genesisTorpedoCost() const;
  std::uint16_t armidMineCost() const;
  std::uint16_t limpetMineCost() const;
  std::uint16_t beaconCost() const;
  std::uint32_t twarp1DriveCost() const;
  std::uint32_t twarp2DriveCost() const;
  std::uint16_t twarpUpgradeBaseCost() const;
  std::uint16_t psychicProbeCost() const;
  std::uint32_t planetScannerCost() const;
  std::uint16_t atomicDetonatorCost() const;
  std::uint16_t corbomiteCost() const;
  std::uint16_t etherProbeCost() const;
  std::uint32_t photonCost() const;
  std::uint16_t cloakCost() const;
  std::uint32_t mineDisruptorCost() const;
  std::uint32_t holoScannerCost() const;
  std::uint16_t densityScannerCost() const;
  std::uint32_t terraMaxColonists() const;
  std::uint16_t portRegenMax() const;
  std::uint16_t maxBubbleLinks() const;
  std::uint16_t minTunnelDepth() const;
  std::uint16_t maxTunnelDepth() const;
  std::uint16_t timePenalty() const;

  // Flags of the option word at offset 10.
  bool internalAliens() const;
  bool goldMode() const;
  bool internalFerrengi() const;
  bool closedGame() const;
  bool stealFromBuy() const;
  bool multiPhotons() const;
  bool newPlayerPlanets() const;
  bool invincibleFerrengal() const;
  bool mbbsMode() const;
  bool stealDelay() const;  // true when its bit is clear
  bool deathDelay() const;  // true when its bit is clear
  bool fedsafePhotons() const;

  // Derived settings.
  std::int32_t stealFactor() const;
  std::int32_t robFactor() const;
  std::int32_t fighterLockDecay() const;
  std::int32_t turnBank() const;

 private:
  RecordBytes bytes_;
};

// A game's record, in the game's folder.
constexpr char kConfigDataFile[] = "shcfig.dat";

// A game's reader: when made, opens its error log in the current directory
// and reads shcfig.dat from there. A reader that could not do both holds the
// message that ends the run, which the caller acts on while the reader (and
// so its log) still exists.
class ConfigData {
 public:
  // "platform" must outlive the reader; "workFiles" says whether it keeps
  // an error log.
  ConfigData(Platform& platform, WorkFiles workFiles);

  // Empty, or "Error log failed to open." or "Configuration data failed to
  // open.".
  const std::string& failure() const { return failure_; }
  // Where and why, for the failure (see Platform).
  const std::string& why() const { return why_; }
  const ConfigRecord& record() const { return record_; }

 private:
  ErrorLog errorLog_;
  ConfigRecord record_;
  std::string failure_;
  std::string why_;
};

}  // namespace shgs

#endif  // SHGS_DATAFILES_CONFIG_DATA_H_
