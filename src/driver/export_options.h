#ifndef SHGS_DRIVER_EXPORT_OPTIONS_H_
#define SHGS_DRIVER_EXPORT_OPTIONS_H_

#include <string>

#include "report/report.h"

namespace shgs {

// The operator's choices for one run, made on the options menu: what the
// report holds (selectedGames, globalDataIncluded, format,
// includeStockPriceData) and where it goes.
struct ExportOptions : ReportContents {
  std::string outputFileName = "SHGS Game Data.TXT";
};

// The process-wide instance. The menu fills it and the driver reads it;
// the report gets what it holds as a ReportContents.
ExportOptions& exportOptions();

}  // namespace shgs

#endif  // SHGS_DRIVER_EXPORT_OPTIONS_H_
