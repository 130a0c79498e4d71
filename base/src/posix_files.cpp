// Files on Linux: whole reads and writes through POSIX calls that keep errno's reason, the
// atomic replace that the package writer and the profile writer share, the clean-up of
// temporary files that killed writers left behind, and advisory file locks (flock).
#include "posix_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace klv {
namespace {

// True when `text` is a non-empty run of decimal digits.
bool AllDigits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

void SyncFolder(const std::string& folder) {
  UniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  // Some file systems refuse to sync a folder; the rename has happened all the same.
  if (dir.get() >= 0) ::fsync(dir.get());
}

bool SameState(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
         a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

// The lock of one open file; closing the descriptor releases it.
class PosixFileLock : public FileLock {
 public:
  explicit PosixFileLock(UniqueFd fd) : fd_(std::move(fd)) {}

 private:
  UniqueFd fd_;
};

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameWithoutCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return LowerAscii(x) == LowerAscii(y);
         });
}

// True when the entry `name` of the open folder `dir_fd` is a package writer's temporary
// file that its writer left: a regular file of this user, its lock free, an unfinished
// package.
bool IsAbandonedPackage(int dir_fd, const char* name) {
  struct stat named;
  if (::fstatat(dir_fd, name, &named, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(named.st_mode) ||
      named.st_uid != ::geteuid()) {
    return false;
  }
  // O_NONBLOCK: should something else have taken the name meanwhile, opening never waits.
  UniqueFd fd(::openat(dir_fd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  struct stat opened;
  if (fd.get() < 0 || ::fstat(fd.get(), &opened) != 0 || opened.st_ino != named.st_ino ||
      opened.st_dev != named.st_dev || !LockFile(fd.get(), /*wait=*/false)) {
    return false;
  }
  char head[sizeof kUnfinishedPackageHead];
  size_t got = 0;
  return ReadFull(fd.get(), reinterpret_cast<uint8_t*>(head), sizeof head, &got, name).ok() &&
         got == sizeof head && std::memcmp(head, kUnfinishedPackageHead, sizeof head) == 0;
}

class PosixInputFile : public InputFile {
 public:
  PosixInputFile(UniqueFd fd, const struct stat& opened, std::string path)
      : fd_(std::move(fd)), path_(std::move(path)), opened_(opened) {}

  // One look at the path tells both: while it names the open file (which, being open,
  // keeps its number), what it shows is the open file as it is now.
  Status Unchanged() override {
    struct stat named;
    if (::stat(path_.c_str(), &named) != 0) return PosixError(path_, errno);
    if (named.st_dev != opened_.st_dev || named.st_ino != opened_.st_ino) {
      return Status::IOError(path_, "the file was replaced while it was read");
    }
    if (!SameState(named, opened_)) {
      return Status::IOError(path_, "the file changed while it was read");
    }
    return Status::OK();
  }

  Status Length(uint64_t* length) override {
    *length = static_cast<uint64_t>(opened_.st_size);
    return Status::OK();
  }

  Status Read(uint8_t* dst, size_t size, size_t* got) override {
    return ReadFull(fd_.get(), dst, size, got, path_);
  }

 private:
  UniqueFd fd_;
  std::string path_;
  struct stat opened_;  // the file as it was when opened
};

}  // namespace

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

Status UniqueFd::Close(const std::string& context) {
  if (fd_ < 0) return Status::OK();
  const int rc = ::close(fd_);
  fd_ = -1;
  return rc == 0 ? Status::OK() : PosixError(context, errno);
}

UniqueDir::UniqueDir(const std::string& path) : dir_(::opendir(path.c_str())), path_(path) {
  if (dir_ == nullptr) status_ = PosixError(path, errno);
}

UniqueDir::UniqueDir(int fd, const std::string& path) : dir_(::fdopendir(fd)), path_(path) {
  if (dir_ == nullptr) {
    status_ = PosixError(path, errno);
    ::close(fd);
  }
}

UniqueDir::~UniqueDir() {
  if (dir_ != nullptr) ::closedir(dir_);
}

const dirent* UniqueDir::Next() {
  if (dir_ == nullptr || !status_.ok()) return nullptr;
  while (true) {
    errno = 0;
    const dirent* entry = ::readdir(dir_);
    if (entry == nullptr) {
      if (errno != 0) status_ = PosixError(path_, errno);
      return nullptr;
    }
    const std::string_view name(entry->d_name);
    if (name != "." && name != "..") return entry;
  }
}

int UniqueDir::fd() const { return dir_ != nullptr ? ::dirfd(dir_) : -1; }

Status WriteAll(int fd, const uint8_t* data, size_t size, const std::string& context) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return PosixError(context, errno);
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
  return Status::OK();
}

Status ReadFull(int fd, uint8_t* dst, size_t size, size_t* got, const std::string& context) {
  *got = 0;
  while (*got < size) {
    const ssize_t n = ::read(fd, dst + *got, size - *got);
    if (n < 0) {
      if (errno == EINTR) continue;
      return PosixError(context, errno);
    }
    if (n == 0) break;
    *got += static_cast<size_t>(n);
  }
  return Status::OK();
}

Status OpenRegularForRead(const std::string& path, UniqueFd* fd, struct stat* opened) {
  UniqueFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (file.get() < 0) return PosixError(path, errno);
  struct stat st;
  if (::fstat(file.get(), &st) != 0) return PosixError(path, errno);
  if (S_ISDIR(st.st_mode)) return PosixError(path, EISDIR);
  if (!S_ISREG(st.st_mode) || st.st_size < 0) return Status::IOError(path, "not a regular file");
  *opened = st;
  // O_NONBLOCK is the only status flag the file was opened with.
  ::fcntl(file.get(), F_SETFL, 0);
  *fd = std::move(file);
  return Status::OK();
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string ResolveLink(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return path;
  std::string out(resolved);
  std::free(resolved);
  return out;
}

std::string FindWithoutCase(const std::string& folder, const std::string& name) {
  std::string exact = folder + "/" + name;
  struct stat st;
  if (::lstat(exact.c_str(), &st) == 0 || errno != ENOENT) return exact;
  UniqueDir dir(folder.empty() ? "/" : folder);
  std::string found;
  int matches = 0;
  while (const dirent* entry = dir.Next()) {
    if (SameWithoutCase(entry->d_name, name)) {
      found = entry->d_name;
      ++matches;
    }
  }
  // A folder that cannot be read to its end gives no match: the exact name is tried.
  return matches == 1 && dir.status().ok() ? folder + "/" + found : exact;
}

Status CreateTemporaryBeside(const std::string& target, mode_t mode, UniqueFd* fd,
                             std::string* temp_path) {
  const std::string stem = target + "." + std::to_string(::getpid());
  std::string candidate;
  for (int attempt = 0; attempt < 100; ++attempt) {
    candidate = stem;
    if (attempt > 0) candidate += "." + std::to_string(attempt);
    candidate += ".tmp";
    // O_EXCL: never an existing file, nor the file a link of this name points to.
    UniqueFd file(
        ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
    if (file.get() >= 0) {
      *fd = std::move(file);
      *temp_path = candidate;
      return Status::OK();
    }
    if (errno != EEXIST) break;
  }
  return PosixError(candidate, errno);
}

void RemoveStaleTemporaries(const std::string& target) {
  const std::string folder = FolderOf(target);
  const size_t slash = target.rfind('/');
  const std::string prefix = (slash == std::string::npos ? target : target.substr(slash + 1)) + ".";
  const std::string own = std::to_string(::getpid());
  // Best effort: what cannot be listed stays for the next writer.
  UniqueDir dir(folder);
  while (const dirent* entry = dir.Next()) {
    const std::string_view name(entry->d_name);
    constexpr std::string_view kSuffix = ".tmp";
    if (name.size() <= prefix.size() + kSuffix.size() || name.substr(0, prefix.size()) != prefix ||
        name.substr(name.size() - kSuffix.size()) != kSuffix) {
      continue;
    }
    std::string_view middle =
        name.substr(prefix.size(), name.size() - prefix.size() - kSuffix.size());
    const size_t dot = middle.find('.');
    const std::string_view pid_text = middle.substr(0, dot);
    if (!AllDigits(pid_text) || pid_text == own ||
        (dot != std::string_view::npos && !AllDigits(middle.substr(dot + 1)))) {
      continue;
    }
    // No writer takes up such a file again: each makes a new one of its own (O_EXCL).
    if (IsAbandonedPackage(dir.fd(), entry->d_name)) ::unlinkat(dir.fd(), entry->d_name, 0);
  }
}

bool LockFile(int fd, bool wait) {
  while (::flock(fd, LOCK_EX | (wait ? 0 : LOCK_NB)) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

Status CreateLockedFilePosix(const std::string& path, const std::string& content,
                             std::unique_ptr<FileLock>* lock) {
  UniqueFd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (fd.get() < 0) return PosixError(path, errno);
  // Another process may hold it for a moment, to find it empty and let it go.
  Status status = LockFile(fd.get(), /*wait=*/true) ? Status::OK() : PosixError(path, errno);
  if (status.ok()) {
    status =
        WriteAll(fd.get(), reinterpret_cast<const uint8_t*>(content.data()), content.size(), path);
  }
  if (!status.ok()) {
    ::unlink(path.c_str());
    return status;
  }
  *lock = std::make_unique<PosixFileLock>(std::move(fd));
  return Status::OK();
}

Status TakeFileLockPosix(const std::string& path, size_t max_bytes, std::string* content,
                         std::unique_ptr<FileLock>* lock) {
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  if (fd.get() < 0) return PosixError(path, errno);
  struct stat st;
  if (::fstat(fd.get(), &st) != 0) return PosixError(path, errno);
  if (!S_ISREG(st.st_mode)) return Status::IOError(path, "not a regular file");
  if (st.st_uid != ::geteuid()) return Status::IOError(path, "a file of another user");
  if (!LockFile(fd.get(), /*wait=*/false)) {
    return errno == EWOULDBLOCK ? Status::IOError(path, "another process holds its lock")
                                : PosixError(path, errno);
  }
  content->assign(max_bytes, '\0');
  size_t got = 0;
  Status read =
      ReadFull(fd.get(), reinterpret_cast<uint8_t*>(content->data()), max_bytes, &got, path);
  if (!read.ok()) return read;
  content->resize(got);
  *lock = std::make_unique<PosixFileLock>(std::move(fd));
  return Status::OK();
}

Status FinishReplace(UniqueFd& fd, const std::string& temp_path, const std::string& target,
                     const uint8_t* data, size_t size, bool durable) {
  Status status = WriteAll(fd.get(), data, size, temp_path);
  if (status.ok() && durable && ::fsync(fd.get()) != 0) status = PosixError(temp_path, errno);
  const Status closed = fd.Close(temp_path);
  if (status.ok()) status = closed;
  if (status.ok() && ::rename(temp_path.c_str(), target.c_str()) != 0) {
    status = PosixError(target, errno);
  }
  if (!status.ok()) {
    ::unlink(temp_path.c_str());
    return status;
  }
  if (durable) SyncFolder(FolderOf(target));
  return Status::OK();
}

Status ReplaceFile(const std::string& path, const uint8_t* data, size_t size, bool durable) {
  const std::string target = ResolveLink(path);
  std::string temp_path;
  UniqueFd fd;
  Status status = CreateTemporaryBeside(target, 0666, &fd, &temp_path);
  if (!status.ok()) return status;
  return FinishReplace(fd, temp_path, target, data, size, durable);
}

std::unique_ptr<InputFile> NewPosixInputFile(UniqueFd fd, const struct stat& opened,
                                             std::string path) {
  return std::make_unique<PosixInputFile>(std::move(fd), opened, std::move(path));
}

}  // namespace klv
