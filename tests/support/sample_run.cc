#include "support/sample_run.h"

#include <filesystem>
#include <functional>
#include <sstream>
#include <system_error>

namespace shgs {
namespace e2e {
namespace {

namespace fs = std::filesystem;

using testing_support::readFile;

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
  // Reading a FIFO would wait for a writer.
  if (!fs::is_regular_file(status)) return "special file" + mode;
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
    state[it->path().lexically_relative(root).string()] = entryState(*it);
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

TreeState SampleRunTest::serverState() const {
  TreeState state = treeStateOf(prefix());
  const std::string startPath = "drive_c/start";
  for (auto it = state.begin(); it != state.end();) {
    const bool inStart = it->first.compare(0, startPath.size(), startPath) == 0;
    it = inStart ? state.erase(it) : std::next(it);
  }
  return state;
}

}  // namespace e2e
}  // namespace shgs
