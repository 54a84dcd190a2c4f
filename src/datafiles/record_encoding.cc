#include "datafiles/record_encoding.h"

// Placeholder: the record encodings are being written.
namespace shgs {

std::uint8_t readU8(const RecordBytes& record, std::size_t offset) {
  return record[offset];
}
std::uint16_t readU16(const RecordBytes&, std::size_t) { return 0; }
std::uint32_t readU32(const RecordBytes&, std::size_t) { return 0; }
std::int32_t decodeReal48(const std::uint8_t*) { return 0; }
std::int64_t dayNumberToTime(std::uint16_t) { return 0; }
std::string decodeLengthPrefixed(const RecordBytes&, std::size_t) { return ""; }

}  // namespace shgs
