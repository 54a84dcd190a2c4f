#ifndef SHGS_TESTS_UNIT_CAPTURE_BUILDER_H_
#define SHGS_TESTS_UNIT_CAPTURE_BUILDER_H_

#include <ostream>
#include <string>

namespace shgs {
namespace testing_support {

// How the registry tool lays out a value line, and the line end it writes.
struct CaptureStyle {
  enum class Layout {
    kTab,     // "    Name\tREG_SZ\tText"
    kBlanks,  // "    Name    REG_SZ    Text", as current tools write it
  };
  Layout layout;
  const char* lineEnd;
  const char* name;  // names the style in test output
};

inline const CaptureStyle kCaptureStyles[] = {
    {CaptureStyle::Layout::kTab, "\n", "TabLf"},
    {CaptureStyle::Layout::kTab, "\r\n", "TabCrLf"},
    {CaptureStyle::Layout::kBlanks, "\n", "BlanksLf"},
    {CaptureStyle::Layout::kBlanks, "\r\n", "BlanksCrLf"},
};

inline std::ostream& operator<<(std::ostream& out, const CaptureStyle& style) {
  return out << style.name;
}

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
    const bool tab = style_.layout == CaptureStyle::Layout::kTab;
    const char* separator = tab ? "\t" : "    ";
    return line("    " + name + separator + "REG_SZ" + separator + text);
  }

  CaptureBuilder& line(const std::string& raw) {
    text_ += raw + style_.lineEnd;
    return *this;
  }

  // Bytes appended as they are, without a line end.
  CaptureBuilder& raw(const std::string& bytes) {
    text_ += bytes;
    return *this;
  }

  const std::string& text() const { return text_; }

 private:
  CaptureStyle style_;
  std::string text_;
};

}  // namespace testing_support
}  // namespace shgs

#endif  // SHGS_TESTS_UNIT_CAPTURE_BUILDER_H_
