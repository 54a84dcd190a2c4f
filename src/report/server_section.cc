#include "report/server_section.h"

#include <cstdint>
#include <string>

#include "report/row_writer.h"
#include "report/section_text.h"
#include "report/value_format.h"

namespace shgs {
namespace {

void writeHeaderLine(std::ostream& out, const GlobalRecord& global) {
  out << global.serverName() << " running " << global.runningName()
      << " on SHGS version " << global.versionMajor() << "."
      << global.versionMinor();
  if (global.versionRevision() != 0) out << "." << global.versionRevision();
  out << std::endl;
}

void writeLinkLine(std::ostream& out, const ExportOptions& options,
                   const ServerSnapshot& snapshot) {
  if (options.forumFormatted) out << "[url]";
  out << "telnet:\\\\" << serverAddress(snapshot) << ":"
      << static_cast<std::uint16_t>(snapshot.port());
  if (options.forumFormatted) out << "[/url]";
  out << std::endl;
}

void writeNodeLine(std::ostream& out, const ServerSnapshot& snapshot) {
  out << static_cast<std::uint16_t>(snapshot.nodeMax())
      << " nodes; multiple simultaneous logons from a single IP are "
      << (snapshot.isIPLimited() ? "NOT " : "") << "allowed." << std::endl;
}

// Codes above 5 are reported once per decoding, as each column decodes.
void writeDelayRow(std::ostream& out, const GlobalRecord& global) {
  const auto code = static_cast<std::uint8_t>(global.shipDelayCode());
  const float shipDelay = shipDelayFactor(code);
  const float probeDelay =
      static_cast<float>(global.probeMovementDelay() * shipDelayFactor(code));
  writeRow(out, "Ship Delay:", shipDelay, " s/TPW",
           "Probe Movement Delay:", probeDelay, " s/sector");
}

void writeServerRows(std::ostream& out, const GlobalRecord& global) {
  writeDelayRow(out, global);
  writeRow(out, "Command Limitation:", countOrUnlimited(global.commandLimit()),
           " cmds / " + withCommas(global.commandLimitPeriod()) + "s",
           "Output Segment Size:", countOrUnlimited(global.outputSegmentSize()),
           " bytes");
  writeRow(out, "Days Until Deletion:", global.daysUntilDeletion(), " days",
           "Ack Interval:", global.ackInterval(), " s");
  writeRow(out, "Daily Log Length:", global.dailyLogLength(), " bytes",
           "Inactivity Timeout:", global.inactivityTimeout(), " s");
  writeRow(out, "Local Display On?", global.localDisplayOn(), "",
           "Local Beeper On?", global.localBeeperOn(), "");
  writeRow(out, "User Aliases?", global.userAliases(), "", "Aliens Sleep?",
           global.aliensSleep(), "");
}

}  // namespace

void writeReportOpening(std::ostream& out, const ExportOptions& options) {
  if (options.forumFormatted) out << "[CODE][white]" << std::endl;
}

void writeServerSection(std::ostream& out, const ExportOptions& options,
                        const ServerSnapshot& snapshot,
                        const GlobalRecord& global) {
  writeHeaderLine(out, global);
  writeLinkLine(out, options, snapshot);
  writeNodeLine(out, snapshot);
  writeRule(out, '*');
  out << "Global (server) settings" << std::endl;
  writeRule(out, '-');
  writeServerRows(out, global);
}

}  // namespace shgs
