#include "datafiles/config_data.h"

// Placeholder: the configuration record is being written.
namespace shgs {

ConfigRecord::ConfigRecord() : bytes_() {}
ConfigRecord::ConfigRecord(const RecordBytes& bytes) : bytes_(bytes) {}
ConfigData::ConfigData(Platform& platform) : DataReader(platform) {}

}  // namespace shgs
