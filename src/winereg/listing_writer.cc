#include "winereg/listing_writer.h"

namespace shgs::winereg {
namespace {

constexpr char kHiveName[] = "HKEY_LOCAL_MACHINE\\";
constexpr char kSeparator[] = "    ";

}  // namespace

void ListingWriter::enterKey(const KeyPath& path) {
  const std::size_t shared = listed_ ? commonLength(path, previous_) : 0;
  std::size_t depth = listed_ ? shared + 1 : root_.size();
  for (; depth < path.size(); ++depth) {
    if (!writeImpliedKey(path, depth)) break;
  }
  const bool same =
      listed_ && shared == path.size() && previous_.size() == path.size();
  if (!same) writeKeyLine(path, path.size());
  previous_ = path;
  listed_ = true;
}

void ListingWriter::writeValue(const Value& value) {
  out_ << kSeparator << value.name << kSeparator << typeName(value.type)
       << kSeparator << valueText(value) << '\n';
}

std::string ListingWriter::keyLine(const KeyPath& path,
                                   std::size_t depth) const {
  std::string line = kHiveName + rootText_;
  for (std::size_t i = root_.size(); i < depth; ++i) line += "\\" + path[i];
  return line;
}

void ListingWriter::writeKeyLine(const KeyPath& path, std::size_t depth) {
  out_ << '\n' << keyLine(path, depth) << '\n';
}

bool ListingWriter::writeImpliedKey(const KeyPath& path, std::size_t depth) {
  const std::string line = keyLine(path, depth);
  if (line.size() > budget_) return false;
  budget_ -= line.size();
  out_ << '\n' << line << '\n';
  return true;
}

}  // namespace shgs::winereg
