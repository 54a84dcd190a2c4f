#include "platform/posix/report_file.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>
#include <streambuf>
#include <utility>

#include "platform/posix/interruption.h"
#include "platform/posix/work_file.h"

namespace shgs {
namespace {

constexpr int kMaxLinks = 40;  // as the kernel follows at most

std::string hostPathOf(const HostFolder& from, const std::string& path) {
  return !path.empty() && path[0] == '/' ? path : from.pathOf(path);
}

// "path" as its folder part and its last name: "a/b" is "a" and "b", "b" is
// "" and "b", "/b" is "/" and "b".
std::pair<std::string, std::string> splitLastName(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return {std::string(), path};
  return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

bool readLink(const HostFolder& folder, const std::string& name,
              std::string* target) {
  char buffer[PATH_MAX];
  const ssize_t length =
      readlinkat(folder.fd(), name.c_str(), buffer, sizeof buffer);
  if (length < 0) return false;
  if (static_cast<std::size_t>(length) == sizeof buffer) {
    errno = ENAMETOOLONG;
    return false;
  }
  target->assign(buffer, static_cast<std::size_t>(length));
  return true;
}

bool fail(const std::string& path, int error, std::string* why) {
  *why = path + ": " + reasonOf(error);
  return false;
}

// A regular file the user may write takes the report's place.
bool placeOfExistingFile(const HostFolderPtr& folder, const std::string& name,
                         const struct stat& info, ReportPlace* place,
                         std::string* why) {
  if (S_ISDIR(info.st_mode)) return fail(folder->pathOf(name), EISDIR, why);
  if (!S_ISREG(info.st_mode)) return fail(folder->pathOf(name), 0, why);
  if (faccessat(folder->fd(), name.c_str(), W_OK, AT_EACCESS) != 0) {
    return fail(folder->pathOf(name), errno, why);
  }
  *place = ReportPlace{folder, name, true, identityOf(info)};
  return true;
}

// The kernel's own rule for links in a folder anyone may write into but
// only owners remove from (/tmp, a shared drop folder): a link there is
// followed only when it is the user's own or the folder owner's, so no
// other account can aim the report at the operator's files.
bool mayFollowLink(const HostFolder& folder, const struct stat& link) {
  struct stat info;
  if (fstat(folder.fd(), &info) != 0) return false;
  const bool shared =
      (info.st_mode & S_ISVTX) != 0 && (info.st_mode & S_IWOTH) != 0;
  return !shared || link.st_uid == geteuid() || link.st_uid == info.st_uid;
}

// Writes what it is given to a descriptor through a large buffer; the first
// error stops it for good.
class WriteBuffer final : public std::streambuf {
 public:
  explicit WriteBuffer(int fd) : fd_(fd) { setp(buffer_, buffer_ + kSize); }

  int error() const { return error_; }

 protected:
  int_type overflow(int_type c) override {
    if (sync() != 0) return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }

  int sync() override {
    if (error_ != 0) return -1;
    const char* next = pbase();
    while (next < pptr()) {
      const ssize_t n =
          write(fd_, next, static_cast<std::size_t>(pptr() - next));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        error_ = n < 0 ? errno : EIO;
        return -1;
      }
      next += n;
    }
    setp(buffer_, buffer_ + kSize);
    return 0;
  }

 private:
  static constexpr std::size_t kSize = 64 * 1024;
  int fd_;
  int error_ = 0;
  char buffer_[kSize];
};

class PosixReportFile final : public ReportFile {
 public:
  PosixReportFile(std::unique_ptr<PosixWorkFile> file, std::string finalName,
                  mode_t newFileMode)
      : file_(std::move(file)),
        finalName_(std::move(finalName)),
        newFileMode_(newFileMode),
        buffer_(file_->fd()) {}
  ~PosixReportFile() override {
    if (file_ != nullptr) file_->remove();
  }
  PosixReportFile(const PosixReportFile&) = delete;
  PosixReportFile& operator=(const PosixReportFile&) = delete;

  std::streambuf& contents() override { return buffer_; }

  bool commit(std::string* why) override {
    const std::string path = file_->folder().pathOf(finalName_);
    const int error = finish();
    if (error != 0) {
      file_->remove();
      file_.reset();
      return fail(path, error, why);
    }
    file_->keep();
    file_.reset();
    return true;
  }

 private:
  // Written out, kept on disk and renamed over the report's name; an error
  // number when not. A run interrupted meanwhile ends before the rename,
  // having removed its new file.
  int finish() {
    buffer_.pubsync();
    if (buffer_.error() != 0) return buffer_.error();
    if (fsync(file_->fd()) != 0 || !takeFinalPermissions() ||
        !file_->closeFile()) {
      return errno;
    }
    takeHeldInterruption();
    const int folder = file_->folder().fd();
    if (renameat(folder, file_->name().c_str(), folder, finalName_.c_str()) !=
        0) {
      return errno;
    }
    return 0;
  }

  // Those of the file replaced: its owner where the run may give it, else
  // its group where the run may, and its mode bits (after the owner, which
  // clears some). A new report gets what a file created there would.
  bool takeFinalPermissions() {
    struct stat old;
    if (fstatat(file_->folder().fd(), finalName_.c_str(), &old,
                AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(old.st_mode)) {
      return fchmod(file_->fd(), newFileMode_) == 0;
    }
    if (fchown(file_->fd(), old.st_uid, old.st_gid) != 0) {
      (void)!fchown(file_->fd(), static_cast<uid_t>(-1), old.st_gid);
    }
    return fchmod(file_->fd(), old.st_mode & 0777) == 0;
  }

  std::unique_ptr<PosixWorkFile> file_;
  std::string finalName_;
  mode_t newFileMode_;
  WriteBuffer buffer_;
};

// ".<name>.XXXXXX": hidden, and telling whose it is should one be left.
std::string newFileName(const std::string& finalName, std::mt19937* random) {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::string name = "." + finalName.substr(0, NAME_MAX - 8) + ".";
  for (int i = 0; i < 6; ++i) name += kLetters[(*random)() % 36];
  return name;
}

}  // namespace

bool findPosixReportPlace(const HostFolderPtr& current,
                          const std::string& fileName, ReportPlace* place,
                          std::string* why) {
  HostFolderPtr folder = current;
  std::string path = fileName;
  for (int links = 0;; ++links) {
    const auto [folderPart, name] = splitLastName(path);
    HostFolderPtr next = folderPart.empty()
                             ? folder
                             : HostFolder::open(folder.get(), folderPart);
    if (next == nullptr)
      return fail(hostPathOf(*folder, folderPart), errno, why);
    folder = std::move(next);
    if (name.empty() || name == "." || name == "..") {
      return fail(hostPathOf(*current, fileName), EISDIR, why);
    }
    struct stat info;
    if (fstatat(folder->fd(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
      if (errno != ENOENT) return fail(folder->pathOf(name), errno, why);
      *place = ReportPlace{folder, name, false, FileIdentity()};
      return true;
    }
    if (!S_ISLNK(info.st_mode)) {
      return placeOfExistingFile(folder, name, info, place, why);
    }
    if (!mayFollowLink(*folder, info)) {
      *why = folder->pathOf(name) + ": is a link owned by another user";
      return false;
    }
    if (links == kMaxLinks) {
      *why = folder->pathOf(name) + ": " + std::strerror(ELOOP);
      return false;
    }
    if (!readLink(*folder, name, &path)) {
      return fail(folder->pathOf(name), errno, why);
    }
  }
}

std::unique_ptr<ReportFile> createPosixReport(const ReportPlace& place,
                                              std::string* why) {
  const auto folder = std::dynamic_pointer_cast<const HostFolder>(place.folder);
  std::random_device seed;
  std::mt19937 random(seed());
  const mode_t mask = umask(0);
  umask(mask);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::unique_ptr<PosixWorkFile> file = PosixWorkFile::open(
        folder, newFileName(place.name, &random), O_WRONLY | O_EXCL);
    if (file != nullptr) {
      return std::make_unique<PosixReportFile>(std::move(file), place.name,
                                               0666 & ~mask);
    }
    if (errno != EEXIST) break;
  }
  fail(folder->pathOf(place.name), errno, why);
  return nullptr;
}

}  // namespace shgs
