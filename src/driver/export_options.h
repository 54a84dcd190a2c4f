#ifndef SHGS_DRIVER_EXPORT_OPTIONS_H_
#define SHGS_DRIVER_EXPORT_OPTIONS_H_

#include <string>

#include "report/report.h"

namespace shgs {

// The operator's choices for one run, made on the options menu or the
// command line: what the report holds (selectedGames, globalDataIncluded,
// format, includeStockPriceData) and where it goes. The run owns them; the
// report gets what they hold as a ReportContents.
struct ExportOptions : ReportContents {
  std::string outputFileName = "SHGS Game Data.TXT";
};

}  // namespace shgs

#endif  // SHGS_DRIVER_EXPORT_OPTIONS_H_
