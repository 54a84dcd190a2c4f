#include "e2e/sample_run.h"

#include <filesystem>
#include <functional>
#include <sstream>
#include <system_error>

namespace shgs {
namespace e2e {
namespace {

namespace fs = std::filesystem;

using testing_support::makeDirectories;
using testing_support::ProcessResult;
using testing_support::readFile;
using testing_support::runProcess;
using testing_support::writeFile;

std::string permissionsOf(const fs::file_status& status) {
  std::ostringstream text;
  text << std::oct << static_cast<unsigned>(status.permissions());
  return text.str();
}

std::string entryState(const fs::directory_entry& entry) {
  std::error_code ignored;
  const fs::file_status status = entry.symlink_status(ignored);
  const std::string mode = " mode " + permissionsOf(status);
  if (fs::is_symlink(status)) {
    return "link to " + fs::read_symlink(entry.path(), ignored).string();
  }
  if (fs::is_directory(status)) return "directory" + mode;
  // A file written again with the same bytes is still a write.
  const std::string bytes = readFile(entry.path().string());
  const auto written = entry.last_write_time(ignored).time_since_epoch();
  return "file of " + std::to_string(bytes.size()) + " bytes, hash " +
         std::to_string(std::hash<std::string>()(bytes)) + mode +
         " written at " + std::to_string(written.count());
}

}  // namespace

TreeState treeStateOf(const std::string& root) {
  TreeState state;
  std::error_code ignored;
  // Links are recorded, never followed: the prefix links its drive back
  // into itself.
  for (auto it = fs::recursive_directory_iterator(root, ignored);
       it != fs::recursive_directory_iterator(); it.increment(ignored)) {
    state[fs::relative(it->path(), root).string()] = entryState(*it);
  }
  return state;
}

std::string treeDifferences(const TreeState& before, const TreeState& after) {
  std::string differences;
  for (const auto& [path, state] : before) {
    const auto now = after.find(path);
    if (now == after.end()) {
      differences += "removed " + path + "\n";
    } else if (now->second != state) {
      differences +=
          "changed " + path + ": " + state + " -> " + now->second + "\n";
    }
  }
  for (const auto& [path, state] : after) {
    if (before.count(path) == 0) differences += "added " + path + "\n";
  }
  return differences;
}

std::set<std::string> entriesOf(const std::string& directory) {
  std::set<std::string> names;
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(directory, ignored)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

void SampleRunTest::makeServer(const std::string& description) {
  writeFile(temp_ / "server.txt", description);
  const ProcessResult made =
      runProcess({SHGS_MAKE_SERVER_PATH, temp_ / "server.txt", prefix()},
                 temp_.path(), {}, "");
  ASSERT_EQ(made.exitCode, 0) << made.standardError;
  fs::remove(temp_ / "server.txt");
  makeDirectories(start());
  makeDirectories(temp_ / "home");
}

ProcessResult SampleRunTest::runExporter(const std::string& input) {
  return runProcess(
      {SHGS_EXPORTER_PATH}, start(),
      {{"WINEPREFIX", prefix()}, {"HOME", temp_ / "home"}, {"TZ", "UTC"}},
      input);
}

TreeState SampleRunTest::serverState() const {
  TreeState state;
  for (const char* part : {"prefix", "home"}) {
    for (const auto& [path, entry] : treeStateOf(temp_ / part)) {
      state[std::string(part) + "/" + path] = entry;
    }
  }
  return state;
}

}  // namespace e2e
}  // namespace shgs
