#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <direct.h>
#include <windows.h>
// After windows.h, which it needs.
#include <sddl.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "platform/ascii_case.h"
#include "platform/platform.h"

namespace shgs {
namespace {

// FileDispositionInfoEx (Windows 10 1607 on), which these headers name only
// for later targets.
constexpr auto kFileDispositionInfoEx =
    static_cast<FILE_INFO_BY_HANDLE_CLASS>(21);

constexpr DWORD kShareAll =
    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Closes the handle it holds when it goes.
class ScopedHandle {
 public:
  explicit ScopedHandle(HANDLE handle) : handle_(handle) {}
  ~ScopedHandle() {
    if (valid()) CloseHandle(handle_);
  }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;

  bool valid() const {
    return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE;
  }
  HANDLE get() const { return handle_; }
  HANDLE release() {
    const HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return handle;
  }

 private:
  HANDLE handle_;
};

// "<path>: <the system's words for the last error>", the line that tells
// where and why.
std::string systemReason(DWORD error);
std::string whyAt(const std::string& path, DWORD error = GetLastError()) {
  return path + ": " + systemReason(error);
}

// The system's words for "error", as FormatMessage gives them, without the
// line end it adds.
std::string systemReason(DWORD error) {
  char* text = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
          FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string reason = length == 0 ? "error " + std::to_string(error)
                                   : std::string(text, length);
  if (text != nullptr) LocalFree(text);
  while (!reason.empty() &&
         std::isspace(static_cast<unsigned char>(reason.back()))) {
    reason.pop_back();
  }
  return reason;
}

bool identityOf(HANDLE handle, FileIdentity* identity,
                DWORD* attributes = nullptr) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(handle, &info)) return false;
  identity->volume = info.dwVolumeSerialNumber;
  identity->index =
      (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
  if (attributes != nullptr) *attributes = info.dwFileAttributes;
  return true;
}

// A file on a disk, neither a device, a pipe, a directory nor a reparse
// point such as a link.
bool isRegularDiskFile(HANDLE handle, FileIdentity* identity) {
  DWORD attributes = 0;
  return GetFileType(handle) == FILE_TYPE_DISK &&
         identityOf(handle, identity, &attributes) &&
         (attributes &
          (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
}

// The file open on "handle" goes: its name at once where the file system
// allows (so that another run may create the name anew while this file is
// still open), the file when its last handle is closed. The handle needs
// DELETE access.
void markForDeletion(HANDLE handle) {
  FILE_DISPOSITION_INFO_EX now{FILE_DISPOSITION_FLAG_DELETE |
                               FILE_DISPOSITION_FLAG_POSIX_SEMANTICS};
  if (SetFileInformationByHandle(handle, kFileDispositionInfoEx, &now,
                                 sizeof now)) {
    return;
  }
  FILE_DISPOSITION_INFO onClose{TRUE};
  SetFileInformationByHandle(handle, FileDispositionInfo, &onClose,
                             sizeof onClose);
}

// ---- Names ---------------------------------------------------------------

// The result of a call that fills a buffer of a given size and returns the
// length written, or the size it needs when the buffer is too small.
template <typename Call>
std::string filledBy(Call call) {
  std::string text(MAX_PATH, '\0');
  DWORD length = call(&text[0], static_cast<DWORD>(text.size()));
  if (length >= text.size()) {
    text.assign(length, '\0');
    length = call(&text[0], static_cast<DWORD>(text.size()));
    if (length >= text.size()) return std::string();
  }
  text.resize(length);
  return text;
}

// "path" made absolute as Windows resolves it: against the working
// directory, or that of its drive ("C:name"), trailing dots and blanks of
// the last component dropped.
std::string fullPathName(const std::string& path) {
  const std::string full = filledBy([&path](char* buffer, DWORD size) {
    return GetFullPathNameA(path.c_str(), size, buffer, nullptr);
  });
  return full.empty() ? path : full;
}

std::size_t lastComponentStart(const std::string& path) {
  const std::size_t separator = path.find_last_of("\\/");
  return separator == std::string::npos ? 0 : separator + 1;
}

// A full path without the alternate data stream its last component may
// name ("report.txt:notes"): every stream belongs to the file.
std::string withoutStream(std::string fullPath) {
  const std::size_t start = lastComponentStart(fullPath);
  const std::size_t colon = fullPath.find(':', start);
  if (colon == std::string::npos) return fullPath;
  fullPath.erase(colon);
  while (fullPath.size() > start &&
         (fullPath.back() == '.' || fullPath.back() == ' ')) {
    fullPath.pop_back();
  }
  return fullPath;
}

// The path under which the file system keeps the file open on "handle",
// links followed and 8.3 short names made long; empty when it cannot tell.
std::string finalPathOf(HANDLE handle) {
  return filledBy([handle](char* buffer, DWORD size) {
    return GetFinalPathNameByHandleA(handle, buffer, size,
                                     FILE_NAME_NORMALIZED);
  });
}

// Opens the existing file or directory at "path", links followed, without
// access to its data.
HANDLE openToQuery(const std::string& path) {
  return CreateFileA(withoutStream(fullPathName(path)).c_str(), 0, kShareAll,
                     nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                     nullptr);
}

bool identityAt(const std::string& path, FileIdentity* identity) {
  const ScopedHandle file(openToQuery(path));
  return file.valid() && identityOf(file.get(), identity);
}

std::string directoryOf(const std::string& path) {
  return path.substr(0, lastComponentStart(path));
}

// Whether the file open on "handle" is the entry "name" of the working
// directory itself. Wine resolves a Unix symbolic link without showing a
// reparse point; the file's final path then names the link's target. Where
// the system cannot tell the final path, the entry is taken as it is.
bool isEntryItself(HANDLE handle, const std::string& name) {
  const std::string final = finalPathOf(handle);
  if (final.empty()) return true;
  const std::string full = fullPathName(name);
  FileIdentity finalDirectory;
  FileIdentity directory;
  return equalsIgnoringCase(final.substr(lastComponentStart(final)),
                            full.substr(lastComponentStart(full))) &&
         identityAt(directoryOf(final), &finalDirectory) &&
         identityAt(directoryOf(full), &directory) &&
         finalDirectory == directory;
}

// A path as GetFinalPathNameByHandle gives it, without its "\\?\" (or
// "\\?\UNC\") prefix.
std::string withoutLongPathPrefix(std::string path) {
  if (path.rfind("\\\\?\\UNC\\", 0) == 0) return "\\" + path.substr(8);
  if (path.rfind("\\\\?\\", 0) == 0) return path.substr(4);
  return path;
}

// ---- Folders -------------------------------------------------------------

// A directory found by full path and held open without sharing deletion,
// so that it can be neither removed nor renamed while the run holds it.
class WindowsFolder final : public Folder {
 public:
  WindowsFolder(std::string fullPath, HANDLE handle)
      : fullPath_(std::move(fullPath)), handle_(handle) {}
  ~WindowsFolder() override { CloseHandle(handle_); }
  WindowsFolder(const WindowsFolder&) = delete;
  WindowsFolder& operator=(const WindowsFolder&) = delete;

  const std::string& hostPath() const override { return fullPath_; }
  std::string pathOf(const std::string& name) const override {
    if (!fullPath_.empty() &&
        (fullPath_.back() == '\\' || fullPath_.back() == '/')) {
      return fullPath_ + name;
    }
    return fullPath_ + "\\" + name;
  }
  bool isSameAs(const Folder& other) const override {
    const auto* folder = dynamic_cast<const WindowsFolder*>(&other);
    FileIdentity mine, theirs;
    return folder != nullptr && identityOf(handle_, &mine) &&
           identityOf(folder->handle_, &theirs) && mine == theirs;
  }

  // The directory at "path", made full; nullptr when there is none.
  static std::shared_ptr<const WindowsFolder> open(const std::string& path) {
    const std::string full = fullPathName(path);
    const HANDLE handle =
        CreateFileA(full.c_str(), FILE_LIST_DIRECTORY | FILE_TRAVERSE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(handle, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      CloseHandle(handle);
      SetLastError(ERROR_DIRECTORY);
      return nullptr;
    }
    return std::make_shared<WindowsFolder>(full, handle);
  }

 private:
  std::string fullPath_;
  HANDLE handle_;
};

using WindowsFolderPtr = std::shared_ptr<const WindowsFolder>;

WindowsFolderPtr windowsFolderOf(const FolderPtr& folder) {
  return std::dynamic_pointer_cast<const WindowsFolder>(folder);
}

bool isSeparator(char c) { return c == '\\' || c == '/'; }

// "path" as the system would take it with "base" the working directory:
// relative to it, or on its drive when it starts with one separator.
std::string pathFrom(const WindowsFolder& base, const std::string& path) {
  const bool drive = path.size() >= 2 && path[1] == ':';
  const bool rooted = !path.empty() && isSeparator(path[0]);
  if (drive || (rooted && path.size() >= 2 && isSeparator(path[1]))) {
    return path;
  }
  const std::string& from = base.hostPath();
  if (rooted)
    return from.size() >= 2 && from[1] == ':' ? from.substr(0, 2) + path : path;
  return base.pathOf(path);
}

// The folder part and the last name of a full path.
std::pair<std::string, std::string> splitFullPath(const std::string& path) {
  const std::size_t start = lastComponentStart(path);
  std::string folder = path.substr(0, start);
  // "C:\" keeps its separator; "C:\a\" loses it.
  if (folder.size() > 3 && isSeparator(folder.back())) folder.pop_back();
  return {folder, path.substr(start)};
}

// ---- Work files and interruption ------------------------------------------

class CriticalSectionLock {
 public:
  explicit CriticalSectionLock(CRITICAL_SECTION* section) : section_(section) {
    EnterCriticalSection(section_);
  }
  ~CriticalSectionLock() { LeaveCriticalSection(section_); }
  CriticalSectionLock(const CriticalSectionLock&) = delete;
  CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;

 private:
  CRITICAL_SECTION* section_;
};

// The work files the run holds open. The console's control handler runs on
// a thread of its own, so every change and the handler take the lock, and a
// handle is closed only under it.
class HeldWorkFiles {
 public:
  HeldWorkFiles() { InitializeCriticalSection(&lock_); }

  void add(HANDLE handle, const FileIdentity& identity) {
    CriticalSectionLock lock(&lock_);
    files_.push_back({handle, identity});
  }

  // Closes "handle". With "remove", its file goes too, unless the run holds
  // the same file open elsewhere (a game kept in the start directory shares
  // the start directory's log), whose holder removes it later: a file
  // marked for deletion could not be opened again meanwhile.
  void close(HANDLE handle, bool remove) {
    CriticalSectionLock lock(&lock_);
    const auto held = std::find_if(
        files_.begin(), files_.end(),
        [handle](const Held& file) { return file.handle == handle; });
    if (held == files_.end()) return;
    const FileIdentity identity = held->identity;
    files_.erase(held);
    if (remove && !holds(identity)) markForDeletion(handle);
    CloseHandle(handle);
  }

  // On the control handler's thread: every held file goes when the process
  // ends and closes its handles.
  void markAllForDeletion() {
    CriticalSectionLock lock(&lock_);
    for (const Held& file : files_) markForDeletion(file.handle);
  }

 private:
  struct Held {
    HANDLE handle;
    FileIdentity identity;
  };

  bool holds(const FileIdentity& identity) const {
    return std::any_of(
        files_.begin(), files_.end(),
        [&identity](const Held& file) { return file.identity == identity; });
  }

  CRITICAL_SECTION lock_;
  std::vector<Held> files_;
};

// Process-wide, as the console's control handler is: the one thing it can
// reach. Never destroyed, since the handler may run while the process ends.
HeldWorkFiles* const heldWorkFileList = new HeldWorkFiles;

HeldWorkFiles& heldWorkFiles() { return *heldWorkFileList; }

// Ctrl-C, Ctrl-Break and closing the console remove the run's work files,
// never the report; the default handler then ends the process as an
// interrupted one, and its closing handles delete the marked files.
BOOL WINAPI endInterruptedRun(DWORD event) {
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT ||
      event == CTRL_CLOSE_EVENT) {
    heldWorkFiles().markAllForDeletion();
  }
  return FALSE;
}

class WindowsWorkFile final : public WorkFile {
 public:
  WindowsWorkFile(HANDLE handle, const FileIdentity& identity)
      : handle_(handle) {
    heldWorkFiles().add(handle_, identity);
  }
  ~WindowsWorkFile() override { closeFile(false); }
  WindowsWorkFile(const WindowsWorkFile&) = delete;
  WindowsWorkFile& operator=(const WindowsWorkFile&) = delete;

  HANDLE handle() const { return handle_; }

  // By its own handle, so it is this file that goes, whatever now bears
  // its name.
  void remove() override { closeFile(true); }

 private:
  void closeFile(bool remove) {
    if (handle_ == INVALID_HANDLE_VALUE) return;
    heldWorkFiles().close(handle_, remove);
    handle_ = INVALID_HANDLE_VALUE;
  }

  HANDLE handle_;
};

// Security for a file the run creates for itself: a protected access list
// that lets the run's own user alone read, write and delete it. Without
// one (the system cannot say who that is) the folder's defaults apply.
class OwnerOnly {
 public:
  OwnerOnly() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return;
    const ScopedHandle held(token);
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<char> user(size);
    char* sid = nullptr;
    if (size == 0 ||
        !GetTokenInformation(token, TokenUser, user.data(), size, &size) ||
        !ConvertSidToStringSidA(
            reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid, &sid)) {
      return;
    }
    const std::string text = std::string("D:P(A;;FRFWSD;;;") + sid + ")";
    LocalFree(sid);
    if (ConvertStringSecurityDescriptorToSecurityDescriptorA(
            text.c_str(), SDDL_REVISION_1, &descriptor_, nullptr)) {
      attributes_.nLength = sizeof attributes_;
      attributes_.lpSecurityDescriptor = descriptor_;
      attributes_.bInheritHandle = FALSE;
    }
  }
  ~OwnerOnly() {
    if (descriptor_ != nullptr) LocalFree(descriptor_);
  }
  OwnerOnly(const OwnerOnly&) = delete;
  OwnerOnly& operator=(const OwnerOnly&) = delete;

  SECURITY_ATTRIBUTES* attributes() {
    return descriptor_ != nullptr ? &attributes_ : nullptr;
  }

 private:
  PSECURITY_DESCRIPTOR descriptor_ = nullptr;
  SECURITY_ATTRIBUTES attributes_{};
};

// Takes over "handle", the file the run has just created or opened as
// "name" in the working directory; nullptr (and the handle closed) when it
// is not a regular disk file kept under that name there.
std::unique_ptr<WindowsWorkFile> asWorkFile(HANDLE handle,
                                            const std::string& name) {
  FileIdentity identity;
  if (!isRegularDiskFile(handle, &identity) || !isEntryItself(handle, name)) {
    CloseHandle(handle);
    return nullptr;
  }
  return std::make_unique<WindowsWorkFile>(handle, identity);
}

// Removes the earlier entry "name" of the working directory: a link itself,
// never its target. One that cannot be removed (read-only, in use, a
// directory, a link Wine resolves) stays.
void removeEntry(const std::string& name) {
  const ScopedHandle entry(CreateFileA(
      name.c_str(), DELETE | FILE_READ_ATTRIBUTES, kShareAll, nullptr,
      OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (entry.valid() && isEntryItself(entry.get(), name)) {
    markForDeletion(entry.get());
  }
}

// Opens the file "name" of the working directory, creating it for its
// owner alone when there is none, neither through a link: a dangling link
// fails both ways, where opening it to create would create its target.
HANDLE openOrCreate(const std::string& name, DWORD access) {
  OwnerOnly security;
  constexpr DWORD kFlags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT;
  // A second round for a file another run creates meanwhile.
  for (int round = 0; round < 2; ++round) {
    HANDLE handle = CreateFileA(name.c_str(), access, kShareAll, nullptr,
                                OPEN_EXISTING, kFlags, nullptr);
    if (handle != INVALID_HANDLE_VALUE ||
        GetLastError() != ERROR_FILE_NOT_FOUND) {
      return handle;
    }
    handle = CreateFileA(name.c_str(), access, kShareAll, security.attributes(),
                         CREATE_NEW, kFlags, nullptr);
    if (handle != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) {
      return handle;
    }
  }
  return INVALID_HANDLE_VALUE;
}

// ---- Reading -------------------------------------------------------------

// Reads a regular file up to the size it had when it was opened.
// One that shrinks meanwhile, or cannot be read, fails.
class BoundedHandleBuffer final : public InputFile {
 public:
  BoundedHandleBuffer(HANDLE handle, std::uint64_t size, std::string path)
      : handle_(handle), remaining_(size), path_(std::move(path)) {}
  ~BoundedHandleBuffer() override { CloseHandle(handle_); }
  BoundedHandleBuffer(const BoundedHandleBuffer&) = delete;
  BoundedHandleBuffer& operator=(const BoundedHandleBuffer&) = delete;

  bool failed(std::string* why) const override {
    if (failed_) *why = whyAt(path_, error_);
    return failed_;
  }

 protected:
  int_type underflow() override {
    if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
    if (remaining_ == 0) return traits_type::eof();
    const DWORD wanted =
        static_cast<DWORD>(std::min<std::uint64_t>(sizeof buffer_, remaining_));
    DWORD n = 0;
    if (!ReadFile(handle_, buffer_, wanted, &n, nullptr) || n == 0) {
      // A file that ended early shrank meanwhile.
      error_ = n == 0 ? ERROR_HANDLE_EOF : GetLastError();
      failed_ = true;
      remaining_ = 0;
      return traits_type::eof();
    }
    remaining_ -= n;
    setg(buffer_, buffer_, buffer_ + n);
    return traits_type::to_int_type(*gptr());
  }

 private:
  HANDLE handle_;
  std::uint64_t remaining_;
  std::string path_;
  bool failed_ = false;
  DWORD error_ = 0;
  char buffer_[8192];
};

// The whole file open on "handle", read from its start.
bool readWholeFile(HANDLE handle, std::string* bytes) {
  LARGE_INTEGER size;
  const LARGE_INTEGER start{};
  if (!GetFileSizeEx(handle, &size) ||
      static_cast<std::uint64_t>(size.QuadPart) > bytes->max_size() / 2 ||
      !SetFilePointerEx(handle, start, nullptr, FILE_BEGIN)) {
    return false;
  }
  bytes->assign(static_cast<std::size_t>(size.QuadPart), '\0');
  std::size_t done = 0;
  while (done < bytes->size()) {
    const DWORD wanted = static_cast<DWORD>(
        std::min<std::size_t>(bytes->size() - done, 1 << 20));
    DWORD n = 0;
    if (!ReadFile(handle, &(*bytes)[done], wanted, &n, nullptr) || n == 0) {
      return false;
    }
    done += n;
  }
  return true;
}

// ---- The report ----------------------------------------------------------

// Writes what it is given to a file through a large buffer, each line end
// as CR LF, as the C runtime's text mode does; the first error stops it.
class CrLfWriteBuffer final : public std::streambuf {
 public:
  explicit CrLfWriteBuffer(HANDLE handle) : handle_(handle) {
    setp(buffer_, buffer_ + kSize - 1);  // room for a CR before each LF
  }

  bool failed() const { return failed_; }

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
    if (failed_) return -1;
    std::string text;
    for (const char* p = pbase(); p < pptr(); ++p) {
      if (*p == '\n') text += '\r';
      text += *p;
    }
    DWORD written = 0;
    failed_ = !text.empty() &&
              (!WriteFile(handle_, text.data(), static_cast<DWORD>(text.size()),
                          &written, nullptr) ||
               written != text.size());
    setp(buffer_, buffer_ + kSize - 1);
    return failed_ ? -1 : 0;
  }

 private:
  static constexpr std::size_t kSize = 64 * 1024;
  HANDLE handle_;
  bool failed_ = false;
  char buffer_[kSize];
};

// Renames the file open on "handle" to "fullPath", replacing what has that
// name: through the handle, so that it is this file that gets the name.
bool renameTo(HANDLE handle, const std::string& fullPath) {
  const int length =
      MultiByteToWideChar(CP_ACP, 0, fullPath.c_str(), -1, nullptr, 0);
  if (length <= 0) return false;
  std::vector<char> storage(sizeof(FILE_RENAME_INFO) +
                            static_cast<std::size_t>(length) * sizeof(WCHAR));
  auto* info = reinterpret_cast<FILE_RENAME_INFO*>(storage.data());
  info->ReplaceIfExists = TRUE;
  info->RootDirectory = nullptr;
  MultiByteToWideChar(CP_ACP, 0, fullPath.c_str(), -1, info->FileName, length);
  info->FileNameLength = static_cast<DWORD>((length - 1) * sizeof(WCHAR));
  return SetFileInformationByHandle(handle, FileRenameInfo, info,
                                    static_cast<DWORD>(storage.size())) != 0;
}

class WindowsReportFile final : public ReportFile {
 public:
  WindowsReportFile(std::unique_ptr<WindowsWorkFile> file,
                    std::string finalPath)
      : file_(std::move(file)),
        finalPath_(std::move(finalPath)),
        buffer_(file_->handle()) {}
  ~WindowsReportFile() override {
    if (file_ != nullptr) file_->remove();
  }
  WindowsReportFile(const WindowsReportFile&) = delete;
  WindowsReportFile& operator=(const WindowsReportFile&) = delete;

  std::streambuf& contents() override { return buffer_; }

  bool commit(std::string* why) override {
    buffer_.pubsync();
    const bool written = !buffer_.failed() &&
                         FlushFileBuffers(file_->handle()) &&
                         renameTo(file_->handle(), finalPath_);
    if (!written) {
      *why = whyAt(finalPath_);
      file_->remove();
    }
    file_.reset();  // closed; renamed, it is no work file any more
    return written;
  }

 private:
  std::unique_ptr<WindowsWorkFile> file_;
  std::string finalPath_;
  CrLfWriteBuffer buffer_;
};

// ".<name>.XXXXXX": telling whose it is should one be left.
std::string newFileName(const std::string& finalName, unsigned* seed) {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::string name = "." + finalName.substr(0, 200) + ".";
  for (int i = 0; i < 6; ++i) {
    *seed = *seed * 1103515245u + 12345u;
    name += kLetters[(*seed >> 16) % 36];
  }
  return name;
}

// ---- Programs ------------------------------------------------------------

// The system's own program "name", by full path: never one found in the
// working directory or along PATH. For a 32-bit build on 64-bit Windows the
// system directory is redirected to the 32-bit programs.
std::string systemProgram(const char* name) {
  const std::string directory = filledBy([](char* buffer, DWORD size) {
    return GetSystemDirectoryA(buffer, size);
  });
  return directory.empty() ? std::string() : directory + "\\" + name;
}

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

// An inheritable copy of "handle" for a child to get as a standard handle;
// nullptr for none.
HANDLE inheritableCopy(HANDLE handle) {
  HANDLE copy = nullptr;
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE ||
      !DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy,
                       0, TRUE, DUPLICATE_SAME_ACCESS)) {
    return nullptr;
  }
  return copy;
}

// Process attributes that let a child inherit exactly the handles named,
// and no other inheritable handle of this process.
class InheritedHandles {
 public:
  explicit InheritedHandles(std::vector<HANDLE> handles)
      : handles_(std::move(handles)) {
    SIZE_T size = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    storage_.resize(size);
    auto* list =
        reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage_.data());
    if (handles_.empty() ||
        !InitializeProcThreadAttributeList(list, 1, 0, &size)) {
      return;
    }
    list_ = list;
    if (!UpdateProcThreadAttribute(
            list_, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles_.data(),
            handles_.size() * sizeof(HANDLE), nullptr, nullptr)) {
      DeleteProcThreadAttributeList(list_);
      list_ = nullptr;
    }
  }
  ~InheritedHandles() {
    if (list_ != nullptr) DeleteProcThreadAttributeList(list_);
  }
  InheritedHandles(const InheritedHandles&) = delete;
  InheritedHandles& operator=(const InheritedHandles&) = delete;

  // nullptr when the system could not make the list.
  LPPROC_THREAD_ATTRIBUTE_LIST list() const { return list_; }

 private:
  std::vector<HANDLE> handles_;
  std::vector<char> storage_;
  LPPROC_THREAD_ATTRIBUTE_LIST list_ = nullptr;
};

// Starts the program at the full path "program" directly, not through the
// command processor, so nothing in "commandLine" is expanded; waits for it.
// False when it could not be started.
bool startAndWait(const std::string& program, std::string commandLine,
                  STARTUPINFOA* startup, BOOL inheritHandles, DWORD flags) {
  std::cout.flush();
  std::cerr.flush();
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr,
                      inheritHandles, flags, nullptr, nullptr, startup,
                      &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  WaitForSingleObject(process.hProcess, INFINITE);
  CloseHandle(process.hProcess);
  return true;
}

// Everything that comes through "pipe" until its writer closes it.
bool readPipe(HANDLE pipe, std::string* bytes) {
  char block[65536];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(pipe, block, sizeof block, &got, nullptr)) {
      return GetLastError() == ERROR_BROKEN_PIPE;  // the writer ended
    }
    if (got == 0) return true;
    bytes->append(block, got);
  }
}

// Runs the registry tool with its listing going into a pipe, which is read
// whole while it runs, and its error messages too when "errorsToo", else to
// the run's standard error; the tool inherits those handles only.
// "*output" is the listing when "*status", its exit status, is 0, and its
// complaint otherwise. False when it could not be started or the pipe
// failed.
bool listThroughPipe(const std::string& keyPath, bool errorsToo,
                     std::string* output, DWORD* status) {
  const std::string tool = systemProgram("reg.exe");
  HANDLE reading = nullptr;
  HANDLE writing = nullptr;
  if (tool.empty() || !CreatePipe(&reading, &writing, nullptr, 0)) return false;
  const ScopedHandle readEnd(reading);
  ScopedHandle writeEnd(inheritableCopy(writing));
  CloseHandle(writing);
  if (!writeEnd.valid()) return false;
  const ScopedHandle error(
      errorsToo ? nullptr : inheritableCopy(GetStdHandle(STD_ERROR_HANDLE)));
  std::vector<HANDLE> handles = {writeEnd.get()};
  if (error.valid()) handles.push_back(error.get());
  const InheritedHandles inherited(handles);
  STARTUPINFOEXA startup{};
  startup.StartupInfo.cb = sizeof startup;
  startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
  startup.StartupInfo.hStdOutput = writeEnd.get();
  startup.StartupInfo.hStdError = errorsToo ? writeEnd.get() : error.get();
  startup.lpAttributeList = inherited.list();
  std::string commandLine =
      quoted(tool) + " query " + quoted("HKLM\\" + keyPath) + " /s";
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(
          tool.c_str(), &commandLine[0], nullptr, nullptr, TRUE,
          inherited.list() != nullptr ? EXTENDED_STARTUPINFO_PRESENT : 0,
          nullptr, nullptr, &startup.StartupInfo, &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(writeEnd.release());  // the pipe ends when the tool does
  const bool read = readPipe(readEnd.get(), output);
  WaitForSingleObject(process.hProcess, INFINITE);
  const bool ended = GetExitCodeProcess(process.hProcess, status);
  CloseHandle(process.hProcess);
  return read && ended;
}

// Writes all of "bytes" to the file open on "handle"; false at the first
// write that fails or falls short (a full disk).
bool writeWhole(HANDLE handle, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const DWORD wanted =
        static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
    DWORD n = 0;
    if (!WriteFile(handle, bytes.data() + done, wanted, &n, nullptr) ||
        n == 0) {
      return false;
    }
    done += n;
  }
  return true;
}

// ---- The platform --------------------------------------------------------

class WindowsPlatform final : public Platform {
 public:
  WindowsPlatform()
      : start_(WindowsFolder::open(currentDirectory())), current_(start_) {
    SetConsoleCtrlHandler(endInterruptedRun, TRUE);
  }

  void clearConsole() override;
  std::unique_ptr<WorkFile> captureRegistry(const std::string& name,
                                            const std::string& keyPath,
                                            std::string* listing,
                                            std::string* why) override;
  bool listRegistry(const std::string& keyPath, std::string* listing,
                    std::string* why) override;
  std::unique_ptr<WorkFile> openErrorLog(const std::string& name,
                                         std::string* why) override;
  std::unique_ptr<InputFile> openForReading(const FolderEntry& file,
                                            std::string* why,
                                            bool* missing) override;
  bool fileIdentity(const FolderEntry& file, FileIdentity* identity) override {
    return identityAt(file.folder->pathOf(file.name), identity);
  }
  std::vector<FolderEntry> registryFiles() override { return {}; }
  FolderPtr startFolder() override { return start_; }
  FolderPtr currentFolder() override { return current_; }
  std::string currentDirectory() override;
  FolderPtr findFolder(const std::string& windowsPath, const FolderPtr& base,
                       std::string* why) override;
  bool enterFolder(const FolderPtr& folder, std::string* why) override;
  bool findReportPlace(const std::string& fileName, ReportPlace* place,
                       std::string* why) override;
  std::unique_ptr<ReportFile> createReport(const ReportPlace& place,
                                           std::string* why) override;
  void startViewer(const std::string& fileName) override;

 private:
  WindowsFolderPtr start_;
  WindowsFolderPtr current_;
};

// Through the console itself: redirected output is no console, and gets no
// form feed or control sequence.
void WindowsPlatform::clearConsole() {
  std::cout.flush();
  const HANDLE console = GetStdHandle(STD_OUTPUT_HANDLE);
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!GetConsoleScreenBufferInfo(console, &info)) return;
  const COORD origin{0, 0};
  const DWORD cells =
      static_cast<DWORD>(info.dwSize.X) * static_cast<DWORD>(info.dwSize.Y);
  DWORD written = 0;
  FillConsoleOutputCharacterA(console, ' ', cells, origin, &written);
  FillConsoleOutputAttribute(console, info.wAttributes, cells, origin,
                             &written);
  SetConsoleCursorPosition(console, origin);
}

// The capture is created afresh for its owner alone, never through a link,
// and read back from the same open file: no planted or stale file can stand
// in for it. A leftover that cannot be removed (read-only, in use) fails
// the creation. The run receives the listing itself, so that a tool that
// could not write it all (a full disk) cannot pass for one that listed
// less; a capture that could not be written whole goes.
std::unique_ptr<WorkFile> WindowsPlatform::captureRegistry(
    const std::string& name, const std::string& keyPath, std::string* listing,
    std::string* why) {
  listing->clear();
  removeEntry(name);
  OwnerOnly security;
  const HANDLE handle = CreateFileA(
      name.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
      FILE_SHARE_READ | FILE_SHARE_DELETE, security.attributes(), CREATE_NEW,
      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  const std::string path = current_->pathOf(name);
  if (handle == INVALID_HANDLE_VALUE) {
    *why = whyAt(path);
    return nullptr;
  }
  std::unique_ptr<WindowsWorkFile> capture = asWorkFile(handle, name);
  if (capture == nullptr) {
    *why = path + ": not a regular file";
    return nullptr;
  }
  std::string received;
  DWORD status = 0;
  if (!listThroughPipe(keyPath, /*errorsToo=*/false, &received, &status)) {
    *why = whyAt(systemProgram("reg.exe"));
    capture->remove();
    return nullptr;
  }
  // A tool that failed has told why on standard error and listed nothing.
  if (status != 0) received.clear();
  if (!writeWhole(capture->handle(), received) ||
      !readWholeFile(capture->handle(), listing)) {
    *why = whyAt(path);
    capture->remove();
    listing->clear();
    return nullptr;
  }
  return capture;
}

// A tool that fails has listed nothing (an absent key, most often): the
// listing is empty and its complaint tells why.
bool WindowsPlatform::listRegistry(const std::string& keyPath,
                                   std::string* listing, std::string* why) {
  listing->clear();
  DWORD status = 0;
  if (!listThroughPipe(keyPath, /*errorsToo=*/true, listing, &status)) {
    *why = whyAt(systemProgram("reg.exe"));
    listing->clear();
    return false;
  }
  if (status == 0) return true;
  std::string complaint = listing->substr(0, listing->find_first_of("\r\n"));
  if (complaint.empty()) complaint = "exit status " + std::to_string(status);
  *why = "HKLM\\" + keyPath + ": " + complaint;
  listing->clear();
  return true;
}

// Not inheritable, so neither the registry tool nor the viewer holds it.
std::unique_ptr<WorkFile> WindowsPlatform::openErrorLog(const std::string& name,
                                                        std::string* why) {
  const HANDLE handle = openOrCreate(
      name, FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | DELETE | SYNCHRONIZE);
  if (handle == INVALID_HANDLE_VALUE) {
    *why = whyAt(current_->pathOf(name));
    return nullptr;
  }
  return asWorkFile(handle, name);
}

std::unique_ptr<InputFile> WindowsPlatform::openForReading(
    const FolderEntry& file, std::string* why, bool* missing) {
  const std::string path = file.folder->pathOf(file.name);
  ScopedHandle handle(CreateFileA(path.c_str(), GENERIC_READ, kShareAll,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                  nullptr));
  const DWORD error = GetLastError();
  *missing = !handle.valid() &&
             (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND);
  if (!handle.valid()) {
    *why = whyAt(path, error);
    return nullptr;
  }
  FileIdentity identity;
  LARGE_INTEGER size;
  if (!isRegularDiskFile(handle.get(), &identity) ||
      !GetFileSizeEx(handle.get(), &size)) {
    *why = path + ": not a regular file";
    return nullptr;
  }
  return std::make_unique<BoundedHandleBuffer>(
      handle.release(), static_cast<std::uint64_t>(size.QuadPart), path);
}

std::string WindowsPlatform::currentDirectory() {
  char* path = _getcwd(nullptr, 0);
  if (path == nullptr) return std::string();
  std::string result(path);
  std::free(path);
  return result;
}

FolderPtr WindowsPlatform::findFolder(const std::string& windowsPath,
                                      const FolderPtr& base, std::string* why) {
  const std::string path = pathFrom(*windowsFolderOf(base), windowsPath);
  FolderPtr found = windowsPath.empty() ? nullptr : WindowsFolder::open(path);
  if (found == nullptr) {
    *why = whyAt(path,
                 windowsPath.empty() ? ERROR_PATH_NOT_FOUND : GetLastError());
  }
  return found;
}

bool WindowsPlatform::enterFolder(const FolderPtr& folder, std::string* why) {
  WindowsFolderPtr entered = windowsFolderOf(folder);
  if (_chdir(entered->hostPath().c_str()) != 0) {
    *why = whyAt(entered->hostPath());
    return false;
  }
  current_ = std::move(entered);
  return true;
}

// The report's place is where the name leads, links followed: the file's
// final path when it exists (long names, not 8.3 ones), else the full path
// of the name, without the trailing dots and blanks and the stream suffix
// the system ignores. A read-only file cannot be replaced.
bool WindowsPlatform::findReportPlace(const std::string& fileName,
                                      ReportPlace* place, std::string* why) {
  const std::string full = withoutStream(fullPathName(fileName));
  const ScopedHandle existing(openToQuery(full));
  std::string path = full;
  BY_HANDLE_FILE_INFORMATION info{};
  if (existing.valid()) {
    if (GetFileType(existing.get()) != FILE_TYPE_DISK ||
        !GetFileInformationByHandle(existing.get(), &info)) {
      *why = full + ": not a regular file";
      return false;
    }
    // What creating the file there would be told.
    if ((info.dwFileAttributes &
         (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0) {
      *why = whyAt(full, ERROR_ACCESS_DENIED);
      return false;
    }
    const std::string final = finalPathOf(existing.get());
    if (!final.empty()) path = withoutLongPathPrefix(final);
  } else if (GetLastError() != ERROR_FILE_NOT_FOUND) {
    *why = whyAt(full);
    return false;
  }
  const auto [folderPath, name] = splitFullPath(path);
  WindowsFolderPtr folder = WindowsFolder::open(folderPath);
  if (folder == nullptr || name.empty()) {
    *why = whyAt(folder == nullptr ? folderPath : full,
                 folder == nullptr ? GetLastError() : ERROR_INVALID_NAME);
    return false;
  }
  FileIdentity identity;
  if (existing.valid()) identityOf(existing.get(), &identity);
  *place = ReportPlace{folder, name, existing.valid(), identity};
  return true;
}

std::unique_ptr<ReportFile> WindowsPlatform::createReport(
    const ReportPlace& place, std::string* why) {
  unsigned seed = GetTickCount() ^ GetCurrentProcessId();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string path =
        place.folder->pathOf(newFileName(place.name, &seed));
    const HANDLE handle = CreateFileA(
        path.c_str(), GENERIC_WRITE | DELETE,
        FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      if (GetLastError() == ERROR_FILE_EXISTS) continue;
      *why = whyAt(place.folder->pathOf(place.name));
      return nullptr;
    }
    std::unique_ptr<WindowsWorkFile> file = asWorkFile(handle, path);
    if (file == nullptr) {
      *why = whyAt(place.folder->pathOf(place.name));
      return nullptr;
    }
    return std::make_unique<WindowsReportFile>(
        std::move(file), place.folder->pathOf(place.name));
  }
  return nullptr;
}

// Notepad gets the name as typed, quoted, and no handle of the run.
void WindowsPlatform::startViewer(const std::string& fileName) {
  const std::string notepad = systemProgram("notepad.exe");
  if (notepad.empty()) return;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startAndWait(notepad, quoted(notepad) + " " + quoted(fileName), &startup,
               FALSE, 0);
}

}  // namespace

std::unique_ptr<Platform> makeHostPlatform() {
  return std::make_unique<WindowsPlatform>();
}

// Windows' messages from the menu stay as they are.
bool tellsWhereBeforeFatalMessages() { return false; }

bool isHelpSwitch(const std::string& argument) { return argument == "/?"; }

std::streambuf* standardInput() { return std::cin.rdbuf(); }

// The command processor begins its prompt on a new line after any program.
bool terminalNeedsFinalLineEnd() { return false; }

std::string consoleText(const std::string& text, std::size_t maxBytes) {
  std::string shown = text.substr(0, maxBytes);
  for (char& c : shown) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  }
  return shown;
}

std::int64_t currentTime() {
  return static_cast<std::int64_t>(_time64(nullptr));
}

bool toLocalTime(std::int64_t t, std::tm* out) {
  const __time64_t value = static_cast<__time64_t>(t);
  const std::tm* converted = _localtime64(&value);
  if (converted == nullptr) return false;
  *out = *converted;
  return true;
}

void reloadTimeZone() { _tzset(); }

// Through UTF-16, as the system converts. A text it cannot convert, or one
// far longer than any the server stores, is left to the caller's rule.
bool serverCodePageToUtf8(const std::string& text, std::string* utf8) {
  utf8->clear();
  if (text.empty()) return true;
  if (text.size() > (std::size_t{1} << 30)) return false;
  const int size = static_cast<int>(text.size());
  const int units =
      MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
  if (units <= 0) return false;
  std::wstring wide(static_cast<std::size_t>(units), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), units);
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, nullptr,
                                        0, nullptr, nullptr);
  if (bytes <= 0) return false;
  utf8->resize(static_cast<std::size_t>(bytes));
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, utf8->data(), bytes,
                      nullptr, nullptr);
  return true;
}

}  // namespace shgs
