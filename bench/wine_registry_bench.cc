// Listing the server's key from a Wine prefix's system.reg against the size
// of the file. Peak memory must not grow with the file: the figures come
// from a child process that lists once, so that what other benchmarks left
// in this process does not count.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstddef>
#include <istream>
#include <sstream>
#include <streambuf>
#include <string>

#include "platform/wine_registry.h"

namespace shgs {
namespace bench {
namespace {

constexpr char kServerKey[] =
    "Software\\Orbital Forge Software\\Starhaul Deluxe Game Server";
constexpr char kStoredServerKey[] =
    "Software\\\\Orbital Forge Software\\\\Starhaul Deluxe Game Server";
constexpr char kStoredWowServerKey[] =
    "Software\\\\Wow6432Node\\\\Orbital Forge Software\\\\Starhaul Deluxe "
    "Game Server";

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

// A 64-bit prefix's system.reg of about "size" bytes, made a section at a
// time as it is read: unrelated keys, with the server's key a third of the
// way in and its 32-bit view two thirds of the way in.
class GeneratedSystemReg : public std::streambuf {
 public:
  explicit GeneratedSystemReg(std::size_t size) : size_(size) {}

 protected:
  int_type underflow() override {
    if (gptr() == egptr() && !makeNextPart()) return traits_type::eof();
    return traits_type::to_int_type(*gptr());
  }

 private:
  bool makeNextPart() {
    if (produced_ >= size_) return false;
    if (produced_ == 0) {
      part_ = "WINE REGISTRY Version 2\n#arch=win64\n";
    } else if (!serverWritten_ && produced_ >= size_ / 3) {
      part_ = serverSections(kStoredServerKey);
      serverWritten_ = true;
    } else if (!wowWritten_ && produced_ >= 2 * (size_ / 3)) {
      part_ = serverSections(kStoredWowServerKey);
      wowWritten_ = true;
    } else {
      part_ = unrelatedSection(sections_++);
    }
    produced_ += part_.size();
    setg(&part_[0], &part_[0], &part_[0] + part_.size());
    return true;
  }

  const std::size_t size_;
  std::size_t produced_ = 0;
  std::size_t sections_ = 0;
  bool serverWritten_ = false;
  bool wowWritten_ = false;
  std::string part_;
};

bool listGenerated(std::size_t size, std::string* listing) {
  GeneratedSystemReg source(size);
  std::istream systemReg(&source);
  std::ostringstream out;
  const bool listed = writeRegistryListing(systemReg, kServerKey, out);
  *listing = out.str();
  return listed;
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

// Lists once in a child process and reports its resident memory.
MemoryFigures listInChild(std::size_t size) {
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) return {};
  const pid_t child = fork();
  if (child == 0) {
    long figures[2] = {peakRssKib(), 0};
    std::string listing;
    listGenerated(size, &listing);
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

void BM_ListingFromGeneratedSystemReg(benchmark::State& state) {
  const auto size = static_cast<std::size_t>(state.range(0));
  std::string listing;
  for (auto _ : state) {
    if (!listGenerated(size, &listing)) {
      state.SkipWithError("the server's key was not listed");
      return;
    }
    benchmark::DoNotOptimize(listing.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(size));
  const MemoryFigures memory = listInChild(size);
  state.counters["system_reg_mib"] = static_cast<double>(size) / (1 << 20);
  state.counters["listing_bytes"] = static_cast<double>(listing.size());
  state.counters["rss_at_start_mib"] = memory.atStartMib;
  state.counters["peak_rss_mib"] = memory.peakMib;
}

BENCHMARK(BM_ListingFromGeneratedSystemReg)
    ->Arg(1 << 20)
    ->Arg(100 << 20)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace bench
}  // namespace shgs
