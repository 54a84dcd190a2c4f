// A whole run of the program on a server of 26 games, each with its record
// and a description, beside a plain read of the same files by cat: the
// program's own work should cost little beyond reading what it must read.
// Both are whole processes started afresh each time. The same run with the
// server's key after 100 MB of other keys in system.reg, beside a plain read
// of that file, with its peak memory; and the system calls of one run, as
// strace counts them.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace shgs {
namespace bench {
namespace {

namespace fs = std::filesystem;

extern "C" char** environ;

constexpr char kTime[] = "/usr/bin/time";  // GNU time (Debian: time)

std::string gameDescription(char letter) {
  const std::string game(1, letter);
  return "[game " + game + "]\nDeleted = F\nActive = T\n" +
         "Directory = C:\\SHGS\\GAME\\" + game + "\n" + "Description = Game" +
         game + ".txt\nTitle = Game " + game + "'s Place\n\n[shcfig " + game +
         "]\nsectors = 5000\nturnsPerDay = 250\nbubbleCount = 3\n"
         "internalAliens = true\ninternalFerrengi = true\n"
         "gameStartDay = 2024-03-01\n\n[file C:\\SHGS\\DescFile\\Game" +
         game +
         ".txt]\nA game for the benchmark, with a description of a few "
         "lines.\nThe second line is long enough to wrap once it passes the "
         "eightieth character of the row.\n[end]\n\n";
}

std::string serverDescription() {
  std::string text =
      "[registry]\nServerRoot = C:\\SHGS\nIPAddr = 127.0.0.1\n"
      "NameAddr = shgs.example.org\nPort = 2002\nNodeMax = 16\n\n"
      "[shglob]\nserverName = Bench BBS\nrunningName = SHGS\n"
      "versionMajor = 2\nversionMinor = 6\n\n";
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    text += gameDescription(letter);
  }
  return text;
}

// Starts "argv" (argv[0] by full path) with standard input from "input",
// its output to /dev/null, and waits for it. False unless it exited with 0.
bool runToEnd(const std::vector<std::string>& argv, const std::string& input,
              const std::vector<std::string>& environment) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, input.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::vector<char*> args, env;
  for (const std::string& arg : argv)
    args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  for (const std::string& entry : environment) {
    env.push_back(const_cast<char*>(entry.c_str()));
  }
  env.push_back(nullptr);
  pid_t child = 0;
  const int started =
      posix_spawn(&child, args[0], &actions, nullptr, args.data(), env.data());
  posix_spawn_file_actions_destroy(&actions);
  if (started != 0) return false;
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Writes 100 MB of keys the exporter does not read, as a prefix with much
// software installed holds them, a key at a time: this process stays small,
// and so do the runs it starts.
void writeOtherKeys(std::ostream& out) {
  std::size_t written = 0;
  for (int node = 0; written < (100u << 20); ++node) {
    const std::string id = std::to_string(node);
    const std::string key =
        "\n[Software\\\\Classes\\\\CLSID\\\\{" + id +
        "}\\\\InprocServer32] 1733500000\n@=\"C:\\\\windows\\\\system32\\\\c" +
        id + ".dll\"\n\"ThreadingModel\"=\"Both\"\n";
    out << key;
    written += key.size();
  }
}

// A sample server of 26 games in a Wine-style prefix, made once.
class BenchServer {
 public:
  // With "largeRegistry", 100 MB of other keys come before the server's.
  explicit BenchServer(bool largeRegistry) {
    root_ = fs::temp_directory_path() /
            ("shgs-run-bench-" + std::to_string(getpid()) +
             (largeRegistry ? "-large" : ""));
    fs::create_directories(root_ / "start");
    std::ofstream(root_ / "server.txt") << serverDescription();
    std::ofstream(root_ / "input.txt") << "$ out.txt\n^!\ny\n";
    made_ = runToEnd({SHGS_MAKE_SERVER_PATH, (root_ / "server.txt").string(),
                      (root_ / "prefix").string()},
                     "/dev/null", {});
    if (made_ && largeRegistry) prependOtherKeys();
  }
  ~BenchServer() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  bool made() const { return made_; }

  // Starts the exporter in the start folder; false unless it completed.
  // Its peak memory ("*peakKib", when given) is what GNU time, a small
  // process, sees of it: a child started straight from this process would
  // count this process's memory too.
  bool run(long* peakKib = nullptr) const {
    const std::vector<std::string> environment = {
        "WINEPREFIX=" + path("prefix"), "HOME=" + path(""), "TZ=UTC"};
    std::vector<std::string> argv = {SHGS_EXPORTER_PATH};
    const std::string measured = path("peak.txt");
    if (peakKib != nullptr) {
      argv.insert(argv.begin(), {kTime, "-f", "%M", "-o", measured});
    }
    if (chdir(path("start").c_str()) != 0 ||
        !runToEnd(argv, path("input.txt"), environment)) {
      return false;
    }
    if (peakKib != nullptr) std::ifstream(measured) >> *peakKib;
    return true;
  }
  std::string path(const std::string& relative) const {
    return (root_ / relative).string();
  }

  // Every file a run reads: the registry, the global record, and each
  // game's record and description.
  std::vector<std::string> filesRead() const {
    std::vector<std::string> files = {
        path("prefix/system.reg"), path("prefix/drive_c/SHGS/GAME/shglob.dat")};
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
      const std::string game(1, letter);
      files.push_back(path("prefix/drive_c/SHGS/GAME/" + game + "/shcfig.dat"));
      files.push_back(
          path("prefix/drive_c/SHGS/DescFile/Game" + game + ".txt"));
    }
    return files;
  }

 private:
  // The keys go after system.reg's head, before every section.
  void prependOtherKeys() {
    const std::string systemReg = path("prefix/system.reg");
    std::ifstream in(systemReg, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)),
                           std::istreambuf_iterator<char>());
    const std::size_t firstSection = text.find("\n[");
    std::ofstream out(systemReg, std::ios::binary | std::ios::trunc);
    out << text.substr(0, firstSection);
    writeOtherKeys(out);
    out << text.substr(firstSection);
  }

  fs::path root_;
  bool made_ = false;
};

const BenchServer& benchServer(bool largeRegistry = false) {
  static const BenchServer server(false);
  static const BenchServer large(true);
  return largeRegistry ? large : server;
}

void runWholeRuns(benchmark::State& state, bool largeRegistry) {
  const BenchServer& server = benchServer(largeRegistry);
  if (!server.made()) {
    state.SkipWithError("the sample server could not be made");
    return;
  }
  for (auto _ : state) {
    if (!server.run()) {
      state.SkipWithError("the run failed");
      break;
    }
  }
  long peakKib = 0;
  if (access(kTime, X_OK) == 0 && server.run(&peakKib)) {
    state.counters["peak_rss_mib"] = static_cast<double>(peakKib) / 1024;
  }
}

void runCat(benchmark::State& state, const std::vector<std::string>& files) {
  std::vector<std::string> argv = {"/bin/cat"};
  argv.insert(argv.end(), files.begin(), files.end());
  for (auto _ : state) {
    if (!runToEnd(argv, "/dev/null", {})) {
      state.SkipWithError("cat failed");
      break;
    }
  }
}

void BM_WholeRun26Games(benchmark::State& state) { runWholeRuns(state, false); }

void BM_PlainReadOfTheSameFiles(benchmark::State& state) {
  runCat(state, benchServer().filesRead());
}

void BM_WholeRunWith100MBSystemReg(benchmark::State& state) {
  runWholeRuns(state, true);
}

void BM_PlainReadOfThat100MBSystemReg(benchmark::State& state) {
  runCat(state, {benchServer(true).path("prefix/system.reg")});
}

// The system calls of one whole run on 26 games, as "strace -f -c" counts
// them; a counter, not a time.
// Argument 0: the menu's run, with its capture and error logs; 1: the
// same report from a run with options, which makes no work file.
void BM_SystemCallsOfAWholeRun(benchmark::State& state) {
  const BenchServer& server = benchServer();
  const std::string summary = server.path("strace.txt");
  const std::vector<std::string> environment = {
      "WINEPREFIX=" + server.path("prefix"), "HOME=" + server.path(""),
      "TZ=UTC"};
  std::vector<std::string> argv = {"/usr/bin/strace", "-f", "-c", "-o", summary,
                                   SHGS_EXPORTER_PATH};
  if (state.range(0) == 1) {
    argv.insert(argv.end(), {"--games", "all", "--output", "out.txt"});
  }
  for (auto _ : state) {
    if (access("/usr/bin/strace", X_OK) != 0 ||
        chdir(server.path("start").c_str()) != 0 ||
        !runToEnd(argv, server.path("input.txt"), environment)) {
      state.SkipWithError("strace (Debian: strace) could not run the program");
      return;
    }
  }
  std::ifstream in(summary);
  std::string line, total;
  while (std::getline(in, line)) {
    if (line.find(" total") != std::string::npos) total = line;
  }
  std::istringstream fields(total);
  std::string percent, seconds, usecs;
  double calls = 0;
  fields >> percent >> seconds >> usecs >> calls;
  state.counters["system_calls"] = calls;
}

BENCHMARK(BM_WholeRun26Games)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PlainReadOfTheSameFiles)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_WholeRunWith100MBSystemReg)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_PlainReadOfThat100MBSystemReg)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_SystemCallsOfAWholeRun)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->UseRealTime();

}  // namespace
}  // namespace bench
}  // namespace shgs
