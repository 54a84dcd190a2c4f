#ifndef SHGS_DATAFILES_GLOBAL_DATA_H_
#define SHGS_DATAFILES_GLOBAL_DATA_H_

#include <cstdint>
#include <string>

#include "datafiles/error_log.h"
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
  // 0 (unlimited), or the stored byte + 1.
  std::uint16_t outputSegmentSize() const;
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

// The server's record, in the server's GAME folder.
constexpr char kGlobalDataFile[] = "shglob.dat";

// The server's reader: when made, opens its error log in the current
// directory and reads shglob.dat from there. A reader that could not do both
// holds the message that ends the run, which the caller acts on while the
// reader (and so its log) still exists.
class GlobalData {
 public:
  // "platform" must outlive the reader; "workFiles" says whether it keeps
  // an error log.
  GlobalData(Platform& platform, WorkFiles workFiles);

  // Empty, or "Error log failed to open." or "Global data failed to open.".
  const std::string& failure() const { return failure_; }
  // Where and why, for the failure (see Platform).
  const std::string& why() const { return why_; }
  const GlobalRecord& record() const { return record_; }

 private:
  ErrorLog errorLog_;
  GlobalRecord record_;
  std::string failure_;
  std::string why_;
};

}  // namespace shgs

#endif  // SHGS_DATAFILES_GLOBAL_DATA_H_
