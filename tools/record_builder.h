#ifndef SHGS_TOOLS_RECORD_BUILDER_H_
#define SHGS_TOOLS_RECORD_BUILDER_H_

#include <array>
#include <cstdint>
#include <string>

#include "record_fields.h"

namespace shgs {
namespace sample {

using SampleRecord = std::array<std::uint8_t, kSampleRecordSize>;

// Builds one record field by field, by the names of the record tables.
// Every byte starts at zero.
class RecordBuilder {
 public:
  explicit RecordBuilder(RecordKind kind);

  // Sets the field or flag "name" to "value": an integer or day field to the
  // number, startingCredits to the six-byte real of exactly that value, a
  // flag so that its accessor reads "value != 0". False, with the reason in
  // "*err" (when given), for an unknown name or a value the field cannot
  // hold; the record is then unchanged.
  bool set(const std::string& name, std::int64_t value,
           std::string* err = nullptr);

  // Sets the text field "name" to "text" (its length byte and characters).
  bool setText(const std::string& name, const std::string& text,
               std::string* err = nullptr);

  // Sets "name" from the description format: a number, a date YYYY-MM-DD
  // for day fields, true or false for flags, the text for text fields.
  bool setFromText(const std::string& name, const std::string& valueText,
                   std::string* err);

  void setByte(std::size_t offset, std::uint8_t value) {
    bytes_[offset] = value;
  }

  const SampleRecord& bytes() const { return bytes_; }

 private:
  bool store(const RecordField& field, std::int64_t value, std::string* err);

  RecordKind kind_;
  SampleRecord bytes_;
};

// The six bytes (exponent byte first) of the real that equals "value"
// exactly. False, with "out" unchanged, when "value" has more than 40
// significant bits.
bool encodeReal48(std::int64_t value, std::uint8_t out[6]);

// The day number (day 1 = 1988-01-01, day 0 = 1987-12-31) of "date",
// written YYYY-MM-DD. False for a malformed date or one outside 0 to 65535.
bool dayNumberOfDate(const std::string& date, std::int64_t* day);

// Parses a whole decimal integer, optionally signed.
bool parseInteger(const std::string& text, std::int64_t* value);

}  // namespace sample
}  // namespace shgs

#endif  // SHGS_TOOLS_RECORD_BUILDER_H_
