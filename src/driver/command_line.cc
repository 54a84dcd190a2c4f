#include "driver/command_line.h"

#include <getopt.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <iostream>

#include "driver/messages.h"
#include "platform/ascii_case.h"
#include "platform/platform.h"
#include "version.h"

namespace shgs {
namespace {

constexpr char kProgram[] = "shgs-exporter";

enum OptionCode {
  kVersionOption = 256,
  kGames,
  kFormat,
  kPlain,
  kStock,
  kNoServer,
  kOutput,
  kListGames,
  kCheck
};

constexpr option kOptions[] = {
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, kVersionOption},
    {"games", required_argument, nullptr, kGames},
    {"format", required_argument, nullptr, kFormat},
    {"plain", no_argument, nullptr, kPlain},
    {"stock", no_argument, nullptr, kStock},
    {"no-server", no_argument, nullptr, kNoServer},
    {"output", required_argument, nullptr, kOutput},
    {"list-games", no_argument, nullptr, kListGames},
    {"check", no_argument, nullptr, kCheck},
    {nullptr, 0, nullptr, 0},
};

void fail(CommandLine* line, const std::string& problem) {
  if (line->action == CommandLine::Action::kBadUsage) return;
  line->action = CommandLine::Action::kBadUsage;
  line->problem = problem;
}

// "all", or letters in any case; a --games given again adds its games.
void takeGames(const std::string& value, CommandLine* line) {
  if (value.empty()) fail(line, "no letters for '--games'");
  if (equalsIgnoringCase(value, "all")) {
    line->games = "all";
    return;
  }
  std::string letters;
  for (const char c : value) {
    if (!std::isalpha(static_cast<unsigned char>(c)) ||
        static_cast<unsigned char>(c) >= 0x80) {
      fail(line, std::string("invalid letters '") + value + "' for '--games'");
      return;
    }
    letters += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  if (line->games != "all") line->games += letters;
}

// One of the format names, as written.
void takeFormat(const std::string& value, CommandLine* line) {
  static constexpr struct {
    const char* name;
    ReportFormat format;
  } kFormats[] = {{"forum", ReportFormat::kForum},
                  {"plain", ReportFormat::kPlain},
                  {"markdown", ReportFormat::kMarkdown},
                  {"html", ReportFormat::kHtml},
                  {"json", ReportFormat::kJson}};
  for (const auto& known : kFormats) {
    if (value == known.name) {
      line->options.format = known.format;
      return;
    }
  }
  fail(line, "invalid format '" + value + "' for '--format'");
}

void takeOption(int code, CommandLine* line) {
  ExportOptions& options = line->options;
  switch (code) {
    case 'h':
      if (line->action == CommandLine::Action::kRun) {
        line->action = CommandLine::Action::kHelp;
      }
      return;
    case kVersionOption:
      if (line->action == CommandLine::Action::kRun) {
        line->action = CommandLine::Action::kVersion;
      }
      return;
    case kGames:
      takeGames(optarg, line);
      break;
    case kFormat:
      takeFormat(optarg, line);
      break;
    case kPlain:
      options.format = ReportFormat::kPlain;
      break;
    case kStock:
      options.includeStockPriceData = true;
      break;
    case kNoServer:
      options.globalDataIncluded = false;
      break;
    case kOutput:
      options.outputFileName = optarg;
      break;
    case kListGames:
      line->listGames = true;
      break;
    case kCheck:
      line->check = true;
      break;
  }
  line->interactive = false;
}

// The option as it was given, for the message about it: a short one by its
// letter, a long one as typed.
std::string given(char** argv) {
  if (optopt > 0 && optopt < 256)
    return std::string("-") + static_cast<char>(optopt);
  return argv[optind - 1];
}

// A report of nothing, or a game list that also writes a report, is no
// run anybody means.
void checkTheRunMakesSense(CommandLine* line) {
  if (line->listGames && line->check) {
    fail(line, "'--list-games' and '--check' cannot go together");
  }
  if (!line->listGames && !line->interactive && line->games.empty() &&
      !line->options.globalDataIncluded) {
    fail(line, "no '--games' and '--no-server': the report would be empty");
  }
}

// The letters of "letters" as one word.
std::string quoted(const std::string& letters) { return "'" + letters + "'"; }

}  // namespace

CommandLine parseCommandLine(int argc, char** argv) {
  CommandLine line;
  if (argc == 2 && isHelpSwitch(argv[1])) {
    line.action = CommandLine::Action::kHelp;
    return line;
  }
  opterr = 0;  // the messages are the program's own
  optind = 1;
  for (int code;
       (code = getopt_long(argc, argv, ":h", kOptions, nullptr)) != -1;) {
    if (code == '?') {
      fail(&line, "unrecognized option '" + given(argv) + "'");
    } else if (code == ':') {
      fail(&line, "option '" + given(argv) + "' requires an argument");
    } else {
      takeOption(code, &line);
    }
  }
  if (optind < argc)
    fail(&line, std::string("unexpected argument '") + argv[optind] + "'");
  checkTheRunMakesSense(&line);
  return line;
}

bool chooseGames(const ServerSnapshot& snapshot, CommandLine* line) {
  std::string unlisted;
  std::string listed;
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    if (!snapshot.isGameUnavailable(letter)) listed += letter;
    const bool wanted = line->games == "all"
                            ? !snapshot.isGameUnavailable(letter)
                            : line->games.find(letter) != std::string::npos;
    if (!wanted) continue;
    if (snapshot.isGameUnavailable(letter)) {
      unlisted += letter;
    } else {
      line->options.selectedGames.insert(letter);
    }
  }
  if (unlisted.empty()) return true;
  line->problem =
      std::string("no listed game has the letter") +
      (unlisted.size() > 1 ? "s " : " ") + quoted(unlisted) +
      " of '--games' (listed: " + (listed.empty() ? "none" : listed) + ")";
  return false;
}

std::string usageText() {
  return std::string("Usage: ") + kProgram + R"( [OPTION]...
Writes the settings of the SHGS game server installed on this machine into
one report: a fixed-width table, plain or with forum mark-up, or Markdown,
a web page or JSON.

Without options a menu asks what the report holds, and the report is shown
when it is written. Any of these options writes it without the menu, asking
and showing nothing, and making no file but the report:
  --games LETTERS  the games of these letters (in any case), or 'all'; given
                   again, adds its games; none when not given
  --format FORMAT  forum (the default), plain, markdown, html or json
  --plain          the same as --format plain
  --stock          list the costs left at their stock price too
  --no-server      leave out the server-wide settings
  --output FILE    the report's file, by default 'SHGS Game Data.TXT'; a
                   relative name is taken in the folder the program starts
                   in; '-' is standard output
  --check          do all a run would do but write the report, and end with
                   the exit status the run would have
  --list-games     list the server's games instead, one a line: letter,
                   title and folder, separated by tabs (with --format json,
                   as JSON)

  -h, --help       show this help and end
      --version    show the version and end

Exit status: 0 when the report was written (or the games listed, the run
checked), 1 when a problem ended the run (its message says which), 2 when
the command line was not understood, 3 when a letter of --games is no
listed game's.
)";
}

std::string versionText() { return std::string(kProgram) + " " + kVersion; }

// As GNU tools do: the problem, and where the usage is, not the usage.
int badUsage(const std::string& problem) {
  std::cerr << kProgram << ": " << consoleText(problem) << "\n"
            << "Try '" << kProgram << " --help'.\n"
            << std::flush;
  return kUsageError;
}

int answer(const std::string& text, const std::string& what) {
  errno = 0;
  std::cout << text << std::flush;
  if (std::cout) return kReportWritten;
  const int error = errno != 0 ? errno : EIO;
  std::cerr << logLine(failureLine("standard output", std::strerror(error)),
                       "Failed to write " + what + ".")
            << std::flush;
  return kRunFailed;
}

}  // namespace shgs
