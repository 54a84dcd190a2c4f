#ifndef SHGS_DATAFILES_DATA_READER_H_
#define SHGS_DATAFILES_DATA_READER_H_

#include <memory>
#include <string>

#include "datafiles/record_encoding.h"
#include "platform/platform.h"

namespace shgs {

// Base of every reader of the server's data. It owns the error log
// "qilerror.txt": opened for appending in the directory that is current when
// the reader is built, removed from that same directory when it is destroyed.
// Nothing writes into the log; a directory where it cannot be created, or
// where that name is a link, a FIFO or a device, stops the run with
// "Error log failed to open.".
class DataReader {
 public:
  DataReader(const DataReader&) = delete;
  DataReader& operator=(const DataReader&) = delete;

 protected:
  // "platform" must outlive the reader.
  explicit DataReader(Platform& platform);
  ~DataReader();

  Platform& platform() const { return platform_; }

  // The record in the file "fileName" (see readRecordFile); a file that
  // cannot be opened ends the run with "failureMessage".
  RecordBytes readRecordOrEnd(const std::string& fileName,
                              const std::string& failureMessage) const;

 private:
  Platform& platform_;
  std::unique_ptr<WorkFile> errorLog_;
};

}  // namespace shgs

#endif  // SHGS_DATAFILES_DATA_READER_H_
