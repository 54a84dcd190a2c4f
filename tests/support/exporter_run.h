#ifndef SHGS_TESTS_SUPPORT_EXPORTER_RUN_H_
#define SHGS_TESTS_SUPPORT_EXPORTER_RUN_H_

#include <gtest/gtest.h>

#include <string>

#include "support/test_support.h"

namespace shgs {
namespace testing_support {

// A sample server that shgs-make-server builds from a description, in a
// Wine-style prefix below a temporary directory, and whole runs of the built
// exporter on it. The exporter starts in start(), a directory on the
// prefix's drive C (so that a game may name it), in UTC, with nothing in its
// environment but the prefix, the home directory, PATH and what a caller
// adds. Header-only: the programs come from the test target's
// SHGS_EXPORTER_PATH and SHGS_MAKE_SERVER_PATH.
class SampleServer {
 public:
  void makeServer(const std::string& description) {
    writeFile(temp_ / "server.txt", description);
    const ProcessResult made = runProcess(
        {SHGS_MAKE_SERVER_PATH, "server.txt", prefix()}, temp_.path(), {}, "");
    ASSERT_EQ(made.exitCode, 0) << made.standardError;
    makeDirectories(start());
  }

  ProcessResult runExporter(const std::string& input,
                            const Environment& extra = {}) {
    ProcessOptions options;
    options.input = input;
    return runProgram(SHGS_EXPORTER_PATH, options, extra);
  }

  ProcessResult runExporter(const ProcessOptions& options,
                            const Environment& extra = {}) {
    return runProgram(SHGS_EXPORTER_PATH, options, extra);
  }

  // As runExporter, with another build of the exporter.
  ProcessResult runProgram(const std::string& program,
                           const ProcessOptions& options,
                           const Environment& extra = {}) {
    Environment environment = {{"WINEPREFIX", prefix()},
                               {"HOME", temp_.path()},
                               {"PATH", "/usr/bin:/bin"},
                               {"TZ", "UTC"}};
    for (const auto& [name, value] : extra) environment[name] = value;
    return runProcess({program}, start(), environment, options);
  }

  std::string prefix() const { return temp_ / "prefix"; }
  std::string drive(const std::string& path) const {
    return prefix() + "/drive_c/" + path;
  }
  std::string start() const { return drive("start"); }

  // What the prefix, with the server and its registry, holds outside the
  // start directory, by path below drive C ("../system.reg" for the
  // registry's file).
  TreeState serverState() const {
    TreeState state;
    for (const auto& [path, entry] : treeStateOf(prefix())) {
      const bool onDrive = path.rfind("drive_c/", 0) == 0;
      const std::string key = onDrive ? path.substr(8) : "../" + path;
      if (key != "../drive_c" && key.rfind("start", 0) != 0) state[key] = entry;
    }
    return state;
  }

  TempDir temp_;
};

class ExporterRunTest : public ::testing::Test, public SampleServer {};

}  // namespace testing_support
}  // namespace shgs

#endif  // SHGS_TESTS_SUPPORT_EXPORTER_RUN_H_
