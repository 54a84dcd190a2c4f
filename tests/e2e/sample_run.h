#ifndef SHGS_TESTS_E2E_SAMPLE_RUN_H_
#define SHGS_TESTS_E2E_SAMPLE_RUN_H_

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "support/test_support.h"

namespace shgs {
namespace e2e {

// What a directory tree holds: each entry's path relative to the root,
// mapped to its kind and permissions and, for a file, its size and a hash
// of its bytes (for a link, its target).
using TreeState = std::map<std::string, std::string>;

TreeState treeStateOf(const std::string& root);

// The entries that differ between "before" and "after", one per line, or
// the empty text when none does.
std::string treeDifferences(const TreeState& before, const TreeState& after);

// The names of the entries directly inside "directory".
std::set<std::string> entriesOf(const std::string& directory);

// A whole run on a sample server: shgs-make-server builds the server in a
// Wine-style prefix inside a temporary directory; the exporter starts in a
// directory beside the prefix, with a home of its own and no viewer, so a
// completed run tells on standard error where the report is.
class SampleRunTest : public ::testing::Test {
 protected:
  // Builds the server that "description" describes (tools/README.md).
  void makeServer(const std::string& description);

  std::string prefix() const { return temp_ / "prefix"; }
  // The host path of a file or directory below the prefix's drive C.
  std::string drive(const std::string& path) const {
    return prefix() + "/drive_c/" + path;
  }
  std::string start() const { return temp_ / "start"; }
  std::string startFile(const std::string& name) const {
    return start() + "/" + name;
  }

  // Runs the exporter in the start directory with "input" on standard
  // input.
  testing_support::ProcessResult runExporter(const std::string& input);

  // What everything outside the start directory holds: the prefix with the
  // server and its registry, and the home directory.
  TreeState serverState() const;

  testing_support::TempDir temp_;
};

}  // namespace e2e
}  // namespace shgs

#endif  // SHGS_TESTS_E2E_SAMPLE_RUN_H_
