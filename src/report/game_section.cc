#include "report/game_section.h"

#include <algorithm>

#include "datafiles/record_encoding.h"
#include "report/report_writer.h"
#include "report/section_text.h"
#include "report/value_format.h"

namespace shgs {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

// A description excerpt may cost this many characters; a written line costs
// its length, inserted line breaks included, but never less than a full row.
constexpr std::size_t kExcerptBudget = 397;
constexpr std::size_t kExcerptRowWidth = 80;

// Client links cannot carry blanks or apostrophes in the game name.
std::string linkName(std::string title) {
  title.erase(std::remove_if(title.begin(), title.end(),
                             [](char c) { return c == ' ' || c == '\''; }),
              title.end());
  return title;
}

// What "line" costs of the budget: its length with the line breaks that
// cut it into rows of 80, and never less than a full row.
std::size_t excerptCost(const std::string& line) {
  const std::size_t breaks = (line.size() - 1) / kExcerptRowWidth;
  return std::max(line.size() + breaks, kExcerptRowWidth);
}

// The lines of a description's excerpt, read as far as its budget lasts.
struct Excerpt {
  std::vector<std::string> lines;
  bool budgetSpent = false;
};

// Once the budget is spent nothing more can be written, so reading stops
// there: a huge file costs no more than a small one.
Excerpt readExcerpt(DescriptionFile& description) {
  Excerpt excerpt;
  std::size_t total = 0;
  std::string line;
  while (total < kExcerptBudget &&
         description.readLine(kExcerptBudget - total, &line)) {
    if (line.empty()) continue;
    total += excerptCost(line);
    excerpt.lines.push_back(line);
  }
  excerpt.budgetSpent = total >= kExcerptBudget;
  return excerpt;
}

std::string clientLink(char letter, const ConfigRecord& config,
                       const ServerSnapshot& snapshot,
                       const std::string& title) {
  return "shplay:\\\\" + serverAddress(snapshot) + ":" +
         std::to_string(static_cast<std::uint16_t>(snapshot.port())) +
         "\\new?game=" + letter +
         "&sectors=" + std::to_string(config.sectors()) +
         "&name=" + linkName(title);
}

void writeTournamentBlock(ReportWriter& writer, const ConfigRecord& config) {
  if (config.tournamentMode() == 0) return;
  writer.beginTournament();
  writer.setColour("orange");
  writer.writeRow("Days to enter:", config.daysToEnter(), " days",
                  "Max deaths:", config.maxDeaths(), "");
  writer.endTournament();
}

// " " and the date of day number "day".
std::string dayText(std::uint16_t day) {
  return " " + dateText(dayNumberToTime(day));
}

// Whole days from the game's start to "now", truncated toward zero.
std::int64_t ageInDays(const ConfigRecord& config, std::int64_t now) {
  return (now - dayNumberToTime(config.gameStartDay())) / kSecondsPerDay;
}

std::int32_t blownCount(const ConfigRecord& config) {
  const std::int32_t stored = config.class0BlownCount();
  return stored == 0 ? 0 : stored - 1;
}

void writeGameSizeRows(ReportWriter& writer, const ConfigRecord& config,
                       std::int64_t now) {
  writer.writeRow("Age of Game:", ageInDays(config, now), " days",
                  "Game banged on:", dayText(config.bigBangDay()), "");
  writer.writeRow("Closed game?", config.closedGame(), "",
                  "Extern last ran on:", dayText(config.externLastRunDay()),
                  "");
  writer.writeRow("Sectors:", config.sectors(), "",
                  "Max users:", config.maxUsers(), "");
  writer.writeRow("Max ships:", config.maxShips(), "",
                  "Max ports:", config.maxPorts(), "");
  writer.writeRow("Max planets:", config.maxPlanets(), "",
                  "New player planets?", config.newPlayerPlanets(), "");
  writer.writeRow(
      "Turns per day:", Cell::countOrUnlimited(config.turnsPerDay()), "",
      "Turn bank:", static_cast<std::uint16_t>(config.turnBank()), " days");
  writer.writeRow(
      "Time limit per day:", Cell::countOrUnlimited(config.timeLimitPerDay()),
      " min", "Time penalty:", config.timePenalty(), " min/logon");
}

void writePlayerRows(ReportWriter& writer, const ConfigRecord& config) {
  writer.writeRow(
      "Starting credits:", static_cast<std::uint32_t>(config.startingCredits()),
      "cr", "Starting holds:", config.startingHolds(), "");
  writer.writeRow("Starting figs:", config.startingFighters(), "",
                  "Death delay?", config.deathDelay(), "");
  writer.writeRow("Radiation duration:", config.radiationDuration(), " days",
                  "NavHaz clear rate:", config.navHazClearRate(), "% / day");
  writer.writeRow("Times Class0/9 Blown:", blownCount(config), "",
                  "Cloak failure rate:", config.cloakFailureRate(), "%");
}

void writeUniverseRows(ReportWriter& writer, const ConfigRecord& config) {
  writer.writeRow("Port regen:", config.portRegen(), "% / day",
                  "Port regen max:", config.portRegenMax(), "% / visit");
  writer.writeRow("Max product:", config.maxProduct(), " units",
                  "Built port density:", config.builtPortDensity(), "%");
  writer.writeRow("One-way warp density:", config.oneWayWarpDensity(), "%",
                  "Two-way warp density:", config.twoWayWarpDensity(), "%");
  writer.writeRow("Max course length:", config.maxCourseLength(), "",
                  "Fighter lock decay:",
                  static_cast<std::uint16_t>(config.fighterLockDecay()), "s");
}

void writePlanetRows(ReportWriter& writer, const ConfigRecord& config) {
  writer.writeRow("Terra max colos:", config.terraMaxColonists(), "",
                  "Terra regen rate:", config.terraRegenRate(), " colos/day");
  writer.writeRow("Squatters:", config.squatters(), " ships/sec",
                  "Corp size:", config.corpSize(), " users/corp");
  writer.writeRow("Planetary nego:", config.planetaryNego(), "%",
                  "Planets per sector:", config.planetsPerSector(), "");
}

void writePhotonRows(ReportWriter& writer, const ConfigRecord& config) {
  writer.writeRow("Photon duration:", config.photonDuration(), "s",
                  "Fedsafe Photons?", config.fedsafePhotons(), "");
  writer.writeRow("Multi photons?", config.multiPhotons(), "",
                  "Photon cost:", config.photonCost(), "cr");
}

void writeRuleRows(ReportWriter& writer, const ConfigRecord& config) {
  writer.writeRow("Gold mode?", config.goldMode(), "", "MBBS mode?",
                  config.mbbsMode(), "");
  writer.writeRow("Steal from buy?", config.stealFromBuy(), "", "Steal delay?",
                  config.stealDelay(), "");
  writer.writeRow(
      "Steal Factor:", static_cast<std::uint16_t>(config.stealFactor()), "%",
      "Rob factor:", static_cast<std::uint16_t>(config.robFactor()), "%");
  writer.writeRow("Busts clear every:", config.bustClearInterval(), " days",
                  "Last bust clear:", dayText(config.lastBustClearDay()), "");
}

void writeFirstRowGroups(ReportWriter& writer, const ConfigRecord& config,
                         std::int64_t now) {
  writer.setColour("white");
  writeGameSizeRows(writer, config, now);
  writePlayerRows(writer, config);
  writeUniverseRows(writer, config);
  writer.setColour("blue");
  writePlanetRows(writer, config);
  writer.setColour("cyan");
  writePhotonRows(writer, config);
  writer.setColour("red");
  writeRuleRows(writer, config);
}

void writeBubbleRows(ReportWriter& writer, const ConfigRecord& config) {
  if (config.bubbleCount() == 0) return;
  writer.setColour("brown");
  writer.writeRow("Bubbles:", config.bubbleCount(), "", "", "", "");
  writer.writeRow("Min size:", config.minBubbleSize(), "",
                  "Max size:", config.maxBubbleSize(), "");
  writer.writeRow("Min links:", config.minBubbleLinks(), "",
                  "Max links:", config.maxBubbleLinks(), "");
  writer.writeRow("Min tunnel depth:", config.minTunnelDepth(), "",
                  "Max tunnel depth:", config.maxTunnelDepth(), "");
}

// Unsigned arithmetic: a TWarp I cost above the rest wraps modulo 2^32.
std::uint32_t twarpUpgradeCost(const ConfigRecord& config) {
  return static_cast<std::uint32_t>(config.twarpUpgradeBaseCost()) +
         config.twarp2DriveCost() - config.twarp1DriveCost();
}

std::vector<CostEntry> costListOf(const ConfigRecord& config,
                                  bool includeStockPriceData) {
  const struct {
    const char* label;
    std::uint32_t value;
    std::uint32_t stock;
  } costs[] = {
      {"Ship reregistry cost:", config.shipReregistryCost(), 5000},
      {"Cloak cost:", config.cloakCost(), 25000},
      {"Armid mine cost:", config.armidMineCost(), 1000},
      {"Limpet mine cost:", config.limpetMineCost(), 10000},
      {"Beacon cost:", config.beaconCost(), 100},
      {"Limpet removal cost:", config.limpetRemovalCost(), 5000},
      {"Genesis torp cost:", config.genesisTorpedoCost(), 20000},
      {"Atomic det cost:", config.atomicDetonatorCost(), 15000},
      {"Density scanner cost:", config.densityScannerCost(), 2000},
      {"Holo scanner cost:", config.holoScannerCost(), 25000},
      {"Corbomite cost:", config.corbomiteCost(), 1000},
      {"Planet scanner cost:", config.planetScannerCost(), 30000},
      {"Ether probe cost:", config.etherProbeCost(), 3000},
      {"Mine disruptor cost:", config.mineDisruptorCost(), 6000},
      {"Planet xport cost:", config.planetTransportCost(), 50000},
      {"Plnt xport upg cost:", config.planetTransportUpgradeCost(), 25000},
      {"TWarp I drive cost:", config.twarp1DriveCost(), 50000},
      {"TWarp II drive cost:", config.twarp2DriveCost(), 80000},
      {"Twarp upgrade cost:", twarpUpgradeCost(config), 40000},
      {"Psychic probe cost:", config.psychicProbeCost(), 10000},
  };
  std::vector<CostEntry> costList;
  for (const auto& cost : costs) {
    addCost(costList, includeStockPriceData, cost.label, cost.value,
            cost.stock);
  }
  return costList;
}

// Two entries to a row; an odd last entry stands alone in the left column.
void writeCostRows(ReportWriter& writer,
                   const std::vector<CostEntry>& costList) {
  if (costList.empty()) return;
  writer.setColour("lime green");
  for (std::size_t i = 0; i < costList.size(); i += 2) {
    const CostEntry& left = costList[i];
    if (i + 1 < costList.size()) {
      const CostEntry& right = costList[i + 1];
      writer.writeRow(left.label, left.value, "cr", right.label, right.value,
                      "cr");
    } else {
      writer.writeRow(left.label, left.value, "cr", "", "", "");
    }
  }
}

// The move chances show as " 1 in " and the count; the Ferrengi always
// stand in the right column.
void writeMoveChanceRow(ReportWriter& writer, const ConfigRecord& config) {
  const bool aliens = config.internalAliens();
  const bool ferrengi = config.internalFerrengi();
  if (aliens && ferrengi) {
    writer.writeRow("Alien move chance:", " 1 in ", config.alienMoveChance(),
                    "Ferrengi move chance:", " 1 in ",
                    config.ferrengiMoveChance());
  } else if (aliens) {
    writer.writeRow("Alien move chance:", " 1 in ", config.alienMoveChance(),
                    "", "", "");
  } else if (ferrengi) {
    writer.writeRow("", "", "", "Ferrengi move chance:", " 1 in ",
                    config.ferrengiMoveChance());
  }
}

void writeAlienRows(ReportWriter& writer, const ConfigRecord& config) {
  writer.setColour("magenta");
  writer.writeRow("Internal aliens?", config.internalAliens(), "",
                  "Internal Ferrengi?", config.internalFerrengi(), "");
  writeMoveChanceRow(writer, config);
  if (!config.internalFerrengi()) return;
  writer.writeRow("Ferrengi regen rate:", config.ferrengiRegenRate(), "%",
                  "Invincible Ferrengal?", config.invincibleFerrengal(), "");
}

}  // namespace

void writeGameSettingsBanner(ReportWriter& writer) {
  writer.beginPart(ReportPart::kGames);
}

void writeGameSectionStart(ReportWriter& writer, char letter,
                           const ConfigRecord& config,
                           const ServerSnapshot& snapshot, std::int64_t now,
                           DescriptionFile* description) {
  const std::string title = snapshot.gameTitle(letter);
  writer.beginGame({letter, title, snapshot.gameDirectory(letter),
                    config.sectors(), countOrUnlimited(config.turnsPerDay())});
  writeDescriptionExcerpt(writer, description);
  writer.writeLink(clientLink(letter, config, snapshot, title));
  writer.beginGameRows();
  writeTournamentBlock(writer, config);
  writeFirstRowGroups(writer, config, now);
}

// A description that cannot be read whole shows nothing, as a missing one.
void writeDescriptionExcerpt(ReportWriter& writer,
                             DescriptionFile* description) {
  if (description == nullptr) return;
  const Excerpt excerpt = readExcerpt(*description);
  if (description->failed()) return;
  for (const std::string& line : excerpt.lines) {
    writer.writeDescriptionLine(line);
  }
  if (excerpt.budgetSpent) writer.writeDescriptionCut();
}

void addCost(std::vector<CostEntry>& costList, bool includeStockPriceData,
             const std::string& label, std::uint32_t value,
             std::uint32_t stock) {
  if (includeStockPriceData || value != stock) {
    costList.push_back({label, value});
  }
}

void writeGameSectionEnd(ReportWriter& writer, const ConfigRecord& config,
                         bool includeStockPriceData) {
  writeBubbleRows(writer, config);
  writeCostRows(writer, costListOf(config, includeStockPriceData));
  writeAlienRows(writer, config);
  writer.endGame();
}

}  // namespace shgs
