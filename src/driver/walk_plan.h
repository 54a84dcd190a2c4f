#ifndef SHGS_DRIVER_WALK_PLAN_H_
#define SHGS_DRIVER_WALK_PLAN_H_

#include <string>
#include <vector>

#include "datafiles/work_files.h"
#include "platform/platform.h"
#include "registry/server_snapshot.h"
#include "report/report.h"

namespace shgs {

// A folder the report enters, with what it reads there.
struct WalkStep {
  char letter = 0;          // the game's, or 0 for the server's GAME folder
  std::string windowsPath;  // as the program built it, for messages
  FolderPtr folder;         // nullptr when it cannot be found
  std::string why;          // why not (see Platform)
  std::string dataFile;     // "shglob.dat" or "shcfig.dat"
  FolderEntry description;  // no folder when there is none to read
};

// The folders the report enters, in the order it enters them, each found
// once before the report is begun: the server's GAME folder when global data
// is included, then each selected game's folder (a relative Directory taken
// from the folder entered before it) with its description file. A folder
// that cannot be found ends the plan, since the run never gets past it; the
// report stops there when it comes to it, after the sections before it.
class WalkPlan {
 public:
  // "workFiles": whether the run makes an error log in each folder.
  WalkPlan(Platform& platform, const ServerSnapshot& snapshot,
           const ReportContents& contents, WorkFiles workFiles);

  // The step of game "letter", or of the server for 0; nullptr when the plan
  // ended before it.
  const WalkStep* stepOf(char letter) const;

  // Every file the run reads or removes in the folders it enters, whether
  // it exists or not: the data files, the error logs (when the run makes
  // them), the descriptions; and the server's global record, read or not.
  std::vector<FolderEntry> filesUsed() const;

 private:
  bool addStep(Platform& platform, WalkStep step, const FolderPtr& base);

  std::vector<WalkStep> steps_;
  FolderEntry globalRecord_;  // when the run does not read it
  WorkFiles workFiles_;
};

}  // namespace shgs

#endif  // SHGS_DRIVER_WALK_PLAN_H_
