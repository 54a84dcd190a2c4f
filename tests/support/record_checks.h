#ifndef SHGS_TESTS_SUPPORT_RECORD_CHECKS_H_
#define SHGS_TESTS_SUPPORT_RECORD_CHECKS_H_

// Checks of a record's accessors against the record tables of the sample
// generator: records are built field by field by name, so a wrong offset,
// width, byte order or mask in an accessor shows as a wrong value.

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "datafiles/record_encoding.h"
#include "record_builder.h"

namespace shgs {
namespace testing_support {

using sample::FieldType;
using sample::RecordBuilder;
using sample::RecordField;
using sample::RecordKind;

// Every accessor by its name; flags read as 0 or 1.
template <typename Record>
using Accessors = std::map<std::string, std::int64_t (*)(const Record&)>;

// Fields read through a derived accessor carry the stored name ("...Raw").
inline bool isPlainNumber(const RecordField& field) {
  const std::string name = field.name;
  return field.type != FieldType::kFlag && field.type != FieldType::kText &&
         name.compare(name.size() - 3, 3, "Raw") != 0;
}

// A value whose bytes differ from each other, from the neighbours' and from
// the filler, so that a shifted, narrowed, widened or byte-swapped read
// gives something else.
inline std::int64_t distinctValue(const RecordField& field) {
  if (field.type == FieldType::kReal48) return -123456789;
  std::int64_t value = 0;
  for (std::size_t i = 0; i < field.size; ++i) {
    const std::int64_t byte = (field.offset * 5 + i * 67 + 0x21) & 0xFF;
    value |= (byte == 0 ? 1 : byte) << (8 * i);
  }
  return value;
}

// Every byte 0xA5, then every number field at its distinct value.
template <typename Record>
void expectEveryFieldAtItsOffset(RecordKind kind,
                                 const Accessors<Record>& accessors) {
  RecordBuilder builder(kind);
  for (std::size_t offset = 0; offset < kRecordSize; ++offset) {
    builder.setByte(offset, 0xA5);
  }
  std::size_t checked = 0;
  for (const RecordField& field : sample::recordFields(kind)) {
    if (!isPlainNumber(field)) continue;
    ASSERT_TRUE(builder.set(field.name, distinctValue(field))) << field.name;
  }
  const Record record(builder.bytes());
  for (const RecordField& field : sample::recordFields(kind)) {
    if (!isPlainNumber(field)) continue;
    ASSERT_EQ(accessors.count(field.name), 1u) << field.name;
    EXPECT_EQ(accessors.at(field.name)(record), distinctValue(field))
        << field.name;
    ++checked;
  }
  EXPECT_GT(checked, 0u);
}

// Each flag raised alone turns its own accessor (true, or false for the two
// inverted delays) and no other.
template <typename Record>
void expectEachFlagOnItsOwnBit(RecordKind kind,
                               const Accessors<Record>& accessors) {
  for (const RecordField& raised : sample::recordFields(kind)) {
    if (raised.type != FieldType::kFlag) continue;
    SCOPED_TRACE(raised.name);
    RecordBuilder builder(kind);
    ASSERT_TRUE(builder.set(raised.name, raised.inverted ? 0 : 1));
    EXPECT_EQ(builder.bytes()[raised.offset], raised.mask);
    const Record record(builder.bytes());
    for (const RecordField& flag : sample::recordFields(kind)) {
      if (flag.type != FieldType::kFlag) continue;
      ASSERT_EQ(accessors.count(flag.name), 1u) << flag.name;
      EXPECT_EQ(accessors.at(flag.name)(record) != 0,
                flag.inverted != (std::string(flag.name) == raised.name))
          << flag.name;
    }
  }
}

template <typename Record>
void expectFlagsAtRest(RecordKind kind, const RecordBuilder& builder,
                       const Accessors<Record>& accessors) {
  const Record record(builder.bytes());
  for (const RecordField& flag : sample::recordFields(kind)) {
    if (flag.type != FieldType::kFlag) continue;
    EXPECT_EQ(accessors.at(flag.name)(record), flag.inverted ? 1 : 0)
        << flag.name;
  }
}

}  // namespace testing_support
}  // namespace shgs

#endif  // SHGS_TESTS_SUPPORT_RECORD_CHECKS_H_
