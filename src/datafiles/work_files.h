#ifndef SHGS_DATAFILES_WORK_FILES_H_
#define SHGS_DATAFILES_WORK_FILES_H_

namespace shgs {

// The short-lived files a run makes for itself and removes again: each
// reader's error log, in the directory that was current when the reader was
// made, and the registry capture, in the start directory.
constexpr char kErrorLogName[] = "qilerror.txt";
constexpr char kCaptureName[] = "qil.tmp";

}  // namespace shgs

#endif  // SHGS_DATAFILES_WORK_FILES_H_
