#ifndef SHGS_TESTS_SUPPORT_SAMPLE_RUN_H_
#define SHGS_TESTS_SUPPORT_SAMPLE_RUN_H_

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <utility>

#include "support/exporter_run.h"
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

// A whole run on a sample server (see ExporterRunTest), in UTC, with no
// viewer, so a completed run tells on standard error where the report is.
class SampleRunTest : public testing_support::ExporterRunTest {
 protected:
  std::string startFile(const std::string& name) const {
    return start() + "/" + name;
  }

  testing_support::ProcessResult runExporter(
      const std::string& input, testing_support::Environment extra = {}) {
    testing_support::ProcessOptions options;
    options.input = input;
    return runExporter(options, std::move(extra));
  }

  testing_support::ProcessResult runExporter(
      const testing_support::ProcessOptions& options,
      testing_support::Environment extra = {}) {
    extra.emplace("TZ", "UTC");
    return ExporterRunTest::runExporter(options, extra);
  }

  // What the prefix, with the server and its registry, holds outside the
  // start directory.
  TreeState serverState() const;
};

}  // namespace e2e
}  // namespace shgs

#endif  // SHGS_TESTS_SUPPORT_SAMPLE_RUN_H_
