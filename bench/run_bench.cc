// A whole run of the program on a server of 26 games, each with its record
// and a description, beside a plain read of the same files by cat: the
// program's own work should cost little beyond reading what it must read.
// Both are whole processes started afresh each time.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace shgs {
namespace bench {
namespace {

namespace fs = std::filesystem;

extern "C" char** environ;

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

// A sample server of 26 games in a Wine-style prefix, made once.
class BenchServer {
 public:
  BenchServer() {
    root_ = fs::temp_directory_path() /
            ("shgs-run-bench-" + std::to_string(getpid()));
    fs::create_directories(root_ / "start");
    std::ofstream(root_ / "server.txt") << serverDescription();
    std::ofstream(root_ / "input.txt") << "$ out.txt\n^!\ny\n";
    made_ = runToEnd({SHGS_MAKE_SERVER_PATH, (root_ / "server.txt").string(),
                      (root_ / "prefix").string()},
                     "/dev/null", {});
  }
  ~BenchServer() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  bool made() const { return made_; }
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
  fs::path root_;
  bool made_ = false;
};

const BenchServer& benchServer() {
  static const BenchServer server;
  return server;
}

void BM_WholeRun26Games(benchmark::State& state) {
  const BenchServer& server = benchServer();
  if (!server.made()) {
    state.SkipWithError("the sample server could not be made");
    return;
  }
  const std::vector<std::string> environment = {
      "WINEPREFIX=" + server.path("prefix"), "HOME=" + server.path(""),
      "TZ=UTC"};
  const std::string start = server.path("start");
  for (auto _ : state) {
    if (chdir(start.c_str()) != 0 ||
        !runToEnd({SHGS_EXPORTER_PATH}, server.path("input.txt"),
                  environment)) {
      state.SkipWithError("the run failed");
      break;
    }
  }
}

void BM_PlainReadOfTheSameFiles(benchmark::State& state) {
  const BenchServer& server = benchServer();
  std::vector<std::string> argv = {"/bin/cat"};
  for (const std::string& file : server.filesRead()) argv.push_back(file);
  for (auto _ : state) {
    if (!runToEnd(argv, "/dev/null", {})) {
      state.SkipWithError("cat failed");
      break;
    }
  }
}

BENCHMARK(BM_WholeRun26Games)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PlainReadOfTheSameFiles)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace bench
}  // namespace shgs
