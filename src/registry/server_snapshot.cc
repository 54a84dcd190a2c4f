#include "registry/server_snapshot.h"

#include "registry/capture_scanner.h"

// Placeholder: the snapshot is being written.
namespace shgs {

ServerSnapshot::ServerSnapshot() {}
ServerSnapshot ServerSnapshot::fromCapture(std::string) {
  ServerSnapshot s;
  s.serverRoot_ = kNotFound;
  return s;
}
std::int32_t ServerSnapshot::port() const { return 0; }
std::int32_t ServerSnapshot::nodeMax() const { return 0; }
bool ServerSnapshot::isGameUnavailable(char) const { return true; }
std::string ServerSnapshot::gameDirectory(char) const { return "INVALID GAME"; }
std::string ServerSnapshot::gameDescription(char) const {
  return "INVALID GAME";
}
std::string ServerSnapshot::gameTitle(char) const { return "INVALID GAME"; }
const GameEntry* ServerSnapshot::findGame(char) const { return nullptr; }
std::int32_t readDecimal(const std::string&) { return 0; }

}  // namespace shgs
