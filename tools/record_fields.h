#ifndef SHGS_TOOLS_RECORD_FIELDS_H_
#define SHGS_TOOLS_RECORD_FIELDS_H_

#include <cstddef>
#include <cstdint>
#include <vector>

namespace shgs {
namespace sample {

// The layouts of the server's two 4096-byte records, written down once for
// the sample generator and the tests. Kept apart from the exporter's own
// decoding on purpose, so that a wrong offset there shows up against this.

enum class FieldType {
  kU8,
  kU16,
  kU32,     // all integers little-endian, unsigned
  kReal48,  // six-byte real, exponent byte first
  kDay,     // u16 day number, day 1 = 1988-01-01
  kText,    // length byte, then that many characters
  kFlag,    // one bit ("mask") of the byte at "offset"
};

enum class RecordKind { kConfig, kGlobal };

struct RecordField {
  const char* name;
  FieldType type;
  std::size_t offset;
  // Bytes the field owns; for a text, its length byte and its room.
  std::size_t size;
  std::uint8_t mask;  // flags only
  bool inverted;      // flags only: the accessor is true when the bit is clear
};

constexpr std::size_t kSampleRecordSize = 4096;

// Every field and flag of a record, in table order. Fields shown through a
// derived accessor carry their stored name ("turnBankRaw").
const std::vector<RecordField>& recordFields(RecordKind kind);

// The field called "name", or nullptr.
const RecordField* findRecordField(RecordKind kind, const char* name);

}  // namespace sample
}  // namespace shgs

#endif  // SHGS_TOOLS_RECORD_FIELDS_H_
