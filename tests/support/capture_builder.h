#ifndef SHGS_TESTS_SUPPORT_CAPTURE_BUILDER_H_
#define SHGS_TESTS_SUPPORT_CAPTURE_BUILDER_H_

#include <string>

namespace shgs {
namespace testing_support {

// How the registry tool lays out a value line ("    Name" separator
// "REG_SZ" separator "Text") and the line end it writes.
struct CaptureStyle {
  const char* separator;
  const char* lineEnd;
  const char* name;  // names the style in test output
};

// The older tab layout, the blank layout of current tools, each with both
// line ends.
inline const CaptureStyle kCaptureStyles[] = {
    {"\t", "\n", "tabs, LF"},
    {"\t", "\r\n", "tabs, CRLF"},
    {"    ", "\n", "blanks, LF"},
    {"    ", "\r\n", "blanks, CRLF"},
};

inline const char kServerKeyPath[] =
    "HKEY_LOCAL_MACHINE\\Software\\Orbital Forge Software\\Starhaul Deluxe "
    "Game Server";

// Writes a registry capture key by key, as the registry tool lists them.
class CaptureBuilder {
 public:
  explicit CaptureBuilder(const CaptureStyle& style) : style_(style) {}

  // An empty line, then the key's path line.
  CaptureBuilder& key(const std::string& path) { return line("").line(path); }
  CaptureBuilder& serverKey() { return key(kServerKeyPath); }
  CaptureBuilder& gameKey(char letter) {
    return key(std::string(kServerKeyPath) + "\\Games\\" + letter);
  }

  // A REG_SZ value line of the current key.
  CaptureBuilder& value(const std::string& name, const std::string& text) {
    return line(valueLine(name, text));
  }
  // The same as the capture's last line, without a line end.
  CaptureBuilder& lastValue(const std::string& name, const std::string& text) {
    text_ += valueLine(name, text);
    return *this;
  }

  CaptureBuilder& line(const std::string& raw) {
    text_ += raw + style_.lineEnd;
    return *this;
  }

  const std::string& text() const { return text_; }

 private:
  std::string valueLine(const std::string& name,
                        const std::string& text) const {
    return "    " + name + style_.separator + "REG_SZ" + style_.separator +
           text;
  }

  CaptureStyle style_;
  std::string text_;
};

}  // namespace testing_support
}  // namespace shgs

#endif  // SHGS_TESTS_SUPPORT_CAPTURE_BUILDER_H_
