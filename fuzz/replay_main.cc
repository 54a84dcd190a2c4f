// Runs a fuzz target once on every file named on the command line, or found
// in a directory named there, without the fuzzing engine. The normal test
// builds use it to replay the seed corpora and the inputs that once failed.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size);

namespace {

namespace fs = std::filesystem;

// Names the input first: a failing input ends the process.
void runOn(const fs::path& file) {
  std::cerr << file.string() << std::endl;
  std::ifstream in(file, std::ios::binary);
  const std::vector<char> bytes{std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>()};
  LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                         bytes.size());
}

// The files of "path" in name order, so a failure names the same input on
// every run.
std::vector<fs::path> inputsOf(const fs::path& path) {
  std::error_code error;
  if (!fs::is_directory(path, error)) return {path};
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(path, error)) {
    if (entry.is_regular_file()) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

int main(int argc, char** argv) {
  std::size_t count = 0;
  for (int i = 1; i < argc; ++i) {
    for (const fs::path& file : inputsOf(argv[i])) {
      runOn(file);
      ++count;
    }
  }
  std::cout << "replayed " << count << " inputs" << std::endl;
  return count == 0 ? 1 : 0;
}
