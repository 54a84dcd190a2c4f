#include "datafiles/data_reader.h"

#include "driver/fatal.h"

namespace shgs {
namespace {

constexpr char kErrorLogName[] = "qilerror.txt";

}  // namespace

DataReader::DataReader(Platform& platform)
    : platform_(platform), errorLog_(platform.openErrorLog(kErrorLogName)) {
  if (errorLog_ == nullptr) fatal("Error log failed to open.");
}

// Removed from the directory it was made in, so the working directory need
// not change.
DataReader::~DataReader() { errorLog_->remove(); }

RecordBytes DataReader::readRecordOrEnd(
    const std::string& fileName, const std::string& failureMessage) const {
  RecordBytes bytes;
  if (!readRecordFile(platform_, fileName, &bytes)) fatal(failureMessage);
  return bytes;
}

}  // namespace shgs
