#ifndef SHGS_TESTS_UNIT_REPORT_TEST_HELPERS_H_
#define SHGS_TESTS_UNIT_REPORT_TEST_HELPERS_H_

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "datafiles/record_encoding.h"
#include "driver/export_options.h"
#include "platform/platform.h"
#include "report/row_writer.h"

namespace shgs {
namespace report_test {

// Record bytes built field by field, little-endian like the server's files.
class RecordBuilder {
 public:
  RecordBuilder& u8(std::size_t offset, std::uint8_t value) {
    bytes_[offset] = value;
    return *this;
  }
  RecordBuilder& u16(std::size_t offset, std::uint16_t value) {
    u8(offset, static_cast<std::uint8_t>(value & 0xFF));
    return u8(offset + 1, static_cast<std::uint8_t>(value >> 8));
  }
  RecordBuilder& u32(std::size_t offset, std::uint32_t value) {
    u16(offset, static_cast<std::uint16_t>(value & 0xFFFF));
    return u16(offset + 2, static_cast<std::uint16_t>(value >> 16));
  }
  RecordBuilder& text(std::size_t offset, const std::string& value) {
    u8(offset, static_cast<std::uint8_t>(value.size()));
    for (std::size_t i = 0; i < value.size(); ++i) {
      u8(offset + 1 + i, static_cast<std::uint8_t>(value[i]));
    }
    return *this;
  }
  const RecordBytes& bytes() const { return bytes_; }

 private:
  RecordBytes bytes_{};
};

// One registry value line of a capture, as the console registry tool lists
// it.
inline std::string valueLine(const std::string& name,
                             const std::string& value) {
  return "    " + name + "    REG_SZ    " + value + "\n";
}

constexpr char kServerKeyPath[] =
    "HKEY_LOCAL_MACHINE\\Software\\Orbital Forge Software\\Starhaul Deluxe "
    "Game Server";

// The path lines of the server's key and of a game's key, each after a blank
// line.
inline std::string serverKeyLine() {
  return std::string("\n") + kServerKeyPath + "\n";
}
inline std::string gameKeyLine(char letter) {
  return std::string("\n") + kServerKeyPath + "\\Games\\" + letter + "\n";
}

// Resets the process-wide options and colour around each test, and gives a
// report stream in the state the options menu leaves standard output in.
class ReportTest : public ::testing::Test {
 protected:
  void SetUp() override { resetReportState(); }
  void TearDown() override { resetReportState(); }

  ExportOptions& options() { return exportOptions(); }
  void setForum(bool forum) { exportOptions().forumFormatted = forum; }

  // The text written so far, taken out of the stream.
  std::string written() {
    std::string text = out_.str();
    out_.str("");
    return text;
  }

  std::ostringstream out_;

 private:
  void resetReportState() {
    exportOptions() = ExportOptions();
    currentColour() = "white";
    out_.str("");
    out_.clear();
    out_ << std::left << std::boolalpha;
  }
};

// Standard error captured for the lifetime of the object.
class CapturedStandardError {
 public:
  CapturedStandardError() : saved_(std::cerr.rdbuf(text_.rdbuf())) {}
  ~CapturedStandardError() { std::cerr.rdbuf(saved_); }
  CapturedStandardError(const CapturedStandardError&) = delete;
  CapturedStandardError& operator=(const CapturedStandardError&) = delete;

  std::string text() const { return text_.str(); }

 private:
  std::ostringstream text_;
  std::streambuf* saved_;
};

// A plain row as the row writer lays it out, for checking whole lines of a
// section: labels and values right-aligned in 21 and 8, the first unit
// left-aligned in 11.
inline std::string plainRow(const std::string& label1,
                            const std::string& value1, const std::string& unit1,
                            const std::string& label2,
                            const std::string& value2,
                            const std::string& unit2) {
  auto right = [](const std::string& text, std::size_t width) {
    return std::string(width > text.size() ? width - text.size() : 0, ' ') +
           text;
  };
  const std::string leftUnit =
      unit1 + std::string(unit1.size() < 11 ? 11 - unit1.size() : 0, ' ');
  return right(label1, 21) + right(value1, 8) + leftUnit + right(label2, 21) +
         right(value2, 8) + unit2;
}

// A platform whose Windows paths name files below "root": backslashes become
// slashes and nothing else changes, so a test sees the exact path asked for.
class DirectoryPlatform : public Platform {
 public:
  explicit DirectoryPlatform(std::string root) : root_(std::move(root)) {}

  void clearConsole() override {}
  void captureRegistry() override {}
  bool removeFile(const std::string&) override { return false; }
  std::string currentDirectory() override { return root_; }
  bool changeDirectory(const std::string&) override { return false; }
  std::string hostPath(const std::string& windowsPath) override {
    requestedPaths.push_back(windowsPath);
    std::string path = windowsPath;
    for (char& c : path) {
      if (c == '\\') c = '/';
    }
    return root_ + "/" + path;
  }
  std::string joinPath(const std::string& directory,
                       const std::string& name) override {
    return directory + "/" + name;
  }
  bool isDirectory(const std::string& hostPath) override {
    std::error_code ignored;
    return std::filesystem::is_directory(hostPath, ignored);
  }
  void startViewer(const std::string&) override {}

  std::vector<std::string> requestedPaths;

 private:
  std::string root_;
};

// Splits "text" at line feeds; the pieces keep no line end.
inline std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace report_test
}  // namespace shgs

#endif  // SHGS_TESTS_UNIT_REPORT_TEST_HELPERS_H_
