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

std::unique_ptr<DescriptionFile> DescriptionFile::open(
    Platform& platform, const FolderEntry& file) {
  if (file.folder == nullptr) return nullptr;
  std::string ignored;
  std::unique_ptr<InputFile> text = platform.openForReading(file, &ignored);
  if (text == nullptr) return nullptr;
  return std::make_unique<DescriptionFile>(std::move(text));
}

bool DescriptionFile::failed() const {
  std::string ignored;
  return text_->failed(&ignored);
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
