// Arbitrary bytes as a game's description file: the excerpt must be what the
// excerpt rules, applied plainly to the whole text in memory, give.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "report/game_section.h"
#include "support/text_input.h"

namespace shgs {
namespace fuzzing {
namespace {

constexpr std::size_t kBudget = 397;
constexpr std::size_t kRowWidth = 80;

// The lines of "text": LF ends a line, and so does CR LF; the last line need
// not have an end; a Ctrl-Z byte ends the text.
std::vector<std::string> linesOf(std::string text) {
  text = text.substr(0, text.find('\x1a'));
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t lineFeed = text.find('\n', start);
    if (lineFeed == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    std::size_t end = lineFeed;
    if (end > start && text[end - 1] == '\r') --end;
    lines.push_back(text.substr(start, end - start));
    start = lineFeed + 1;
  }
  return lines;
}

// The excerpt rules step by step: cut to the budget left, break after every
// 80 characters (from the back), skip empty lines, charge at least 80.
std::string expectedExcerpt(const std::string& text) {
  std::string out;
  std::size_t total = 0;
  for (std::string line : linesOf(text)) {
    if (total > kBudget) return out + "...";
    if (line.size() > kBudget - total) line.resize(kBudget - total);
    for (std::size_t position : {320, 240, 160, 80}) {
      if (line.size() > position) line.insert(position, "\n");
    }
    if (line.empty()) continue;
    total += std::max(line.size(), kRowWidth);
    out += "\n" + line;
  }
  if (total >= kBudget) out += "...";
  return out;
}

void fuzzDescription(const std::string& text) {
  DescriptionFile description(
      std::make_unique<testing_support::TextInput>(text));
  std::ostringstream out;
  const auto writer = makeReportWriter(out, ReportFormat::kPlain, 0, "");
  writeDescriptionExcerpt(*writer, &description);
  fuzzCheck(out.str() == expectedExcerpt(text),
            "excerpt follows the excerpt rules");
}

}  // namespace
}  // namespace fuzzing
}  // namespace shgs

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  shgs::fuzzing::fuzzDescription(
      std::string(reinterpret_cast<const char*>(data), size));
  return 0;
}
