#ifndef SHGS_BENCH_BENCH_SUPPORT_H_
#define SHGS_BENCH_BENCH_SUPPORT_H_

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <system_error>

#include "datafiles/record_encoding.h"

namespace shgs {
namespace bench {

// A file of its own in the temporary directory, removed with the object.
class ScratchFile {
 public:
  ScratchFile() {
    std::random_device random;
    path_ = (std::filesystem::temp_directory_path() /
             ("shgs-scratch-" + std::to_string(random()) + ".txt"))
                .string();
  }
  ~ScratchFile() {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  const std::string& path() const { return path_; }

  void write(const std::string& content) const {
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out << content;
  }

 private:
  std::string path_;
};

// A registry capture of about "size" bytes: the server's key with its
// values, 26 game keys (A to Z) spread evenly through it, and between them
// unrelated keys with many values, some of whose texts hold words the
// lookups compare with. Each game's Description names "Game<letter>.txt".
std::string makeCapture(std::size_t size);

// A game's configuration record with every field the report shows set;
// "seed" varies the values.
RecordBytes makeConfigRecord(int seed);

// The server's global record, all fields set.
RecordBytes makeGlobalRecord();

}  // namespace bench
}  // namespace shgs

#endif  // SHGS_BENCH_BENCH_SUPPORT_H_
