#ifndef SHGS_DATAFILES_GLOBAL_DATA_H_
#define SHGS_DATAFILES_GLOBAL_DATA_H_

#include <cstdint>
#include <string>

#include "datafiles/data_reader.h"
#include "datafiles/record_encoding.h"
#include "platform/platform.h"

namespace shgs {

// The server's global record, the first 4096 bytes of shglob.dat.
class GlobalRecord {
 public:
  GlobalRecord();  // every byte zero
  explicit GlobalRecord(const RecordBytes& bytes);

  const RecordBytes& bytes() const { return bytes_; }

  std::string serverName() const;
  std::string runningName() const;
  std::uint16_t daysUntilDeletion() const;
  std::uint16_t dailyLogLength() const;
  std::uint16_t commandLimit() const;
  std::uint16_t outputSegmentSize() const;  // 0, or the stored byte + 1
  std::uint16_t shipDelayCode() const;
  std::uint16_t probeMovementDelay() const;
  std::uint16_t commandLimitPeriod() const;
  std::uint16_t ackInterval() const;
  std::uint16_t inactivityTimeout() const;
  std::uint16_t versionRevision() const;
  std::uint16_t versionMajor() const;
  std::uint16_t versionMinor() const;

  // Flags of the server flag byte at offset 151.
  bool userAliases() const;
  bool localDisplayOn() const;
  bool aliensSleep() const;
  bool localBeeperOn() const;

 private:
  RecordBytes bytes_;
};

// Reads shglob.dat from the current directory when built; a file that cannot
// be opened ends the run with "Global data failed to open.".
class GlobalData : public DataReader {
 public:
  // "platform" must outlive the reader.
  explicit GlobalData(Platform& platform);

  const GlobalRecord& record() const { return record_; }

 private:
  GlobalRecord record_;
};

}  // namespace shgs

#endif  // SHGS_DATAFILES_GLOBAL_DATA_H_
