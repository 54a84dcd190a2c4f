#ifndef SHGS_DATAFILES_WORK_FILES_H_
#define SHGS_DATAFILES_WORK_FILES_H_

namespace shgs {

// The short-lived files a run makes for itself and removes again: each
// reader's error log, in the directory that was current when the reader was
// made, and the registry capture, in the start directory.
constexpr char kErrorLogName[] = "qilerror.txt";
constexpr char kCaptureName[] = "qil.tmp";

// Whether a run makes those files: a run with the menu does; a run with
// options makes none, so that it needs no more than read access to the
// server and leaves nothing behind when it fails.
enum class WorkFiles { kMade, kNone };

}  // namespace shgs

#endif  // SHGS_DATAFILES_WORK_FILES_H_
