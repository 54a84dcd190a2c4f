#include "driver/export_options.h"

namespace shgs {

ExportOptions& exportOptions() {
  static ExportOptions options;
  return options;
}

}  // namespace shgs
