#ifndef SHGS_TESTS_SUPPORT_TEXT_INPUT_H_
#define SHGS_TESTS_SUPPORT_TEXT_INPUT_H_

#include <algorithm>
#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace shgs {
namespace testing_support {

// A file's text in memory, read as the platform reads a file: "size" bytes
// of "pattern" over and over, so that a huge file costs no memory. Needs no
// test framework, so fuzz targets and benchmarks use it too.
class TextInput final : public InputFile {
 public:
  explicit TextInput(const std::string& text) : TextInput(text, text.size()) {}
  TextInput(const std::string& pattern, std::uint64_t size)
      : size_(pattern.empty() ? 0 : size) {
    chunk_ = pattern;
    while (!chunk_.empty() && chunk_.size() < 4096) chunk_ += chunk_;
  }

  bool failed(std::string*) const override { return false; }

 protected:
  int_type underflow() override {
    if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
    if (served_ >= size_) return traits_type::eof();
    const auto n = static_cast<std::size_t>(
        std::min<std::uint64_t>(chunk_.size(), size_ - served_));
    setg(&chunk_[0], &chunk_[0], &chunk_[0] + n);
    served_ += n;
    return traits_type::to_int_type(*gptr());
  }

 private:
  std::string chunk_;
  std::uint64_t size_;
  std::uint64_t served_ = 0;
};

}  // namespace testing_support
}  // namespace shgs

#endif  // SHGS_TESTS_SUPPORT_TEXT_INPUT_H_
