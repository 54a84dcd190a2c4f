#include "datafiles/description_file.h"

#include <utility>

#include "platform/ascii_case.h"

namespace shgs {
namespace {

constexpr int kEndOfText = 0x1A;  // Ctrl-Z

using Traits = std::streambuf::traits_type;

bool endsText(Traits::int_type c) {
  return Traits::eq_int_type(c, Traits::eof()) || c == kEndOfText;
}

bool endsWithTxt(const std::string& path) {
  return path.size() >= 3 && path.compare(path.size() - 3, 3, "txt") == 0;
}

}  // namespace

DescriptionFile::DescriptionFile(std::unique_ptr<InputFile> text)
    : text_(std::move(text)) {}

std::string DescriptionFile::pathOf(const std::string& serverRoot,
                                    const std::string& description) {
  std::string path = serverRoot + "\\DescFile\\" + description;
  for (char& c : path) c = asciiLower(c);
  return endsWithTxt(path) ? path : std::string();
}

std::unique_ptr<DescriptionFile> DescriptionFile::open(Platform& platform,
                                                       const FolderEntry& file,
                                                       std::string* why) {
  why->clear();
  if (file.folder == nullptr) return nullptr;
  bool missing = false;
  std::unique_ptr<InputFile> text =
      platform.openForReading(file, why, &missing);
  if (text == nullptr) {
    if (missing) why->clear();
    return nullptr;
  }
  return std::make_unique<DescriptionFile>(std::move(text));
}

bool DescriptionFile::failed(std::string* why) const {
  std::string ignored;
  return text_->failed(why != nullptr ? why : &ignored);
}

bool DescriptionFile::readLine(std::size_t limit, std::string* line) {
  std::streambuf& in = *text_;
  line->clear();
  if (endsText(in.sgetc())) return false;
  while (line->size() < limit && !endsText(in.sgetc())) {
    const Traits::int_type c = in.sbumpc();
    if (c == '\n') break;
    if (c == '\r' && in.sgetc() == '\n') {
      in.sbumpc();
      break;
    }
    line->push_back(Traits::to_char_type(c));
  }
  return true;
}

}  // namespace shgs
