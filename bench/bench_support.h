#ifndef SHGS_BENCH_BENCH_SUPPORT_H_
#define SHGS_BENCH_BENCH_SUPPORT_H_

#include <cstddef>
#include <string>

#include "datafiles/record_encoding.h"
#include "support/one_file_platform.h"

namespace shgs {
namespace bench {

using testing_support::OneFilePlatform;
using testing_support::ScratchFile;

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
