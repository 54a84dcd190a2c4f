#include "report/json_writer.h"

#include <cstdlib>
#include <nlohmann/json.hpp>
#include <utility>

#include "report/report_lines.h"
#include "report/server_text.h"
#include "report/value_format.h"
#include "version.h"

namespace shgs {
namespace {

// Objects keep their keys in the order written, as the report has them.
using Json = nlohmann::ordered_json;

bool isAsciiAlphanumeric(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
         (c >= '0' && c <= '9');
}

char asciiCase(char c, bool upper) {
  if (upper && c >= 'a' && c <= 'z') return static_cast<char>(c - 'a' + 'A');
  if (!upper && c >= 'A' && c <= 'Z') return static_cast<char>(c - 'A' + 'a');
  return c;
}

// Every string is valid UTF-8 from here on, so the library never meets a
// byte it cannot write.
Json text(const std::string& serverText) {
  return serverTextAsUtf8(serverText);
}

// Numbers as numbers, flags as booleans, texts without the blanks that set
// them off in the fixed-width report. A real is the number the report shows.
Json valueOf(const Cell& cell) {
  switch (cell.kind()) {
    case Cell::Kind::kCount:
      return static_cast<std::uint64_t>(cell.integer());
    case Cell::Kind::kFlag:
      return cell.integer() != 0;
    case Cell::Kind::kSigned:
      return cell.integer();
    case Cell::Kind::kReal:
      return std::strtod(cell.text().c_str(), nullptr);
    case Cell::Kind::kText:
      break;
  }
  return text(trimmed(cell.text()));
}

// Null where the local time cannot be told.
Json timeOf(std::int64_t now) {
  const std::string time = isoTimeText(now);
  return time.empty() ? Json() : Json(time);
}

class JsonWriter final : public ReportWriter {
 public:
  JsonWriter(std::ostream& out, std::int64_t now) : out_(out), now_(now) {}

  void writeReportOpening() override {}

  void writeReportFooter() override {
    Json report = {{"program", "SHGS Game Settings Exporter"},
                   {"version", kVersion},
                   {"homePage", kHomePageUrl},
                   {"time", timeOf(now_)}};
    if (!server_.is_null()) report["server"] = std::move(server_);
    report["games"] = std::move(games_);
    out_ << report.dump(2, ' ', false, Json::error_handler_t::replace) << '\n';
  }

  void writeServerHeading(const ServerHeading& heading) override {
    server_ = {{"name", text(heading.serverName)},
               {"runningName", text(heading.runningName)},
               {"version", heading.version}};
  }

  void writeLink(const std::string& url) override {
    section()["link"] = text(url);
  }

  void writeNodeLine(std::uint16_t nodes, bool ipLimited) override {
    server_["nodes"] = nodes;
    server_["ipLimited"] = ipLimited;
  }

  void beginPart(ReportPart) override {}

  void beginGame(const GameHeading& heading) override {
    games_.push_back({{"letter", std::string(1, heading.letter)},
                      {"title", text(heading.title)},
                      {"directory", text(heading.directory)},
                      {"description", Json::array()},
                      {"descriptionCut", false},
                      {"tournament", false}});
    inGame_ = true;
  }

  void writeDescriptionLine(const std::string& line) override {
    section()["description"].push_back(text(line));
  }

  void writeDescriptionCut() override { section()["descriptionCut"] = true; }
  void beginGameRows() override {}
  void beginTournament() override { section()["tournament"] = true; }
  void endTournament() override {}
  void endGame() override {}
  void setColour(const std::string&) override {}

  void writeRow(const Cell& label1, const Cell& value1, const Cell& unit1,
                const Cell& label2, const Cell& value2,
                const Cell& unit2) override {
    addSetting(label1, value1, unit1);
    addSetting(label2, value2, unit2);
  }

 private:
  Json& section() { return inGame_ ? games_.back() : server_; }

  // A move chance shows its number in the unit's place, after " 1 in ":
  // the number is its value, and " 1 in " what is shown with it.
  void addSetting(const Cell& label, const Cell& value, const Cell& unit) {
    if (label.text().empty()) return;
    const bool numberAfter =
        value.kind() == Cell::Kind::kText && unit.kind() != Cell::Kind::kText;
    section()["settings"].push_back(
        {{"key", settingKey(label.text())},
         {"label", text(label.text())},
         {"value", valueOf(numberAfter ? unit : value)},
         {"unit", text(trimmed((numberAfter ? value : unit).text()))}});
  }

  std::ostream& out_;
  const std::int64_t now_;
  Json server_;  // null while the report has no server section
  Json games_ = Json::array();
  bool inGame_ = false;
};

}  // namespace

std::unique_ptr<ReportWriter> makeJsonWriter(std::ostream& out,
                                             std::int64_t now) {
  return std::make_unique<JsonWriter>(out, now);
}

std::string settingKey(const std::string& label) {
  if (label == "Times Class0/9 Blown:") return "timesClass0Or9Blown";
  std::string key;
  bool inWord = false;
  bool firstWord = true;
  for (const char c : label) {
    if (!isAsciiAlphanumeric(c)) {
      firstWord = firstWord && !inWord;
      inWord = false;
      continue;
    }
    key += firstWord ? asciiCase(c, false) : inWord ? c : asciiCase(c, true);
    inWord = true;
  }
  return key;
}

}  // namespace shgs
