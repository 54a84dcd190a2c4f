#include "driver/command_line.h"

#include <getopt.h>

#include <cctype>
#include <iostream>

#include "platform/ascii_case.h"
#include "platform/platform.h"
#include "version.h"

namespace shgs {
namespace {

constexpr char kProgram[] = "shgs-exporter";
constexpr int kUsageStatus = 2;

enum OptionCode {
  kVersionOption = 256,
  kGames,
  kFormat,
  kPlain,
  kStock,
  kNoServer,
  kOutput
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
    {nullptr, 0, nullptr, 0},
};

void fail(CommandLine* line, const std::string& problem) {
  if (line->action == CommandLine::Action::kBadUsage) return;
  line->action = CommandLine::Action::kBadUsage;
  line->problem = problem;
}

// "all", or letters in any case.
void takeGames(const std::string& value, CommandLine* line) {
  if (equalsIgnoringCase(value, "all")) {
    line->games = "all";
    return;
  }
  line->games.clear();
  for (const char c : value) {
    if (!std::isalpha(static_cast<unsigned char>(c)) ||
        static_cast<unsigned char>(c) >= 0x80) {
      fail(line, std::string("invalid letters '") + value + "' for '--games'");
      return;
    }
    line->games +=
        static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  if (value.empty()) fail(line, "no letters for '--games'");
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
  return line;
}

bool chooseGames(const ServerSnapshot& snapshot, CommandLine* line) {
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    const bool wanted = line->games == "all"
                            ? !snapshot.isGameUnavailable(letter)
                            : line->games.find(letter) != std::string::npos;
    if (!wanted) continue;
    if (snapshot.isGameUnavailable(letter)) {
      fail(line, std::string("no listed game has the letter '") + letter +
                     "' of '--games'");
      return false;
    }
    line->options.selectedGames.insert(letter);
  }
  return true;
}

std::string usageText() {
  return std::string("Usage: ") + kProgram +
         " [OPTION]...\n"
         "Writes the settings of the SHGS game server installed on this "
         "machine into\n"
         "one report: a fixed-width table, plain or with forum mark-up, or "
         "Markdown,\n"
         "a web page or JSON.\n"
         "\n"
         "Without options a menu asks what the report holds, and the report "
         "is shown\n"
         "when it is written. Any of these options writes it without the "
         "menu, asking\n"
         "and showing nothing:\n"
         "  --games LETTERS  the games of these letters (in any case), or "
         "'all';\n"
         "                   none when not given\n"
         "  --format FORMAT  forum (the default), plain, markdown, html or "
         "json\n"
         "  --plain          the same as --format plain\n"
         "  --stock          list the costs left at their stock price too\n"
         "  --no-server      leave out the server-wide settings\n"
         "  --output FILE    the report's file, by default 'SHGS Game "
         "Data.TXT'; a\n"
         "                   relative name is taken in the folder the "
         "program starts in\n"
         "\n"
         "  -h, --help       show this help and end\n"
         "      --version    show the version and end\n"
         "\n"
         "Exit status: 0 when the report was written, 1 when a problem ended "
         "the run\n"
         "(its message says which), 2 when the command line was not "
         "understood.\n";
}

std::string versionText() { return std::string(kProgram) + " " + kVersion; }

int badUsage(const std::string& problem) {
  std::cerr << kProgram << ": " << consoleText(problem) << "\n"
            << usageText() << std::flush;
  return kUsageStatus;
}

}  // namespace shgs
