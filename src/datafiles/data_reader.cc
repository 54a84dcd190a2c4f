#include "datafiles/data_reader.h"

#include "driver/fatal.h"

namespace shgs {
namespace {

constexpr char kErrorLogName[] = "qilerror.txt";

}  // namespace

DataReader::DataReader(Platform& platform) : platform_(platform) {
  logDirectory_ = platform.currentDirectory();
  errorLog_.open(kErrorLogName, std::ios::out | std::ios::app);
  if (!errorLog_.is_open()) fatal("Error log failed to open.");
}

// Removed by full path, so the working directory need not change.
DataReader::~DataReader() {
  errorLog_.close();
  platform_.removeFile(platform_.joinPath(logDirectory_, kErrorLogName));
}

RecordBytes DataReader::readRecordOrEnd(
    const std::string& fileName, const std::string& failureMessage) const {
  RecordBytes bytes;
  if (!readRecordFile(platform_, fileName, &bytes)) fatal(failureMessage);
  return bytes;
}

}  // namespace shgs
