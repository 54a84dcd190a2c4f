#ifndef SHGS_DATAFILES_RECORD_ENCODING_H_
#define SHGS_DATAFILES_RECORD_ENCODING_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace shgs {

class Platform;

// Both records are the first 4096 bytes of their file, byte-packed and
// little-endian; bytes past the end of a shorter file read as zero.
constexpr std::size_t kRecordSize = 4096;
using RecordBytes = std::array<std::uint8_t, kRecordSize>;

// Little-endian integers at "offset" of "record".
std::uint8_t readU8(const RecordBytes& record, std::size_t offset);
std::uint16_t readU16(const RecordBytes& record, std::size_t offset);
std::uint32_t readU32(const RecordBytes& record, std::size_t offset);

// True when any bit of "mask" is set in the byte at "offset" of "record".
inline bool hasBit(const RecordBytes& record, std::size_t offset,
                   std::uint8_t mask) {
  return (record[offset] & mask) != 0;
}

// The six-byte real at "bytes" (bytes[0] is the exponent byte, 0 meaning
// zero), truncated toward zero; the low 32 bits of that integer, two's
// complement. Defined for every input: a value beyond 64 bits is reduced
// modulo 2^64, exactly, so the result is always its low 32 bits (0 from an
// exponent byte of 200 on).
std::int32_t decodeReal48(const std::uint8_t* bytes);

// Local midnight (machine time zone) of day "day", where day 1 is
// 1 January 1988 and day 0 is 31 December 1987, in seconds since
// 1970-01-01 00:00 UTC. Where local midnight does not exist, the first valid
// time of that day. Every day number, also those after 2038, gives its own
// date, as far as the platform converts local times.
std::int64_t dayNumberToTime(std::uint16_t day);

// The length-prefixed text at "offset": a signed length byte L, then L
// characters used as stored; L below 1 gives the empty text. Characters past
// the end of the record are not taken.
std::string decodeLengthPrefixed(const RecordBytes& record, std::size_t offset);

// Reads the first 4096 bytes of the file "fileName" of the current folder
// (a name as the server uses it, resolved through "platform") into
// "*record", in binary; bytes past the end of a shorter file are zero. The
// file is opened for reading only and closed again. False, "*why" set, when
// it cannot be opened or read: a read error, or a file that shrinks while it
// is read, is never taken for zeros.
bool readRecordFile(Platform& platform, const std::string& fileName,
                    RecordBytes* record, std::string* why);

}  // namespace shgs

#endif  // SHGS_DATAFILES_RECORD_ENCODING_H_
