#include "record_builder.h"

#include <charconv>

namespace shgs {
namespace sample {
namespace {

bool fail(std::string* err, const std::string& reason) {
  if (err != nullptr) *err = reason;
  return false;
}

std::int64_t largestValue(FieldType type) {
  switch (type) {
    case FieldType::kU8:
      return 0xFF;
    case FieldType::kU16:
    case FieldType::kDay:
      return 0xFFFF;
    default:
      return 0xFFFFFFFF;
  }
}

// Days from 1970-01-01 to the proleptic Gregorian date y-m-d.
std::int64_t daysFromCivil(std::int64_t y, int m, int d) {
  y -= m <= 2 ? 1 : 0;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yearOfEra = y - era * 400;
  const std::int64_t dayOfYear = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const std::int64_t dayOfEra =
      yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

int daysInMonth(std::int64_t year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

bool parseDigits(const std::string& text, std::size_t from, std::size_t count,
                 int* value) {
  const char* first = text.data() + from;
  const auto result = std::from_chars(first, first + count, *value);
  return result.ec == std::errc() && result.ptr == first + count &&
         *first != '-' && *first != '+';
}

void storeLittleEndian(std::uint64_t value, std::size_t offset,
                       std::size_t size, SampleRecord* bytes) {
  for (std::size_t i = 0; i < size; ++i) {
    (*bytes)[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
  }
}

// The number "valueText" stands for: true or false for a flag, a date or a
// day number for a day field, a decimal number otherwise.
bool parseFieldValue(const RecordField& field, const std::string& valueText,
                     std::int64_t* value, std::string* err) {
  const std::string name = field.name;
  if (field.type == FieldType::kFlag) {
    if (valueText != "true" && valueText != "false") {
      return fail(err, name + ": expected true or false");
    }
    *value = valueText == "true" ? 1 : 0;
    return true;
  }
  if (field.type == FieldType::kDay &&
      valueText.find('-') != std::string::npos) {
    return dayNumberOfDate(valueText, value) ||
           fail(err, name + ": bad date " + valueText);
  }
  return parseInteger(valueText, value) ||
         fail(err, name + ": not a number: " + valueText);
}

}  // namespace

bool parseInteger(const std::string& text, std::int64_t* value) {
  const char* first = text.data();
  const char* last = first + text.size();
  if (first != last && *first == '+') ++first;
  const auto result = std::from_chars(first, last, *value);
  return !text.empty() && result.ec == std::errc() && result.ptr == last;
}

bool encodeReal48(std::int64_t value, std::uint8_t out[6]) {
  if (value == 0) {
    for (int i = 0; i < 6; ++i) out[i] = 0;
    return true;
  }
  const bool negative = value < 0;
  const std::uint64_t magnitude = negative
                                      ? 0 - static_cast<std::uint64_t>(value)
                                      : static_cast<std::uint64_t>(value);
  int top = 63;
  while ((magnitude >> top) == 0) --top;
  // The mantissa holds the leading one and 39 bits after it.
  if (top > 39 && (magnitude & ((std::uint64_t{1} << (top - 39)) - 1)) != 0) {
    return false;  // "out" untouched
  }
  const std::uint64_t mantissa =
      top >= 39 ? magnitude >> (top - 39) : magnitude << (39 - top);
  out[0] = static_cast<std::uint8_t>(top + 129);
  for (int i = 1; i <= 4; ++i) {
    out[i] = static_cast<std::uint8_t>(mantissa >> (8 * (i - 1)));
  }
  out[5] = static_cast<std::uint8_t>(((mantissa >> 32) & 0x7F) |
                                     (negative ? 0x80 : 0));
  return true;
}

bool dayNumberOfDate(const std::string& date, std::int64_t* day) {
  int year = 0, month = 0, dayOfMonth = 0;
  if (date.size() != 10 || date[4] != '-' || date[7] != '-' ||
      !parseDigits(date, 0, 4, &year) || !parseDigits(date, 5, 2, &month) ||
      !parseDigits(date, 8, 2, &dayOfMonth) || month < 1 || month > 12 ||
      dayOfMonth < 1 || dayOfMonth > daysInMonth(year, month)) {
    return false;
  }
  *day = daysFromCivil(year, month, dayOfMonth) - daysFromCivil(1987, 12, 31);
  return *day >= 0 && *day <= 0xFFFF;
}

RecordBuilder::RecordBuilder(RecordKind kind) : kind_(kind), bytes_() {}

bool RecordBuilder::set(const std::string& name, std::int64_t value,
                        std::string* err) {
  const RecordField* field = findRecordField(kind_, name.c_str());
  if (field == nullptr) return fail(err, "unknown field " + name);
  return store(*field, value, err);
}

bool RecordBuilder::store(const RecordField& field, std::int64_t value,
                          std::string* err) {
  const std::string name = field.name;
  if (field.type == FieldType::kText) {
    return fail(err, name + " is a text field");
  }
  if (field.type == FieldType::kFlag) {
    const bool bitSet = (value != 0) != field.inverted;
    std::uint8_t& byte = bytes_[field.offset];
    byte = static_cast<std::uint8_t>(bitSet ? byte | field.mask
                                            : byte & ~field.mask);
    return true;
  }
  if (field.type == FieldType::kReal48) {
    return encodeReal48(value, &bytes_[field.offset]) ||
           fail(err, name + ": not exactly a six-byte real");
  }
  if (value < 0 || value > largestValue(field.type)) {
    return fail(err, name + ": " + std::to_string(value) + " out of range");
  }
  storeLittleEndian(static_cast<std::uint64_t>(value), field.offset, field.size,
                    &bytes_);
  return true;
}

bool RecordBuilder::setText(const std::string& name, const std::string& text,
                            std::string* err) {
  const RecordField* field = findRecordField(kind_, name.c_str());
  if (field == nullptr) return fail(err, "unknown field " + name);
  if (field->type != FieldType::kText) {
    return fail(err, name + " is not a text field");
  }
  // The length byte is signed: 127 is the longest text it can announce.
  if (text.size() > field->size - 1 || text.size() > 127) {
    return fail(err, name + ": text longer than its field");
  }
  bytes_[field->offset] = static_cast<std::uint8_t>(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    bytes_[field->offset + 1 + i] = static_cast<std::uint8_t>(text[i]);
  }
  return true;
}

bool RecordBuilder::setFromText(const std::string& name,
                                const std::string& valueText,
                                std::string* err) {
  const RecordField* field = findRecordField(kind_, name.c_str());
  if (field == nullptr) return fail(err, "unknown field " + name);
  if (field->type == FieldType::kText) return setText(name, valueText, err);
  std::int64_t value = 0;
  if (!parseFieldValue(*field, valueText, &value, err)) return false;
  return store(*field, value, err);
}

}  // namespace sample
}  // namespace shgs
