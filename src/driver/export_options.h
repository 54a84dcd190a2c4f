#ifndef SHGS_DRIVER_EXPORT_OPTIONS_H_
#define SHGS_DRIVER_EXPORT_OPTIONS_H_

#include <set>
#include <string>

namespace shgs {

// The operator's choices for one run, made on the options menu.
struct ExportOptions {
  std::set<char> selectedGames;  // upper-case letters, iterated A to Z
  bool globalDataIncluded = true;
  bool forumFormatted = true;
  bool includeStockPriceData = false;
  std::string outputFileName = "SHGS Game Data.TXT";
};

// The process-wide instance. The menu fills it; the report writers read it
// (writeRow on every call). Tests reset it to ExportOptions() before use.
ExportOptions& exportOptions();

}  // namespace shgs

#endif  // SHGS_DRIVER_EXPORT_OPTIONS_H_
