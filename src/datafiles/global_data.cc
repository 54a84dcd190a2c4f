#include "datafiles/global_data.h"

namespace shgs {

GlobalRecord::GlobalRecord() : bytes_() {}
GlobalRecord::GlobalRecord(const RecordBytes& bytes) : bytes_(bytes) {}

std::string GlobalRecord::serverName() const {
  return decodeLengthPrefixed(bytes_, 0);
}
std::string GlobalRecord::runningName() const {
  return decodeLengthPrefixed(bytes_, 61);
}
std::uint16_t GlobalRecord::daysUntilDeletion() const {
  return readU8(bytes_, 155);
}
std::uint16_t GlobalRecord::dailyLogLength() const {
  return readU16(bytes_, 156);
}
std::uint16_t GlobalRecord::commandLimit() const { return readU8(bytes_, 161); }
std::uint16_t GlobalRecord::outputSegmentSize() const {
  const std::uint16_t stored = readU8(bytes_, 162);
  return stored == 0 ? 0 : static_cast<std::uint16_t>(stored + 1);
}
std::uint16_t GlobalRecord::shipDelayCode() const {
  return readU8(bytes_, 163);
}
std::uint16_t GlobalRecord::probeMovementDelay() const {
  return readU8(bytes_, 164);
}
std::uint16_t GlobalRecord::commandLimitPeriod() const {
  return readU8(bytes_, 165);
}
std::uint16_t GlobalRecord::ackInterval() const { return readU16(bytes_, 166); }
std::uint16_t GlobalRecord::inactivityTimeout() const {
  return readU16(bytes_, 168);
}
std::uint16_t GlobalRecord::versionRevision() const {
  return readU8(bytes_, 4093);
}
std::uint16_t GlobalRecord::versionMajor() const {
  return readU8(bytes_, 4094);
}
std::uint16_t GlobalRecord::versionMinor() const {
  return readU8(bytes_, 4095);
}

bool GlobalRecord::userAliases() const { return hasBit(bytes_, 151, 0x01); }
bool GlobalRecord::localDisplayOn() const { return hasBit(bytes_, 151, 0x02); }
bool GlobalRecord::aliensSleep() const { return hasBit(bytes_, 151, 0x04); }
bool GlobalRecord::localBeeperOn() const { return hasBit(bytes_, 151, 0x10); }

GlobalData::GlobalData(Platform& platform, WorkFiles workFiles)
    : errorLog_(platform, workFiles) {
  RecordBytes bytes{};
  if (errorLog_.failed()) {
    failure_ = kErrorLogFailure;
    why_ = errorLog_.why();
  } else if (!readRecordFile(platform, kGlobalDataFile, &bytes, &why_)) {
    failure_ = "Global data failed to open.";
  }
  record_ = GlobalRecord(bytes);
}

}  // namespace shgs
