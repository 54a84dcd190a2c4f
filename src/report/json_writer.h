#ifndef SHGS_REPORT_JSON_WRITER_H_
#define SHGS_REPORT_JSON_WRITER_H_

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>

#include "report/report_writer.h"

namespace shgs {

// The report as one JSON object for programs, as docs/report.schema.json
// describes it: the program's version, the report's time ("now"), the
// server section and the games, each setting with its key, label, typed
// value and unit. Every string is valid UTF-8.
std::unique_ptr<ReportWriter> makeJsonWriter(std::ostream& out,
                                             std::int64_t now);

// A setting's key: the words of its label (runs of letters and digits) in
// camel case, the first word in lower case and each later one with its
// first letter in upper case ("Days Until Deletion:" gives
// "daysUntilDeletion", "TWarp II drive cost:" gives "twarpIIDriveCost").
// "Times Class0/9 Blown:", whose words would run together, gives
// "timesClass0Or9Blown".
std::string settingKey(const std::string& label);

}  // namespace shgs

#endif  // SHGS_REPORT_JSON_WRITER_H_
