#include "datafiles/global_data.h"

// Placeholder: the global record is being written.
namespace shgs {

GlobalRecord::GlobalRecord() : bytes_() {}
GlobalRecord::GlobalRecord(const RecordBytes& bytes) : bytes_(bytes) {}
GlobalData::GlobalData(Platform& platform) : DataReader(platform) {}

}  // namespace shgs
