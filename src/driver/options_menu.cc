#include "driver/options_menu.h"

#include <array>
#include <cctype>
#include <cstdint>
#include <iomanip>
#include <locale>
#include <string>

#include "driver/report_target.h"
#include "platform/platform.h"

namespace shgs {
namespace {

constexpr std::size_t kForumGameLimit = 5;

// Skips white space and reads one word of "in", handing each of its
// characters to "take" as it comes, so that memory does not grow with the
// word. False when the input ends before a word.
template <typename Take>
bool readWord(std::istream& in, Take take) {
  const std::istream::sentry word(in);  // flushes the screen, skips blanks
  if (!word) return false;
  const auto& types = std::use_facet<std::ctype<char>>(in.getloc());
  std::streambuf& input = *in.rdbuf();
  for (auto c = input.sgetc(); !std::streambuf::traits_type::eq_int_type(
           c, std::streambuf::traits_type::eof());
       c = input.snextc()) {
    const char key = std::streambuf::traits_type::to_char_type(c);
    if (types.is(std::ctype_base::space, key)) return true;
    take(key);
  }
  in.setstate(std::ios::eofbit);
  return true;
}

// What a word's keys do. Toggles undo each other in pairs and the file
// name prompts take the words after it, so a word counts by its keys
// however long it is.
struct WordKeys {
  std::array<bool, 256> toggled{};  // odd number of times, by upper case
  std::uint64_t fileNamePrompts = 0;
  bool finishes = false;

  void add(char key) {
    if (key == '$') {
      ++fileNamePrompts;
    } else if (key == '!') {
      finishes = true;
    } else {
      const auto index = static_cast<unsigned char>(
          std::toupper(static_cast<unsigned char>(key)));
      toggled[index] = !toggled[index];
    }
  }
  bool isToggled(char key) const {
    return toggled[static_cast<unsigned char>(key)];
  }
};

class OptionsMenu {
 public:
  OptionsMenu(const ServerSnapshot& snapshot, ExportOptions& options,
              std::istream& in, std::ostream& out)
      : snapshot_(snapshot), options_(options), in_(in), out_(out) {
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
      if (!snapshot.isGameUnavailable(letter)) listedLetters_ += letter;
    }
    acceptedChars_ = "*%$!^#";
    for (char letter : listedLetters_) {
      acceptedChars_ += static_cast<char>(std::tolower(letter));
    }
    acceptedChars_ += listedLetters_;
  }

  // One pass; false when the input ended.
  bool runPass(const std::function<void()>& clearConsole) {
    clearConsole();
    out_ << std::left << std::boolalpha;
    drawScreen();
    WordKeys keys;
    if (!readWord(in_, [&](char key) {
          if (acceptedChars_.find(key) != std::string::npos) keys.add(key);
        })) {
      return false;
    }
    if (!actOnWord(keys)) return false;
    clearConsole();
    if (finished_ && needsForumWarning() && !confirmForumWarning()) {
      return false;
    }
    writePostPassText();
    return true;
  }

  bool finished() const { return finished_; }

 private:
  void drawScreen() {
    out_ << "Welcome to the Starhaul Game Server Game Data Exporter, brought "
            "to you by\n"
         << "Dana Whitlock (aka Quillon).  Simply choose the games you wish "
            "included in\n"
         << "the output file.\n"
         << "\n";
    out_ << "    " << std::setw(31) << "Game" << std::setw(41) << "Directory"
         << "\n";
    for (char letter : listedLetters_) {
      out_ << "(" << letter << ") " << std::setw(31)
           << consoleText(snapshot_.gameTitle(letter), 30) << std::setw(41)
           << consoleText(snapshot_.gameDirectory(letter), 40) << "\n";
    }
    out_ << "\n"
         << "Game data currently included: " << selectionText() << "\n"
         << "\n"
         << "(^) Toggle all games\n"
         << "(*) Global data included: " << options_.globalDataIncluded << "\n"
         << "(%) Formatted for OFS forum: " << isForum() << "\n"
         << "(#) Include stock price data: " << options_.includeStockPriceData
         << "\n"
         << "($) Filename to output: " << consoleText(options_.outputFileName)
         << "\n"
         << "(!) Done entering options. Begin processing.\n"
         << "\n"
         << "Enter game letter(s) to include and/or option(s) to toggle: "
         << std::flush;
  }

  std::string selectionText() const {
    if (options_.selectedGames.empty()) return "None!";
    return std::string(options_.selectedGames.begin(),
                       options_.selectedGames.end());
  }

  // Acts on the keys of a word: each "$" asks for a file name, read as the
  // next word; then the toggles and "!" take effect. Each "^" stands for the
  // listed letters appended to the word, which toggle every listed game once
  // at its end. False when the input ended at the file name prompt.
  bool actOnWord(const WordKeys& keys) {
    for (std::uint64_t i = 0; i < keys.fileNamePrompts; ++i) {
      if (!readFileName()) return false;
    }
    if (keys.finishes) finished_ = true;
    for (const char key : std::string("#%*") + listedLetters_) {
      if (keys.isToggled(key)) actOnKey(key);
    }
    if (keys.isToggled('^')) {
      for (const char letter : listedLetters_) toggleGame(letter);
    }
    return true;
  }

  // A name longer than any the host can create is kept only so far, and
  // refused when the report is made.
  bool readFileName() {
    out_ << "Enter new output filename: " << std::flush;
    std::string name;
    if (!readWord(in_, [&name](char c) {
          if (name.size() <= kMaxReportNameLength) name += c;
        })) {
      return false;
    }
    options_.outputFileName = std::move(name);
    return true;
  }

  void actOnKey(char key) {
    switch (key) {
      case '!':
        finished_ = true;
        break;
      case '#':
        options_.includeStockPriceData = !options_.includeStockPriceData;
        break;
      case '%':
        options_.format =
            isForum() ? ReportFormat::kPlain : ReportFormat::kForum;
        break;
      case '*':
        options_.globalDataIncluded = !options_.globalDataIncluded;
        break;
      default:
        toggleGame(static_cast<char>(std::toupper(key)));
    }
  }

  void toggleGame(char letter) {
    if (options_.selectedGames.erase(letter) == 0) {
      options_.selectedGames.insert(letter);
    }
  }

  // The menu writes the forum's report or the plain one.
  bool isForum() const { return options_.format == ReportFormat::kForum; }

  bool needsForumWarning() const {
    return isForum() && options_.selectedGames.size() > kForumGameLimit;
  }

  // False when the input ended before an answer.
  bool confirmForumWarning() {
    out_ << "\n"
         << "Over 5 games per output intended for posting on the OFS forum is "
            "not\n"
         << "recommended due to OFS forum software limitations.  For best "
            "results,\n"
         << "consider producing one file per 5 games, with globals included "
            "only\n"
         << "in the first file.  Proceed anyway? " << std::flush;
    std::string answer;
    if (!readWord(in_, [&answer](char c) {
          if (answer.empty()) answer = c;
        })) {
      return false;
    }
    finished_ = answer[0] == 'y' || answer[0] == 'Y';
    return true;
  }

  void writePostPassText() {
    if (isForum()) {
      out_ << "\n"
           << "To post onto the OFS forum:  Open the output file in notepad, "
              "press\n"
           << "Ctrl-A followed by Ctrl-C to copy the entire file into the "
              "clipboard,\n"
           << "then (with the cursor in an OFS forum post textbox) press "
              "Ctrl-V to\n"
           << "paste the table into the forum.\n";
    } else {
      out_ << "\n"
           << "If the notepad output does not appear properly aligned, change "
              "the\n"
           << "font to Lucida Console or Terminal.  These are fixed-width "
              "fonts\n"
           << "and will allow for proper formatting.\n";
    }
    out_ << std::flush;
  }

  const ServerSnapshot& snapshot_;
  ExportOptions& options_;
  std::istream& in_;
  std::ostream& out_;
  std::string listedLetters_;
  std::string acceptedChars_;
  bool finished_ = false;
};

}  // namespace

MenuResult runOptionsMenu(const ServerSnapshot& snapshot,
                          ExportOptions& options, std::istream& in,
                          std::ostream& out,
                          const std::function<void()>& clearConsole) {
  OptionsMenu menu(snapshot, options, in, out);
  do {
    if (!menu.runPass(clearConsole)) return MenuResult::kInputEnded;
  } while (!menu.finished());
  return MenuResult::kFinished;
}

}  // namespace shgs
