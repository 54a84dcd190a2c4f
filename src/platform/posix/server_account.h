#ifndef SHGS_PLATFORM_POSIX_SERVER_ACCOUNT_H_
#define SHGS_PLATFORM_POSIX_SERVER_ACCOUNT_H_

#include <sys/stat.h>
#include <sys/types.h>

#include <vector>

namespace shgs {

// The account that owns the Wine prefix: the server's own. A report holds
// only what that account could read itself, since it may read the report
// back; a file it links to the operator's private files is not copied.
class ServerAccount {
 public:
  // The owner of system.reg, as "systemReg" (of the opened file) tells it.
  explicit ServerAccount(const struct stat& systemReg);

  // Whether that account could read the file "info" describes, by its
  // permission bits: as its owner, as a member of its group, or as anyone.
  // Always true when the run's own user, or the superuser, owns the prefix.
  bool mayRead(const struct stat& info) const;

 private:
  uid_t owner_;
  bool readsAll_;
  // Its groups; the file's group when the system lists no such account.
  std::vector<gid_t> groups_;
};

}  // namespace shgs

#endif  // SHGS_PLATFORM_POSIX_SERVER_ACCOUNT_H_
