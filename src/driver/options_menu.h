#ifndef SHGS_DRIVER_OPTIONS_MENU_H_
#define SHGS_DRIVER_OPTIONS_MENU_H_

#include <functional>
#include <istream>
#include <ostream>

#include "driver/export_options.h"
#include "registry/server_snapshot.h"

namespace shgs {

enum class MenuResult { kFinished, kInputEnded };

// The options menu: passes of clearing the console (with "clearConsole"),
// drawing the screen on "out" (left adjusted, truth values as words) and
// acting on one word read from "in", until the operator finishes. Returns
// kInputEnded when "in" ran out before the operator finished.
MenuResult runOptionsMenu(const ServerSnapshot& snapshot,
                          ExportOptions& options, std::istream& in,
                          std::ostream& out,
                          const std::function<void()>& clearConsole);

}  // namespace shgs

#endif  // SHGS_DRIVER_OPTIONS_MENU_H_
