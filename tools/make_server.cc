// shgs-make-server [--reg FILE] DESCRIPTION PREFIX: builds a sample server
// (registry, data files, description files) inside a Wine-style prefix from a
// readable description, and with --reg also the server's keys as a .reg file
// for a registry editor. The format is in tools/README.md.

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "record_builder.h"
#include "record_fields.h"

namespace fs = std::filesystem;
using shgs::sample::RecordBuilder;
using shgs::sample::RecordKind;

namespace {

struct Entry {
  std::string key;
  std::string value;
  int line;
};

struct Section {
  std::string kind;  // "registry", "game", "shglob", "shcfig", "dir", "file"
  std::string argument;  // the game letter or the path
  int line = 0;
  std::vector<Entry> entries;
  std::vector<std::string> fileLines;  // [file] only
  bool crlf = false;
  bool finalLineEnd = true;
};

// What went wrong, with the line of the description it concerns.
struct Failure {
  int line;
  std::string message;
};

using Values = std::vector<std::pair<std::string, std::string>>;

std::string trim(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  const auto last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

// A value in double quotes keeps its blanks; \" and \\ stand for " and \.
bool unquote(const std::string& text, std::string* value) {
  if (text.size() < 2 || text.front() != '"' || text.back() != '"') {
    *value = text;
    return true;
  }
  value->clear();
  for (std::size_t i = 1; i + 1 < text.size(); ++i) {
    if (text[i] == '\\') {
      if (i + 2 >= text.size()) return false;
      ++i;
      if (text[i] != '"' && text[i] != '\\') return false;
    } else if (text[i] == '"') {
      return false;
    }
    value->push_back(text[i]);
  }
  return true;
}

// ---- Reading the description ----------------------------------------------

class DescriptionParser {
 public:
  bool parse(std::istream& in, std::vector<Section>* sections, Failure* err);

 private:
  bool startSection(const std::string& header, Failure* err);
  bool addEntry(const std::string& text, Failure* err);
  void addFileLine(const std::string& text);

  std::vector<Section> sections_;
  int line_ = 0;
  bool inFile_ = false;
  bool fileOptionsAllowed_ = false;
};

bool DescriptionParser::parse(std::istream& in, std::vector<Section>* sections,
                              Failure* err) {
  std::string text;
  while (std::getline(in, text)) {
    ++line_;
    if (!text.empty() && text.back() == '\r') text.pop_back();
    if (inFile_) {
      addFileLine(text);
      continue;
    }
    const std::string trimmed = trim(text);
    if (trimmed.empty() || trimmed[0] == '#') continue;
    const bool ok =
        trimmed[0] == '[' ? startSection(trimmed, err) : addEntry(trimmed, err);
    if (!ok) return false;
  }
  if (inFile_) {
    *err = {sections_.back().line, "[file] section without [end]"};
    return false;
  }
  *sections = std::move(sections_);
  return true;
}

bool DescriptionParser::startSection(const std::string& header, Failure* err) {
  if (header.back() != ']') {
    *err = {line_, "malformed section line"};
    return false;
  }
  const std::string inner = trim(header.substr(1, header.size() - 2));
  const auto blank = inner.find(' ');
  Section section;
  section.kind = inner.substr(0, blank);
  section.argument =
      blank == std::string::npos ? "" : trim(inner.substr(blank));
  section.line = line_;
  static const std::map<std::string, bool> kTakesArgument = {
      {"registry", false}, {"shglob", false}, {"game", true},
      {"shcfig", true},    {"dir", true},     {"file", true}};
  const auto kind = kTakesArgument.find(section.kind);
  if (kind == kTakesArgument.end() ||
      kind->second == section.argument.empty()) {
    *err = {line_, "unknown section [" + inner + "]"};
    return false;
  }
  inFile_ = fileOptionsAllowed_ = section.kind == "file";
  sections_.push_back(std::move(section));
  return true;
}

bool DescriptionParser::addEntry(const std::string& text, Failure* err) {
  const auto equals = text.find('=');
  if (sections_.empty() || sections_.back().kind == "dir" ||
      equals == std::string::npos) {
    *err = {line_, "expected a section or a key = value line"};
    return false;
  }
  Entry entry{trim(text.substr(0, equals)), "", line_};
  if (entry.key.empty() ||
      !unquote(trim(text.substr(equals + 1)), &entry.value)) {
    *err = {line_, "malformed key = value line"};
    return false;
  }
  sections_.back().entries.push_back(std::move(entry));
  return true;
}

void DescriptionParser::addFileLine(const std::string& text) {
  Section& section = sections_.back();
  if (text == "[end]") {
    inFile_ = false;
  } else if (fileOptionsAllowed_ && text == "@crlf") {
    section.crlf = true;
  } else if (fileOptionsAllowed_ && text == "@noeol") {
    section.finalLineEnd = false;
  } else {
    fileOptionsAllowed_ = false;
    section.fileLines.push_back(text);
  }
}

// ---- Windows paths ----------------------------------------------------------

// "C:\a\b" as the path below "prefix"/drive_c. Only drive C exists, and no
// component may climb out of it.
bool hostPathOf(const fs::path& prefix, const std::string& windowsPath,
                fs::path* hostPath) {
  if (windowsPath.size() < 2 || std::toupper(windowsPath[0]) != 'C' ||
      windowsPath[1] != ':') {
    return false;
  }
  fs::path result = prefix / "drive_c";
  std::stringstream rest(windowsPath.substr(2));
  std::string component;
  while (std::getline(rest, component, '\\')) {
    if (component == "..") return false;
    if (!component.empty() && component != ".") result /= component;
  }
  *hostPath = result;
  return true;
}

// ---- The registry -----------------------------------------------------------

struct RegistryKey {
  std::vector<std::string> path;  // components below HKEY_LOCAL_MACHINE
  Values values;
  bool hasSubkeys = false;
};

std::string lowerCase(std::string text) {
  for (char& c : text)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// Wine's order: depth first, siblings by name regardless of case, so every
// parent comes before its children.
bool keyOrder(const RegistryKey& a, const RegistryKey& b) {
  std::vector<std::string> left, right;
  for (const auto& c : a.path) left.push_back(lowerCase(c));
  for (const auto& c : b.path) right.push_back(lowerCase(c));
  return left < right;
}

std::string escaped(const std::string& text, const std::string& special) {
  std::string result;
  for (char c : text) {
    if (c == '\\' || special.find(c) != std::string::npos) result += '\\';
    result += c;
  }
  return result;
}

void writeKey(std::ostream& out, const RegistryKey& key) {
  // A fixed time keeps generated prefixes identical from run to run.
  constexpr long long kUnixTime = 1700000000;
  constexpr long long kFileTime = (kUnixTime + 11644473600LL) * 10000000LL;
  std::string path;
  for (const auto& component : key.path) {
    path += (path.empty() ? "" : "\\\\") + escaped(component, "[]");
  }
  out << "\n[" << path << "] " << kUnixTime << "\n#time=" << std::hex
      << kFileTime << std::dec << "\n";
  for (const auto& [name, value] : key.values) {
    out << '"' << escaped(name, "\"") << "\"=\"" << escaped(value, "\"")
        << "\"\n";
  }
}

// Keys with values, and keys without subkeys, are written; the others exist
// through their subkeys, as in the files Wine saves.
void writeSystemReg(std::ostream& out, std::vector<RegistryKey> keys,
                    bool win64) {
  out << "WINE REGISTRY Version 2\n;; All keys relative to "
         "\\\\Machine\n\n#arch="
      << (win64 ? "win64" : "win32") << "\n";
  std::sort(keys.begin(), keys.end(), keyOrder);
  for (const RegistryKey& key : keys) {
    if (!key.values.empty() || !key.hasSubkeys) writeKey(out, key);
  }
}

// The keys as a registry editor imports them: REGEDIT4, CR LF line ends,
// every key named in full below HKEY_LOCAL_MACHINE.
void writeRegFile(std::ostream& out, std::vector<RegistryKey> keys) {
  out << "REGEDIT4\r\n";
  std::sort(keys.begin(), keys.end(), keyOrder);
  for (const RegistryKey& key : keys) {
    out << "\r\n[HKEY_LOCAL_MACHINE";
    for (const auto& component : key.path) out << "\\" << component;
    out << "]\r\n";
    for (const auto& [name, value] : key.values) {
      out << '"' << escaped(name, "\"") << "\"=\"" << escaped(value, "\"")
          << "\"\r\n";
    }
  }
}

// ---- The whole server -------------------------------------------------------

struct Record {
  RecordBuilder builder;
  std::string fileName;
  std::size_t size = shgs::sample::kSampleRecordSize;
};

class ServerBuilder {
 public:
  ServerBuilder(fs::path prefix, fs::path regFile)
      : prefix_(std::move(prefix)), regFile_(std::move(regFile)) {}
  bool build(const std::vector<Section>& sections, Failure* err);

 private:
  bool readRegistry(const Section& section, Failure* err);
  bool applyRecordSection(const Section& section, Failure* err);
  bool applyRecordEntry(const Entry& entry, Record* record, Failure* err);
  bool recordDirectory(const Section& section, fs::path* directory,
                       Failure* err);
  bool writeRegistry(Failure* err);
  bool writeSectionFiles(const Section& section, Failure* err);
  bool writeRecord(const fs::path& directory, const Record& record,
                   Failure* err);
  std::vector<RegistryKey> registryKeys(bool inWow6432Node) const;

  fs::path prefix_;
  fs::path regFile_;  // empty: no .reg file
  Values serverValues_;
  std::map<std::string, Values> games_;  // by the letter as written
  std::string view_ = "default";
  bool absent_ = false;
};

bool fileFailure(Failure* err, int line, const std::string& what,
                 const fs::path& path) {
  *err = {line, "cannot " + what + " " + path.string()};
  return false;
}

// drive_c and the link dosdevices/c: that Wine finds it by.
bool makeDriveC(const fs::path& prefix, Failure* err) {
  const fs::path link = prefix / "dosdevices" / "c:";
  std::error_code ec;
  if (!fs::create_directories(prefix / "drive_c", ec) && ec) {
    return fileFailure(err, 0, "create", prefix / "drive_c");
  }
  if (!fs::create_directories(link.parent_path(), ec) && ec) {
    return fileFailure(err, 0, "create", link.parent_path());
  }
  if (fs::is_symlink(link)) return true;
  fs::create_directory_symlink("../drive_c", link, ec);
  return ec ? fileFailure(err, 0, "create", link) : true;
}

bool ServerBuilder::build(const std::vector<Section>& sections, Failure* err) {
  for (const Section& section : sections) {
    if (!readRegistry(section, err)) return false;
  }
  if (!makeDriveC(prefix_, err) || !writeRegistry(err)) return false;
  for (const Section& section : sections) {
    if (!writeSectionFiles(section, err)) return false;
  }
  return true;
}

bool ServerBuilder::readRegistry(const Section& section, Failure* err) {
  if (section.kind != "registry" && section.kind != "game") return true;
  Values& values =
      section.kind == "game" ? games_[section.argument] : serverValues_;
  for (const Entry& entry : section.entries) {
    if (section.kind == "game" || entry.key[0] != '@') {
      values.emplace_back(entry.key, entry.value);
    } else if (entry.key == "@view" &&
               (entry.value == "32" || entry.value == "64")) {
      view_ = entry.value;
    } else if (entry.key == "@absent" &&
               (entry.value == "true" || entry.value == "false")) {
      absent_ = entry.value == "true";
    } else {
      *err = {entry.line, "unknown registry option " + entry.key};
      return false;
    }
  }
  return true;
}

// Registry value names are matched regardless of case, as Windows does.
std::string lookup(const Values& values, const std::string& name) {
  for (const auto& [key, value] : values) {
    if (lowerCase(key) == lowerCase(name)) return value;
  }
  return std::string();
}

std::vector<RegistryKey> ServerBuilder::registryKeys(bool inWow6432Node) const {
  std::vector<std::string> root = {"Software", "Orbital Forge Software",
                                   "Starhaul Deluxe Game Server"};
  if (inWow6432Node) root.insert(root.begin() + 1, "Wow6432Node");
  std::vector<RegistryKey> keys = {{root, serverValues_, !games_.empty()}};
  if (!games_.empty()) {
    std::vector<std::string> gamesPath = root;
    gamesPath.push_back("Games");
    keys.push_back({gamesPath, {}, true});
    for (const auto& [letter, values] : games_) {
      std::vector<std::string> path = gamesPath;
      path.push_back(letter);
      keys.push_back({path, values, false});
    }
  }
  return keys;
}

bool ServerBuilder::writeRegistry(Failure* err) {
  const fs::path path = prefix_ / "system.reg";
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  std::vector<RegistryKey> keys;
  if (!absent_) keys = registryKeys(view_ == "32");
  writeSystemReg(out, keys, view_ != "default");
  out.close();
  if (!out) return fileFailure(err, 0, "write", path);
  if (regFile_.empty()) return true;
  // The importer picks the view (reg import FILE /reg:32), so the .reg file
  // names the keys below Software whatever @view says.
  std::ofstream reg(regFile_, std::ios::binary | std::ios::trunc);
  if (!absent_) keys = registryKeys(false);
  writeRegFile(reg, keys);
  reg.close();
  return reg ? true : fileFailure(err, 0, "write", regFile_);
}

bool ServerBuilder::writeSectionFiles(const Section& section, Failure* err) {
  if (section.kind == "shglob" || section.kind == "shcfig") {
    return applyRecordSection(section, err);
  }
  if (section.kind != "dir" && section.kind != "file") return true;
  fs::path path;
  if (!hostPathOf(prefix_, section.argument, &path)) {
    *err = {section.line, "not a path on drive C: " + section.argument};
    return false;
  }
  std::error_code ec;
  fs::create_directories(section.kind == "dir" ? path : path.parent_path(), ec);
  if (section.kind == "dir") {
    return ec ? fileFailure(err, section.line, "create", path) : true;
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  const char* lineEnd = section.crlf ? "\r\n" : "\n";
  for (std::size_t i = 0; i < section.fileLines.size(); ++i) {
    out << section.fileLines[i];
    if (i + 1 < section.fileLines.size() || section.finalLineEnd)
      out << lineEnd;
  }
  out.close();
  return out ? true : fileFailure(err, section.line, "write", path);
}

bool ServerBuilder::recordDirectory(const Section& section, fs::path* directory,
                                    Failure* err) {
  const std::string root = lookup(serverValues_, "ServerRoot");
  std::string windowsPath = root + "\\GAME";
  if (section.kind == "shcfig") {
    const auto game = games_.find(section.argument);
    windowsPath = game == games_.end() ? "" : lookup(game->second, "Directory");
  }
  if (hostPathOf(prefix_, windowsPath, directory)) return true;
  *err = {section.line,
          section.kind == "shcfig"
              ? "game " + section.argument + " has no Directory on drive C"
              : "ServerRoot is not on drive C"};
  return false;
}

bool ServerBuilder::applyRecordSection(const Section& section, Failure* err) {
  const bool config = section.kind == "shcfig";
  Record record{
      RecordBuilder(config ? RecordKind::kConfig : RecordKind::kGlobal),
      config ? "shcfig.dat" : "shglob.dat"};
  fs::path directory;
  if (!recordDirectory(section, &directory, err)) return false;
  for (const Entry& entry : section.entries) {
    if (!applyRecordEntry(entry, &record, err)) return false;
  }
  return writeRecord(directory, record, err);
}

// "@byte OFFSET = value".
void setByte(const std::string& offsetText, std::int64_t value,
             RecordBuilder* builder, std::string* reason) {
  std::int64_t offset = -1;
  if (!shgs::sample::parseInteger(trim(offsetText), &offset) || offset < 0 ||
      offset >= static_cast<std::int64_t>(shgs::sample::kSampleRecordSize)) {
    *reason = "byte offset out of range";
    return;
  }
  builder->setByte(static_cast<std::size_t>(offset),
                   static_cast<std::uint8_t>(value));
}

bool ServerBuilder::applyRecordEntry(const Entry& entry, Record* record,
                                     Failure* err) {
  std::int64_t number = 0;
  const bool isNumber = shgs::sample::parseInteger(entry.value, &number);
  std::string reason;
  if (entry.key == "@name" && !entry.value.empty()) {
    record->fileName = entry.value;
  } else if (entry.key == "@size" && isNumber && number >= 0) {
    record->size = static_cast<std::size_t>(number);
  } else if (entry.key.rfind("@byte ", 0) == 0 && isNumber && number >= 0 &&
             number <= 255) {
    setByte(entry.key.substr(6), number, &record->builder, &reason);
  } else if (entry.key[0] == '@') {
    reason = "bad record option " + entry.key + " = " + entry.value;
  } else {
    record->builder.setFromText(entry.key, entry.value, &reason);
  }
  if (reason.empty()) return true;
  *err = {entry.line, reason};
  return false;
}

bool ServerBuilder::writeRecord(const fs::path& directory, const Record& record,
                                Failure* err) {
  std::error_code ec;
  fs::create_directories(directory, ec);
  const fs::path path = directory / record.fileName;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  const auto& bytes = record.builder.bytes();
  const std::size_t stored = std::min(record.size, bytes.size());
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(stored));
  for (std::size_t i = stored; i < record.size; ++i) out.put('\0');
  out.close();
  return out ? true : fileFailure(err, 0, "write", path);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string regFile;
  if (args.size() == 4 && args[0] == "--reg") {
    regFile = args[1];
    args.erase(args.begin(), args.begin() + 2);
  }
  if (args.size() != 2 || args[0].rfind("--", 0) == 0) {
    std::cerr << "usage: shgs-make-server [--reg FILE] DESCRIPTION PREFIX\n";
    return 2;
  }
  const std::string& description = args[0];
  std::ifstream in(description, std::ios::binary);
  if (!in) {
    std::cerr << "shgs-make-server: cannot read " << description << "\n";
    return 1;
  }
  std::vector<Section> sections;
  Failure failure{0, ""};
  if (!DescriptionParser().parse(in, &sections, &failure) ||
      !ServerBuilder(args[1], regFile).build(sections, &failure)) {
    std::cerr << "shgs-make-server: " << description;
    if (failure.line > 0) std::cerr << ":" << failure.line;
    std::cerr << ": " << failure.message << "\n";
    return 1;
  }
  return 0;
}
