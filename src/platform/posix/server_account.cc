#include "platform/posix/server_account.h"

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

#include <algorithm>

namespace shgs {
namespace {

// The groups of account "uid"; "fallback" alone when it has no entry.
std::vector<gid_t> groupsOf(uid_t uid, gid_t fallback) {
  std::vector<char> buffer(16384);
  passwd entry;
  passwd* found = nullptr;
  if (getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) != 0 ||
      found == nullptr) {
    return {fallback};
  }
  int count = 64;
  std::vector<gid_t> groups;
  for (int attempt = 0; attempt < 4; ++attempt) {
    groups.resize(static_cast<std::size_t>(count));
    if (getgrouplist(entry.pw_name, entry.pw_gid, groups.data(), &count) >= 0) {
      groups.resize(static_cast<std::size_t>(count));
      return groups;
    }
  }
  return {entry.pw_gid};
}

}  // namespace

ServerAccount::ServerAccount(const struct stat& systemReg)
    : owner_(systemReg.st_uid), readsAll_(owner_ == 0 || owner_ == geteuid()) {
  if (!readsAll_) groups_ = groupsOf(owner_, systemReg.st_gid);
}

bool ServerAccount::mayRead(const struct stat& info) const {
  if (readsAll_) return true;
  if (info.st_uid == owner_) return (info.st_mode & S_IRUSR) != 0;
  if (std::find(groups_.begin(), groups_.end(), info.st_gid) != groups_.end()) {
    return (info.st_mode & S_IRGRP) != 0;
  }
  return (info.st_mode & S_IROTH) != 0;
}

}  // namespace shgs
