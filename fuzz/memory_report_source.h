#ifndef SHGS_TESTS_SUPPORT_MEMORY_REPORT_SOURCE_H_
#define SHGS_TESTS_SUPPORT_MEMORY_REPORT_SOURCE_H_

#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <utility>

#include "report/report.h"
#include "support/text_input.h"

namespace shgs {
namespace testing_support {

// A report source that holds everything in memory: the server's record, a
// record for each game letter, and one description text that every game
// shows, read anew for each game as a run reads each game's file. Needs no
// test framework, so fuzz targets and benchmarks use it too.
class MemoryReportSource : public ReportSource {
 public:
  MemoryReportSource(GlobalRecord global, std::map<char, ConfigRecord> games,
                     std::string description)
      : global_(std::move(global)),
        games_(std::move(games)),
        description_(std::move(description)) {}

  void readServer(const ServerWriter& write) override { write(global_); }

  void readGame(char letter, const GameWriter& write) override {
    DescriptionFile description(std::make_unique<TextInput>(description_));
    write(games_.at(letter), &description);
  }

  void warn(const std::string& message) override { warnings_ += message; }

  // Every warning so far, run together.
  const std::string& warnings() const { return warnings_; }

 private:
  GlobalRecord global_;
  std::map<char, ConfigRecord> games_;
  std::string description_;
  std::string warnings_;
};

}  // namespace testing_support
}  // namespace shgs

#endif  // SHGS_TESTS_SUPPORT_MEMORY_REPORT_SOURCE_H_
