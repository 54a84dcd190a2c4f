#include "report/server_section.h"

#include <cstdint>
#include <string>

#include "report/report_writer.h"
#include "report/section_text.h"
#include "report/value_format.h"

namespace shgs {
namespace {

void writeHeaderLine(ReportWriter& writer, const GlobalRecord& global) {
  std::ostream& out = writer.out();
  out << global.serverName() << " running " << global.runningName()
      << " on SHGS version " << global.versionMajor() << "."
      << global.versionMinor();
  if (global.versionRevision() != 0) out << "." << global.versionRevision();
  writer.endLine();
}

void writeLinkLine(ReportWriter& writer, const ServerSnapshot& snapshot) {
  writer.writeMarkUp("[url]");
  writer.out() << "telnet:\\\\" << serverAddress(snapshot) << ":"
               << static_cast<std::uint16_t>(snapshot.port());
  writer.writeMarkUp("[/url]");
  writer.endLine();
}

void writeNodeLine(ReportWriter& writer, const ServerSnapshot& snapshot) {
  writer.out() << static_cast<std::uint16_t>(snapshot.nodeMax())
               << " nodes; multiple simultaneous logons from a single IP are "
               << (snapshot.isIPLimited() ? "NOT " : "") << "allowed.";
  writer.endLine();
}

// Codes above 5 are reported once per decoding, as each column decodes.
void writeDelayRow(ReportWriter& writer, const GlobalRecord& global) {
  const auto code = static_cast<std::uint8_t>(global.shipDelayCode());
  const float shipDelay = shipDelayFactor(code);
  const float probeDelay =
      static_cast<float>(global.probeMovementDelay() * shipDelayFactor(code));
  writer.writeRow("Ship Delay:", shipDelay, " s/TPW",
                  "Probe Movement Delay:", probeDelay, " s/sector");
}

void writeServerRows(ReportWriter& writer, const GlobalRecord& global) {
  writeDelayRow(writer, global);
  writer.writeRow(
      "Command Limitation:", countOrUnlimited(global.commandLimit()),
      " cmds / " + withCommas(global.commandLimitPeriod()) + "s",
      "Output Segment Size:", countOrUnlimited(global.outputSegmentSize()),
      " bytes");
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
                        const GlobalRecord& global) {
  writeHeaderLine(writer, global);
  writeLinkLine(writer, snapshot);
  writeNodeLine(writer, snapshot);
  writer.writeRule('*');
  writer.out() << "Global (server) settings";
  writer.endLine();
  writer.writeRule('-');
  writeServerRows(writer, global);
}

}  // namespace shgs
