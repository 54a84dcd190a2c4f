#include "report/server_section.h"

#include <cstdint>
#include <string>

#include "report/report_writer.h"
#include "report/section_text.h"
#include "report/value_format.h"

namespace shgs {
namespace {

std::string versionText(const GlobalRecord& global) {
  std::string version = std::to_string(global.versionMajor()) + "." +
                        std::to_string(global.versionMinor());
  if (global.versionRevision() != 0) {
    version += "." + std::to_string(global.versionRevision());
  }
  return version;
}

std::string telnetLink(const ServerSnapshot& snapshot) {
  return "telnet:\\\\" + serverAddress(snapshot) + ":" +
         std::to_string(static_cast<std::uint16_t>(snapshot.port()));
}

// Codes above 5 are reported once per decoding, as each column decodes.
void writeDelayRow(ReportWriter& writer, const GlobalRecord& global,
                   const Warn& warn) {
  const auto code = static_cast<std::uint8_t>(global.shipDelayCode());
  const float shipDelay = shipDelayFactor(code, warn);
  const float probeDelay = static_cast<float>(global.probeMovementDelay() *
                                              shipDelayFactor(code, warn));
  writer.writeRow("Ship Delay:", shipDelay, " s/TPW",
                  "Probe Movement Delay:", probeDelay, " s/sector");
}

void writeServerRows(ReportWriter& writer, const GlobalRecord& global,
                     const Warn& warn) {
  writeDelayRow(writer, global, warn);
  writer.writeRow(
      "Command Limitation:", Cell::countOrUnlimited(global.commandLimit()),
      " cmds / " + withCommas(global.commandLimitPeriod()) + "s",
      "Output Segment Size:",
      Cell::countOrUnlimited(global.outputSegmentSize()), " bytes");
  writer.writeRow("Days Until Deletion:", global.daysUntilDeletion(), " days",
                  "Ack Interval:", global.ackInterval(), " s");
  writer.writeRow("Daily Log Length:", global.dailyLogLength(), " bytes",
                  "Inactivity Timeout:", global.inactivityTimeout(), " s");
  writer.writeRow("Local Display On?", global.localDisplayOn(), "",
                  "Local Beeper On?", global.localBeeperOn(), "");
  writer.writeRow("User Aliases?", global.userAliases(), "", "Aliens Sleep?",
                  global.aliensSleep(), "");
}

}  // namespace

void writeServerSection(ReportWriter& writer, const ServerSnapshot& snapshot,
                        const GlobalRecord& global, const Warn& warn) {
  writer.writeServerHeading(
      {global.serverName(), global.runningName(), versionText(global)});
  writer.writeLink(telnetLink(snapshot));
  writer.writeNodeLine(static_cast<std::uint16_t>(snapshot.nodeMax()),
                       snapshot.isIPLimited());
  writer.beginPart(ReportPart::kServer);
  writeServerRows(writer, global, warn);
}

}  // namespace shgs
