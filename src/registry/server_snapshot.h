#ifndef SHGS_REGISTRY_SERVER_SNAPSHOT_H_
#define SHGS_REGISTRY_SERVER_SNAPSHOT_H_

#include <cstdint>
#include <map>
#include <string>

namespace shgs {

// One game's registry values, each its text or "QnF".
struct GameEntry {
  std::string deleted;
  std::string active;
  std::string directory;
  std::string description;
  std::string title;
};

// What the registry says about the installed server: six server values and
// the games A to Z. Built once from a capture and read-only afterwards.
class ServerSnapshot {
 public:
  // Every value "QnF", no games.
  ServerSnapshot();

  // The snapshot that "captureText", a registry capture, describes. Never
  // fails: values that are not found are "QnF". Each server value is what
  // CaptureScanner::lookupValue finds from the start. A game has an entry
  // when the word "Server\Games\" and its letter occurs; its values come
  // from the lines below that word's line that begin with a blank or a tab,
  // each from the first such line whose first word is the value's name, in
  // any order. Takes time linear in the size of the capture.
  static ServerSnapshot fromCapture(std::string captureText);

  std::string serverRoot() const { return serverRoot_; }
  bool isIPLimited() const { return limitIP_ == "T"; }
  std::string ipAddress() const { return ipAddr_; }
  std::string nameAddress() const { return nameAddr_; }
  std::int32_t port() const;     // Port as a decimal integer, 0 without digits
  std::int32_t nodeMax() const;  // NodeMax likewise

  // True when there is no entry for "letter" or it is deleted ("T").
  bool isGameUnavailable(char letter) const;
  // The entry's values, or "INVALID GAME" when there is no entry.
  std::string gameDirectory(char letter) const;
  std::string gameDescription(char letter) const;
  std::string gameTitle(char letter) const;

 private:
  const GameEntry* findGame(char letter) const;

  std::map<char, GameEntry> games_;
  std::string serverRoot_;
  std::string limitIP_;
  std::string ipAddr_;
  std::string nameAddr_;
  std::string port_;
  std::string nodeMax_;
};

// A decimal integer read as a 32-bit strtol would: leading white space, an
// optional sign, digits up to the first other character; 0 without digits,
// clamped to the 32-bit range when the digits do not fit.
std::int32_t readDecimal(const std::string& text);

}  // namespace shgs

#endif  // SHGS_REGISTRY_SERVER_SNAPSHOT_H_
