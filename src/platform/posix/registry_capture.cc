#include "platform/posix/registry_capture.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <new>
#include <sstream>

#include "platform/posix/input_file.h"
#include "winereg/listing.h"

namespace shgs {
namespace {

// system.reg as the listing reads it: large blocks, straight into its
// buffer.
class InputFileSource final : public SystemRegSource {
 public:
  explicit InputFileSource(InputFile& file) : file_(file) {}

  std::size_t read(char* buffer, std::size_t size) override {
    return static_cast<std::size_t>(
        file_.sgetn(buffer, static_cast<std::streamsize>(size)));
  }

 private:
  InputFile& file_;
};

// The listing from the open system.reg "file" at "path".
void listFrom(PosixInputFile& file, const std::string& path,
              const std::string& keyPath, SystemRegListing* found) {
  InputFileSource systemReg(file);
  std::ostringstream listing;
  const ListingResult result =
      writeRegistryListing(systemReg, keyPath, listing);
  if (result == ListingResult::kOutOfMemory) {
    found->outOfMemory = true;
    return;
  }
  std::string why;
  if (file.failed(&why)) {
    found->complaint = why;
    return;
  }
  if (result == ListingResult::kNoKey) {
    found->complaint = path + ": no key HKLM\\" + keyPath;
  }
  found->text = listing.str();
}

void listInto(const std::string& winePrefix, const std::string& keyPath,
              const FolderListingsPtr& listings, SystemRegListing* found) {
  if (winePrefix.empty()) {
    found->complaint = "HOME is not set";
    return;
  }
  const std::string path = winePrefix + "/system.reg";
  found->prefix = HostFolder::open(nullptr, winePrefix, listings);
  struct stat info;
  int error = ENOENT;
  const int fd = found->prefix == nullptr
                     ? -1
                     : openRegularFile(*found->prefix, "system.reg", &info,
                                       &error, /*matchCase=*/true);
  if (fd < 0) {
    if (found->prefix == nullptr) error = errno;
    found->complaint = path + ": " + reasonOf(error);
    return;
  }
  found->server.emplace(info);
  PosixInputFile file(fd, static_cast<std::uint64_t>(info.st_size), path);
  listFrom(file, path, keyPath, found);
}

bool writeAll(int fd, const std::string& bytes) {
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    written += static_cast<std::size_t>(n);
  }
  return true;
}

// The whole file open on "fd", read from its start into "*bytes", which is
// as long as the file.
bool readAll(int fd, std::string* bytes) {
  const std::size_t size = bytes->size();
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n =
        pread(fd, &(*bytes)[done], size - done, static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

// Another run in the same folder may create its own between the two steps;
// its file is then removed in turn (it keeps it open).
std::unique_ptr<PosixWorkFile> createCapture(const HostFolderPtr& folder,
                                             const std::string& name) {
  constexpr int kAttempts = 100;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    std::unique_ptr<PosixWorkFile> file =
        PosixWorkFile::open(folder, name, O_RDWR | O_EXCL);
    if (file != nullptr || errno != EEXIST) return file;
    if (unlinkat(folder->fd(), name.c_str(), 0) != 0 && errno == EISDIR) {
      return nullptr;
    }
  }
  return nullptr;
}

// The standard library's containers that could not grow leave no listing
// either.
SystemRegListing listSystemReg(const std::string& winePrefix,
                               const std::string& keyPath,
                               const FolderListingsPtr& listings) {
  SystemRegListing found;
  try {
    listInto(winePrefix, keyPath, listings, &found);
  } catch (const std::bad_alloc&) {
    found.text.clear();
    found.outOfMemory = true;
  }
  return found;
}

CopyResult writeAndReadBack(int fd, const std::string& bytes,
                            std::string* copy) {
  if (!writeAll(fd, bytes)) return CopyResult::kFailed;
  try {
    copy->assign(bytes.size(), '\0');
  } catch (const std::bad_alloc&) {
    return CopyResult::kOutOfMemory;
  }
  return readAll(fd, copy) ? CopyResult::kCopied : CopyResult::kFailed;
}

}  // namespace shgs
