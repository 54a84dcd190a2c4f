#ifndef SHGS_PLATFORM_POSIX_WORK_FILE_H_
#define SHGS_PLATFORM_POSIX_WORK_FILE_H_

#include <sys/stat.h>

#include <memory>
#include <string>

#include "platform/platform.h"
#include "platform/posix/folder.h"

namespace shgs {

// The reason an operation failed with "error", for a "why" line: 0 stands
// for a file that is not a regular one.
std::string reasonOf(int error);

// A work file open on a descriptor, named "name" in "folder". While the
// object holds it, an interruption removes it.
class PosixWorkFile final : public WorkFile {
 public:
  // Creates "name" in "folder" with "flags" (O_CREAT, and O_EXCL or not;
  // never through a link), as a regular file registered for removal. A
  // file it creates is readable and writable by its owner only, whatever
  // the umask or the folder: no other account may rewrite what the run
  // reads back or is still writing. Returns nullptr, errno set, when it
  // cannot, or when what was opened is not a regular file.
  static std::unique_ptr<PosixWorkFile> open(HostFolderPtr folder,
                                             const std::string& name,
                                             int flags);

  ~PosixWorkFile() override;
  PosixWorkFile(const PosixWorkFile&) = delete;
  PosixWorkFile& operator=(const PosixWorkFile&) = delete;

  int fd() const { return fd_; }
  const HostFolder& folder() const { return *folder_; }
  const std::string& name() const { return name_; }
  std::string hostPath() const { return folder_->pathOf(name_); }

  // False when the system reports that the file's data were not all kept.
  bool closeFile();

  void remove() override;

  // The file stays, no longer the run's to remove: it is the report now.
  void keep();

 private:
  PosixWorkFile(int fd, HostFolderPtr folder, std::string name,
                const FileIdentity& identity, int slot);

  int fd_;
  HostFolderPtr folder_;
  std::string name_;
  FileIdentity identity_;
  int slot_;
};

}  // namespace shgs

#endif  // SHGS_PLATFORM_POSIX_WORK_FILE_H_
