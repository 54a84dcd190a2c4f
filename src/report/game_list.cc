#include "report/game_list.h"

#include <nlohmann/json.hpp>
#include <string>

#include "platform/platform.h"
#include "report/server_text.h"
#include "version.h"

namespace shgs {
namespace {

using Json = nlohmann::ordered_json;

void writeLines(std::ostream& out, const ServerSnapshot& snapshot) {
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    if (snapshot.isGameUnavailable(letter)) continue;
    out << letter << '\t' << consoleText(snapshot.gameTitle(letter)) << '\t'
        << consoleText(snapshot.gameDirectory(letter)) << '\n';
  }
}

// Every string is valid UTF-8 by then, so the library meets no byte it
// cannot write.
void writeJson(std::ostream& out, const ServerSnapshot& snapshot) {
  Json games = Json::array();
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    if (snapshot.isGameUnavailable(letter)) continue;
    games.push_back(
        {{"letter", std::string(1, letter)},
         {"title", serverTextAsUtf8(snapshot.gameTitle(letter))},
         {"directory", serverTextAsUtf8(snapshot.gameDirectory(letter))}});
  }
  const Json list = {{"program", "SHGS Game Settings Exporter"},
                     {"version", kVersion},
                     {"games", games}};
  out << list.dump(2, ' ', false, Json::error_handler_t::replace) << '\n';
}

}  // namespace

void writeGameList(std::ostream& out, const ServerSnapshot& snapshot,
                   ReportFormat format) {
  if (format == ReportFormat::kJson) {
    writeJson(out, snapshot);
  } else {
    writeLines(out, snapshot);
  }
}

}  // namespace shgs
