#include "report/game_section.h"

#include <algorithm>
#include <memory>
#include <streambuf>

#include "datafiles/record_encoding.h"
#include "platform/ascii_case.h"
#include "report/row_writer.h"
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

std::string lowered(std::string path) {
  for (char& c : path) c = asciiLower(c);
  return path;
}

bool endsWithTxt(const std::string& path) {
  return path.size() >= 3 && path.compare(path.size() - 3, 3, "txt") == 0;
}

// Old text files end at a Ctrl-Z byte, as the Windows C runtime's text mode
// reads them; nothing after it belongs to the text.
constexpr int kEndOfText = 0x1A;

// Reads the next line of "in" into "*line", keeping at most "limit"
// characters; a longer line is left partly unread. LF ends a line, and so
// does CR-LF, of which neither byte belongs to the line; a lone CR is an
// ordinary character. Returns false when "in" is at its end.
bool readLine(std::streambuf& in, std::size_t limit, std::string* line) {
  using Traits = std::streambuf::traits_type;
  const auto atEnd = [](Traits::int_type c) {
    return Traits::eq_int_type(c, Traits::eof()) || c == kEndOfText;
  };
  line->clear();
  if (atEnd(in.sgetc())) return false;
  while (line->size() < limit && !atEnd(in.sgetc())) {
    const Traits::int_type c = in.sbumpc();
    if (c == '\n') break;
    if (c == '\r' && in.sgetc() == '\n') {
      in.sbumpc();
      break;
    }
    line->push_back(Traits::to_char_type(c));
  }
  return true;
}

// Writes "line" on rows of at most 80 characters, each after a line end, and
// returns what it costs of the budget.
std::size_t writeExcerptLine(std::ostream& out, const std::string& line) {
  std::size_t length = 0;
  for (std::size_t start = 0; start < line.size(); start += kExcerptRowWidth) {
    if (start > 0) ++length;  // the inserted line break
    const std::string row = line.substr(start, kExcerptRowWidth);
    out << std::endl << row;
    length += row.size();
  }
  return std::max(length, kExcerptRowWidth);
}

// Once the budget is spent nothing more can be written, so reading stops
// there: a huge file costs no more than a small one.
void writeExcerptOf(std::ostream& out, std::streambuf& in) {
  std::size_t total = 0;
  std::string line;
  while (total < kExcerptBudget &&
         readLine(in, kExcerptBudget - total, &line)) {
    if (!line.empty()) total += writeExcerptLine(out, line);
  }
  if (total >= kExcerptBudget) out << "...";
}

void writeHeading(std::ostream& out, char letter, const ConfigRecord& config,
                  const std::string& title, const ExportOptions& options) {
  if (options.forumFormatted) out << "[yellow]";
  out << "Game " << letter << " - " << title << " - " << config.sectors()
      << " sectors - " << countOrUnlimited(config.turnsPerDay()) << " turns";
  if (options.forumFormatted) out << "[/COLOR]";
}

void writeClientLink(std::ostream& out, char letter, const ConfigRecord& config,
                     const ServerSnapshot& snapshot, const std::string& title,
                     const ExportOptions& options) {
  if (options.forumFormatted) out << "[url]";
  out << "shplay:\\\\" << serverAddress(snapshot) << ":"
      << static_cast<std::uint16_t>(snapshot.port()) << "\\new?game=" << letter
      << "&sectors=" << config.sectors() << "&name=" << linkName(title);
  if (options.forumFormatted) out << "[/url]";
  out << std::endl;
}

void writeTournamentBlock(std::ostream& out, const ConfigRecord& config,
                          const ExportOptions& options) {
  if (config.tournamentMode() == 0) return;
  if (options.forumFormatted) out << "[orange]";
  currentColour() = "orange";
  out << "Tournament mode is ON." << std::endl;
  writeRow(out, "Days to enter:", config.daysToEnter(), " days",
           "Max deaths:", config.maxDeaths(), "");
  // The next text follows on the same line.
  if (options.forumFormatted) out << "[/COLOR]";
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

void writeGameSizeRows(std::ostream& out, const ConfigRecord& config,
                       std::int64_t now) {
  writeRow(out, "Age of Game:", ageInDays(config, now), " days",
           "Game banged on:", dayText(config.bigBangDay()), "");
  writeRow(out, "Closed game?", config.closedGame(), "",
           "Extern last ran on:", dayText(config.externLastRunDay()), "");
  writeRow(out, "Sectors:", config.sectors(), "",
           "Max users:", config.maxUsers(), "");
  writeRow(out, "Max ships:", config.maxShips(), "",
           "Max ports:", config.maxPorts(), "");
  writeRow(out, "Max planets:", config.maxPlanets(), "", "New player planets?",
           config.newPlayerPlanets(), "");
  writeRow(out, "Turns per day:", countOrUnlimited(config.turnsPerDay()), "",
           "Turn bank:", static_cast<std::uint16_t>(config.turnBank()),
           " days");
  writeRow(out,
           "Time limit per day:", countOrUnlimited(config.timeLimitPerDay()),
           " min", "Time penalty:", config.timePenalty(), " min/logon");
}

void writePlayerRows(std::ostream& out, const ConfigRecord& config) {
  writeRow(out, "Starting credits:",
           static_cast<std::uint32_t>(config.startingCredits()), "cr",
           "Starting holds:", config.startingHolds(), "");
  writeRow(out, "Starting figs:", config.startingFighters(), "", "Death delay?",
           config.deathDelay(), "");
  writeRow(out, "Radiation duration:", config.radiationDuration(), " days",
           "NavHaz clear rate:", config.navHazClearRate(), "% / day");
  writeRow(out, "Times Class0/9 Blown:", blownCount(config), "",
           "Cloak failure rate:", config.cloakFailureRate(), "%");
}

void writeUniverseRows(std::ostream& out, const ConfigRecord& config) {
  writeRow(out, "Port regen:", config.portRegen(), "% / day",
           "Port regen max:", config.portRegenMax(), "% / visit");
  writeRow(out, "Max product:", config.maxProduct(), " units",
           "Built port density:", config.builtPortDensity(), "%");
  writeRow(out, "One-way warp density:", config.oneWayWarpDensity(), "%",
           "Two-way warp density:", config.twoWayWarpDensity(), "%");
  writeRow(out, "Max course length:", config.maxCourseLength(), "",
           "Fighter lock decay:",
           static_cast<std::uint16_t>(config.fighterLockDecay()), "s");
}

void writePlanetRows(std::ostream& out, const ConfigRecord& config) {
  writeRow(out, "Terra max colos:", config.terraMaxColonists(), "",
           "Terra regen rate:", config.terraRegenRate(), " colos/day");
  writeRow(out, "Squatters:", config.squatters(), " ships/sec",
           "Corp size:", config.corpSize(), " users/corp");
  writeRow(out, "Planetary nego:", config.planetaryNego(), "%",
           "Planets per sector:", config.planetsPerSector(), "");
}

void writePhotonRows(std::ostream& out, const ConfigRecord& config) {
  writeRow(out, "Photon duration:", config.photonDuration(), "s",
           "Fedsafe Photons?", config.fedsafePhotons(), "");
  writeRow(out, "Multi photons?", config.multiPhotons(), "",
           "Photon cost:", config.photonCost(), "cr");
}

void writeRuleRows(std::ostream& out, const ConfigRecord& config) {
  writeRow(out, "Gold mode?", config.goldMode(), "", "MBBS mode?",
           config.mbbsMode(), "");
  writeRow(out, "Steal from buy?", config.stealFromBuy(), "", "Steal delay?",
           config.stealDelay(), "");
  writeRow(
      out, "Steal Factor:", static_cast<std::uint16_t>(config.stealFactor()),
      "%", "Rob factor:", static_cast<std::uint16_t>(config.robFactor()), "%");
  writeRow(out, "Busts clear every:", config.bustClearInterval(), " days",
           "Last bust clear:", dayText(config.lastBustClearDay()), "");
}

void writeFirstRowGroups(std::ostream& out, const ConfigRecord& config,
                         std::int64_t now) {
  currentColour() = "white";
  writeGameSizeRows(out, config, now);
  writePlayerRows(out, config);
  writeUniverseRows(out, config);
  currentColour() = "blue";
  writePlanetRows(out, config);
  currentColour() = "cyan";
  writePhotonRows(out, config);
  currentColour() = "red";
  writeRuleRows(out, config);
}

void writeBubbleRows(std::ostream& out, const ConfigRecord& config) {
  if (config.bubbleCount() == 0) return;
  currentColour() = "brown";
  writeRow(out, "Bubbles:", config.bubbleCount(), "", "", "", "");
  writeRow(out, "Min size:", config.minBubbleSize(), "",
           "Max size:", config.maxBubbleSize(), "");
  writeRow(out, "Min links:", config.minBubbleLinks(), "",
           "Max links:", config.maxBubbleLinks(), "");
  writeRow(out, "Min tunnel depth:", config.minTunnelDepth(), "",
           "Max tunnel depth:", config.maxTunnelDepth(), "");
}

// Unsigned arithmetic: a TWarp I cost above the rest wraps modulo 2^32.
std::uint32_t twarpUpgradeCost(const ConfigRecord& config) {
  return static_cast<std::uint32_t>(config.twarpUpgradeBaseCost()) +
         config.twarp2DriveCost() - config.twarp1DriveCost();
}

std::vector<CostEntry> costListOf(const ConfigRecord& config,
                                  const ExportOptions& options) {
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
    addCost(costList, options, cost.label, cost.value, cost.stock);
  }
  return costList;
}

// Two entries to a row; an odd last entry stands alone in the left column.
void writeCostRows(std::ostream& out, const std::vector<CostEntry>& costList) {
  if (costList.empty()) return;
  currentColour() = "lime green";
  for (std::size_t i = 0; i < costList.size(); i += 2) {
    const CostEntry& left = costList[i];
    if (i + 1 < costList.size()) {
      const CostEntry& right = costList[i + 1];
      writeRow(out, left.label, left.value, "cr", right.label, right.value,
               "cr");
    } else {
      writeRow(out, left.label, left.value, "cr", "", "", "");
    }
  }
}

// The move chances show as " 1 in " and the count; the Ferrengi always
// stand in the right column.
void writeMoveChanceRow(std::ostream& out, const ConfigRecord& config) {
  const bool aliens = config.internalAliens();
  const bool ferrengi = config.internalFerrengi();
  if (aliens && ferrengi) {
    writeRow(out, "Alien move chance:", " 1 in ", config.alienMoveChance(),
             "Ferrengi move chance:", " 1 in ", config.ferrengiMoveChance());
  } else if (aliens) {
    writeRow(out, "Alien move chance:", " 1 in ", config.alienMoveChance(), "",
             "", "");
  } else if (ferrengi) {
    writeRow(out, "", "", "", "Ferrengi move chance:", " 1 in ",
             config.ferrengiMoveChance());
  }
}

void writeAlienRows(std::ostream& out, const ConfigRecord& config) {
  currentColour() = "magenta";
  writeRow(out, "Internal aliens?", config.internalAliens(), "",
           "Internal Ferrengi?", config.internalFerrengi(), "");
  writeMoveChanceRow(out, config);
  if (!config.internalFerrengi()) return;
  writeRow(out, "Ferrengi regen rate:", config.ferrengiRegenRate(), "%",
           "Invincible Ferrengal?", config.invincibleFerrengal(), "");
}

}  // namespace

void writeGameSettingsBanner(std::ostream& out) {
  out << std::endl;
  writeRule(out, '*');
  out << "Local (game) settings" << std::endl;
  writeRule(out, '-');
}

void writeGameSectionStart(std::ostream& out, char letter,
                           const ConfigRecord& config,
                           const ServerSnapshot& snapshot,
                           const ExportOptions& options, std::int64_t now,
                           Platform& platform) {
  const std::string title = snapshot.gameTitle(letter);
  writeHeading(out, letter, config, title, options);
  writeDescriptionExcerpt(out, platform,
                          snapshot.serverRoot() + "\\DescFile\\" +
                              snapshot.gameDescription(letter));
  out << std::endl;
  writeClientLink(out, letter, config, snapshot, title, options);
  if (options.forumFormatted) out << "[white]";
  writeRule(out, '-');
  writeTournamentBlock(out, config, options);
  writeFirstRowGroups(out, config, now);
}

std::string descriptionFilePath(const ServerSnapshot& snapshot, char letter) {
  const std::string path = lowered(snapshot.serverRoot() + "\\DescFile\\" +
                                   snapshot.gameDescription(letter));
  return endsWithTxt(path) ? path : std::string();
}

void writeDescriptionExcerpt(std::ostream& out, Platform& platform,
                             std::string path) {
  path = lowered(std::move(path));
  if (!endsWithTxt(path)) return;
  const std::unique_ptr<std::streambuf> in =
      platform.openForReading(platform.hostPath(path));
  if (in != nullptr) writeExcerptOf(out, *in);
}

void addCost(std::vector<CostEntry>& costList, const ExportOptions& options,
             const std::string& label, std::uint32_t value,
             std::uint32_t stock) {
  if (options.includeStockPriceData || value != stock) {
    costList.push_back({label, value});
  }
}

void writeGameSectionEnd(std::ostream& out, const ConfigRecord& config,
                         const ExportOptions& options) {
  writeBubbleRows(out, config);
  writeCostRows(out, costListOf(config, options));
  writeAlienRows(out, config);
  if (options.forumFormatted) out << "[white]";
  writeRule(out, '-');
}

void writeReportFooter(std::ostream& out, const ExportOptions& options) {
  if (!options.forumFormatted) return;
  out << "[/CODE][hr][yellow]The preceding table was produced by the SHGS "
         "Game Settings Exporter v1.20!"
      << std::endl
      << "[url]" << SHGS_HOME_PAGE_URL << "[/url] [/COLOR][hr]" << std::endl
      << std::endl;
}

}  // namespace shgs
