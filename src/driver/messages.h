#ifndef SHGS_DRIVER_MESSAGES_H_
#define SHGS_DRIVER_MESSAGES_H_

#include <string>

namespace shgs {

// How a run speaks on standard error.
enum class MessageStyle {
  // A run with the menu: each message as the program has always worded it,
  // a fatal one after the line that tells where and why (POSIX).
  kConsole,
  // A run with options, whose standard error is often appended to a log:
  // every message one line of its own, "shgs-exporter: ", the path and the
  // system's reason where there is one, then the message.
  kLog
};

// The run's messages in its style.
class Messages {
 public:
  explicit Messages(MessageStyle style) : style_(style) {}

  MessageStyle style() const { return style_; }

  // A message that does not end the run ("Invalid ship delay value!").
  void warn(const std::string& text) const;

  // "text", what the run tells beyond the program's own messages, as a line
  // of its own; shown as data (see consoleText).
  void line(const std::string& text) const;

  // Ends the run with exit status 1 after "message", the program's own
  // words, and "why", where and why ("<path>: <reason>"; see Platform).
  [[noreturn]] void fatal(const std::string& why,
                          const std::string& message) const;

 private:
  MessageStyle style_;
};

// The log's line for "message" with "why" before it: one line, ending in a
// line end.
std::string logLine(const std::string& why, const std::string& message);

}  // namespace shgs

#endif  // SHGS_DRIVER_MESSAGES_H_
