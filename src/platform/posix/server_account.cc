#include "platform/posix/server_account.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>

namespace shgs {
namespace {

// The fields of one line of /etc/passwd or /etc/group, separated by
// "separator".
std::vector<std::string> fieldsOf(const std::string& line, char separator) {
  std::vector<std::string> fields(1);
  for (const char c : line) {
    if (c == separator) {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

// The number "text" holds; false when it holds anything else.
bool idOf(const std::string& text, unsigned long* id) {
  char* end = nullptr;
  *id = std::strtoul(text.c_str(), &end, 10);
  return !text.empty() && *end == '\0';
}

// The name and primary group of account "uid", from /etc/passwd.
bool findAccount(uid_t uid, std::string* name, gid_t* group) {
  std::ifstream accounts("/etc/passwd");
  for (std::string line; std::getline(accounts, line);) {
    const std::vector<std::string> fields = fieldsOf(line, ':');
    unsigned long id = 0;
    unsigned long primary = 0;
    if (fields.size() >= 4 && idOf(fields[2], &id) && id == uid &&
        idOf(fields[3], &primary)) {
      *name = fields[0];
      *group = static_cast<gid_t>(primary);
      return true;
    }
  }
  return false;
}

// The groups of account "uid" as /etc/passwd and /etc/group list them:
// read from the files, since the static program loads none of the
// system's name services. "fallback" alone for an account they do not list.
std::vector<gid_t> groupsOf(uid_t uid, gid_t fallback) {
  std::string name;
  gid_t primary = fallback;
  if (!findAccount(uid, &name, &primary)) return {fallback};
  std::vector<gid_t> groups = {primary};
  std::ifstream listed("/etc/group");
  for (std::string line; std::getline(listed, line);) {
    const std::vector<std::string> fields = fieldsOf(line, ':');
    unsigned long id = 0;
    if (fields.size() < 4 || !idOf(fields[2], &id)) continue;
    const std::vector<std::string> members = fieldsOf(fields[3], ',');
    if (std::find(members.begin(), members.end(), name) != members.end()) {
      groups.push_back(static_cast<gid_t>(id));
    }
  }
  return groups;
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
