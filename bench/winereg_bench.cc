// Listing the server's key from a Wine prefix's system.reg on disk, beside
// a plain read of the same file in large blocks (as cat reads it): the
// listing should cost little beyond the read. Peak memory must not grow with
// the file: the figures come from a child process that lists once, so that
// what other benchmarks left in this process does not count.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "winereg/listing.h"

namespace shgs {
namespace bench {
namespace {

namespace fs = std::filesystem;

constexpr char kServerKey[] =
    "Software\\Orbital Forge Software\\Starhaul Deluxe Game Server";
constexpr char kStoredServerKey[] =
    "Software\\\\Orbital Forge Software\\\\Starhaul Deluxe Game Server";
constexpr char kStoredWowServerKey[] =
    "Software\\\\Wow6432Node\\\\Orbital Forge Software\\\\Starhaul Deluxe "
    "Game Server";
constexpr char kHead[] = "WINE REGISTRY Version 2\n#arch=win64\n";
constexpr std::size_t kBlockSize = std::size_t{1} << 20;

std::string sectionLine(const std::string& storedPath) {
  return "\n[" + storedPath + "] 1733500000\n#time=1db47c4e1f\n";
}

// A key of the kind Wine writes by the thousand; now and then one holds a
// long value.
std::string unrelatedSection(std::size_t number) {
  const std::string id = std::to_string(number);
  std::string text =
      sectionLine("Software\\\\Classes\\\\CLSID\\\\{00000000-0000-0000-" + id +
                  "}\\\\InprocServer32") +
      "@=\"C:\\\\windows\\\\system32\\\\component" + id + ".dll\"\n" +
      "\"ThreadingModel\"=\"Both\"\n" +
      "\"Data\"=hex:00,11,22,33,44,55,66,77,88,99,aa,bb,cc,dd,ee,ff,\\\n"
      "  00,11,22,33,44,55,66,77,88,99,aa,bb,cc,dd,ee,ff\n";
  if (number % 4096 == 0) {
    text += "\"Blob\"=\"" + std::string(100 * 1024, 'x') + "\"\n";
  }
  return text;
}

// The server's key with its values and 26 games, as "storedPath" holds it.
std::string serverSections(const std::string& storedPath) {
  std::string text = sectionLine(storedPath) +
                     "\"ServerRoot\"=\"C:\\\\SHGS\"\n\"Port\"=\"2002\"\n";
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    const std::string name(1, letter);
    text += sectionLine(storedPath + "\\\\Games\\\\" + name) +
            "\"Directory\"=\"C:\\\\SHGS\\\\GAME\\\\" + name + "\"\n" +
            "\"Title\"=\"Game " + name + "\"\n";
  }
  return text;
}

bool writeAll(int fd, const std::string& text) {
  return write(fd, text.data(), text.size()) ==
         static_cast<ssize_t>(text.size());
}

// A 64-bit prefix's system.reg of about 100 MB: unrelated keys, with the
// server's key a third of the way in and its 32-bit view two thirds of the
// way in.
bool writeLargeSystemReg(int fd) {
  constexpr std::size_t kSize = std::size_t{100} << 20;
  std::size_t written = 0, sections = 0;
  bool server = false, wow = false, ok = writeAll(fd, kHead);
  while (ok && written < kSize) {
    std::string part;
    if (!server && written >= kSize / 3) {
      part = serverSections(kStoredServerKey);
      server = true;
    } else if (!wow && written >= 2 * (kSize / 3)) {
      part = serverSections(kStoredWowServerKey);
      wow = true;
    } else {
      part = unrelatedSection(sections++);
    }
    written += part.size();
    ok = writeAll(fd, part);
  }
  return ok;
}

// A 64-bit prefix's system.reg with a 4 GiB hole (NUL bytes, taking no disk)
// after its first key and the server's 32-bit key after the hole.
bool writeSparseSystemReg(int fd) {
  constexpr off_t kHoleEnd = off_t{4} << 30;
  return writeAll(fd, kHead + unrelatedSection(1)) &&
         lseek(fd, kHoleEnd, SEEK_SET) == kHoleEnd &&
         writeAll(fd, serverSections(kStoredWowServerKey));
}

// The two files, made once in a temporary directory.
class BenchFiles {
 public:
  BenchFiles()
      : root_(fs::temp_directory_path() /
              ("shgs-wine-registry-bench-" + std::to_string(getpid()))) {
    fs::create_directories(root_);
    made_ = make("large.reg", writeLargeSystemReg) &&
            make("sparse.reg", writeSparseSystemReg);
  }
  ~BenchFiles() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  bool made() const { return made_; }
  std::string path(const std::string& name) const {
    return (root_ / name).string();
  }

 private:
  bool make(const std::string& name, bool (*writer)(int)) {
    const int fd =
        open(path(name).c_str(),
             O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    const bool written = writer(fd);
    return close(fd) == 0 && written;
  }

  fs::path root_;
  bool made_ = false;
};

// Reads the whole file in large blocks into one buffer, as cat does; returns
// how many bytes it read, or -1.
std::int64_t plainRead(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return -1;
  std::vector<char> buffer(kBlockSize);
  std::int64_t total = 0;
  for (;;) {
    const ssize_t n = read(fd, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      total = n < 0 ? -1 : total;
      break;
    }
    total += n;
    benchmark::DoNotOptimize(buffer.data());
  }
  close(fd);
  return total;
}

// The file's bytes as the program reads them, straight into the listing's
// buffer.
class FileSource final : public SystemRegSource {
 public:
  explicit FileSource(int fd) : fd_(fd) {}

  std::size_t read(char* buffer, std::size_t size) override {
    const ssize_t n = ::read(fd_, buffer, size);
    return n > 0 ? static_cast<std::size_t>(n) : 0;
  }

 private:
  int fd_;
};

bool listFile(const std::string& path, std::string* listing) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  FileSource source(fd);
  std::ostringstream out;
  const ListingResult result = writeRegistryListing(source, kServerKey, out);
  close(fd);
  *listing = out.str();
  return result == ListingResult::kListed;
}

long peakRssKib() {
  struct rusage usage {};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;  // kilobytes on Linux
}

struct MemoryFigures {
  double atStartMib = -1;  // what the child shares with this process
  double peakMib = -1;
};

// Runs "work" once in a child process and reports its resident memory.
MemoryFigures peakMemoryOf(const std::function<void()>& work) {
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) return {};
  const pid_t child = fork();
  if (child == 0) {
    long figures[2] = {peakRssKib(), 0};
    work();
    figures[1] = peakRssKib();
    const bool sent = write(pipeEnds[1], figures, sizeof figures) ==
                      static_cast<ssize_t>(sizeof figures);
    _exit(sent ? 0 : 1);
  }
  close(pipeEnds[1]);
  long figures[2] = {-1024, -1024};
  if (child > 0) {
    if (read(pipeEnds[0], figures, sizeof figures) !=
        static_cast<ssize_t>(sizeof figures)) {
      figures[0] = figures[1] = -1024;
    }
    int status = 0;
    waitpid(child, &status, 0);
  }
  close(pipeEnds[0]);
  return {figures[0] / 1024.0, figures[1] / 1024.0};
}

// The files, each read once so that both the listing and the plain read
// find it in the page cache, as they find a system.reg Wine has just
// written (the first read of a hole also costs the kernel its zeroing).
const BenchFiles& benchFiles() {
  static const BenchFiles files;
  static const bool warm = files.made() &&
                           plainRead(files.path("large.reg")) >= 0 &&
                           plainRead(files.path("sparse.reg")) >= 0;
  static_cast<void>(warm);
  return files;
}

void reportFile(benchmark::State& state, const std::string& path,
                const std::function<void()>& once) {
  const auto size = static_cast<std::int64_t>(fs::file_size(path));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * size);
  const MemoryFigures memory = peakMemoryOf(once);
  state.counters["system_reg_mib"] = static_cast<double>(size) / (1 << 20);
  state.counters["rss_at_start_mib"] = memory.atStartMib;
  state.counters["peak_rss_mib"] = memory.peakMib;
}

void BM_ListingFromSystemReg(benchmark::State& state, const char* name) {
  if (!benchFiles().made()) {
    state.SkipWithError("the files could not be made");
    return;
  }
  const std::string path = benchFiles().path(name);
  std::string listing;
  for (auto _ : state) {
    if (!listFile(path, &listing)) {
      state.SkipWithError("the server's key was not listed");
      return;
    }
    benchmark::DoNotOptimize(listing.data());
  }
  state.counters["listing_bytes"] = static_cast<double>(listing.size());
  reportFile(state, path, [&path] {
    std::string text;
    listFile(path, &text);
  });
}

void BM_PlainReadOfSystemReg(benchmark::State& state, const char* name) {
  if (!benchFiles().made()) {
    state.SkipWithError("the files could not be made");
    return;
  }
  const std::string path = benchFiles().path(name);
  for (auto _ : state) {
    if (plainRead(path) < 0) {
      state.SkipWithError("the file could not be read");
      return;
    }
  }
  reportFile(state, path, [&path] { plainRead(path); });
}

BENCHMARK_CAPTURE(BM_ListingFromSystemReg, large_100mib, "large.reg")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_PlainReadOfSystemReg, large_100mib, "large.reg")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_ListingFromSystemReg, sparse_4gib, "sparse.reg")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_PlainReadOfSystemReg, sparse_4gib, "sparse.reg")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace bench
}  // namespace shgs
