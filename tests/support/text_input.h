#ifndef SHGS_TESTS_SUPPORT_TEXT_INPUT_H_
#define SHGS_TESTS_SUPPORT_TEXT_INPUT_H_

#include <algorithm>
#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace shgs {
namespace testing_support {

// A file's text in memory, read as the platform reads a file: "size" bytes
// of "pattern" over and over, so that a huge file costs no memory. One made
// to shrink fails where its text ends, as a file that shrank while it was
// read. Needs no test framework, so fuzz targets and benchmarks use it too.
class TextInput final : public InputFile {
 public:
  explicit TextInput(const std::string& text, bool shrinks = false)
      : TextInput(text, text.size(), shrinks) {}
  TextInput(const std::string& pattern, std::uint64_t size,
            bool shrinks = false)
      : size_(pattern.empty() ? 0 : size), shrinks_(shrinks) {
    chunk_ = pattern;
    while (!chunk_.empty() && chunk_.size() < 4096) chunk_ += chunk_;
  }

  bool failed(std::string* why) const override {
    if (failed_) *why = "text: shorter than when it was opened";
    return failed_;
  }

 protected:
  int_type underflow() override {
    if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
    if (served_ >= size_) {
      failed_ = shrinks_;
      return traits_type::eof();
    }
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
  bool shrinks_;
  bool failed_ = false;
};

}  // namespace testing_support
}  // namespace shgs

#endif  // SHGS_TESTS_SUPPORT_TEXT_INPUT_H_
