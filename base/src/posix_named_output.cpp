// The outputs a person names, on Linux: lstat decides what the name is, a temporary file
// beside it and rename(2) replace it (rename takes the name itself, a link included), and
// a pipe or device is opened where it is, after checking it is the one decided on. A
// link is told to lead into the process's own descriptors (/dev/stdout) when one of its
// steps lies in /proc.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "base/named_output.h"
#include "base/platform.h"
#include "posix_files.h"
#include "posix_folders.h"

namespace klv {
namespace {

constexpr long kProcFileSystem = 0x9fa0;  // PROC_SUPER_MAGIC
constexpr int kMostLinkSteps = 40;        // the kernel's own limit

// True when following the link `path` passes through /proc, where a link such as
// /proc/self/fd/1 stands for an open file of the process rather than a name.
bool LeadsIntoDescriptors(std::string path) {
  for (int step = 0; step < kMostLinkSteps; ++step) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return false;
    const std::string folder = FolderOf(path);
    struct statfs fs;
    if (::statfs(folder.c_str(), &fs) == 0 && fs.f_type == kProcFileSystem) return true;
    std::string target(4096, '\0');
    const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
    if (n <= 0 || static_cast<size_t>(n) >= target.size()) return false;
    target.resize(static_cast<size_t>(n));
    if (target[0] != '/') target.insert(0, folder + "/");
    path = std::move(target);
  }
  return false;
}

// The mode a new folder gets: 0777 less the process's umask, as /proc/self/status
// reports it (022 when it cannot be read).
mode_t NewFolderMode() {
  mode_t mask = 022;
  if (FILE* status = std::fopen("/proc/self/status", "re")) {
    char line[256];
    unsigned value = 0;
    while (std::fgets(line, sizeof line, status) != nullptr) {
      if (std::sscanf(line, "Umask: %o", &value) == 1) {
        mask = static_cast<mode_t>(value);
        break;
      }
    }
    std::fclose(status);
  }
  return 0777 & ~mask;
}

// An error unless the folder that would hold `path` exists.
Status CheckFolderOf(const std::string& path) {
  const std::string folder = FolderOf(path);
  struct stat st;
  if (::stat(folder.c_str(), &st) != 0) {
    return Status::IOError(path,
                           "its folder " + folder + " cannot be used: " + std::strerror(errno));
  }
  if (!S_ISDIR(st.st_mode)) return Status::IOError(path, folder + " is not a folder");
  return Status::OK();
}

// The name part of `path`.
std::string NameOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

Status NamedOutput::ForFile(const std::string& path, Access access, NamedOutput* output) {
  NamedOutput decided;
  decided.path_ = path;
  decided.access_ = access;
  const auto new_file = [&] {
    decided.kind_ = Kind::kNewFile;
    *output = decided;
    return Status::OK();
  };
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) {
    if (errno != ENOENT) return PosixError(path, errno);
    const Status usable = CheckFolderOf(path);
    return usable.ok() ? new_file() : usable;
  }
  if (S_ISLNK(st.st_mode)) {
    // Followed only into what is not a regular file (a pipe, a device, /dev/stdout); a
    // link to a file, or to nothing, is replaced and never followed.
    decided.through_descriptor_ = LeadsIntoDescriptors(path);
    struct stat target;
    if (::stat(path.c_str(), &target) != 0) {
      return decided.through_descriptor_ ? PosixError(path, errno) : new_file();
    }
    if (S_ISDIR(target.st_mode)) return Status::IOError(path, "is a link to a folder");
    if (S_ISREG(target.st_mode) && !decided.through_descriptor_) return new_file();
    st = target;
    decided.kind_ = Kind::kInPlace;
  } else if (S_ISREG(st.st_mode)) {
    // Its mode is kept, so a file its owner made read-only stays unwritten.
    if (::access(path.c_str(), W_OK) != 0) return PosixError(path, errno);
    decided.kind_ = Kind::kFile;
  } else if (S_ISDIR(st.st_mode)) {
    return Status::IOError(path, "is a folder");
  } else {
    decided.kind_ = Kind::kInPlace;
  }
  if (S_ISSOCK(st.st_mode)) return Status::IOError(path, "is a socket");
  decided.device_ = st.st_dev;
  decided.inode_ = st.st_ino;
  decided.mode_ = st.st_mode & 07777;
  decided.owner_ = st.st_uid;
  decided.group_ = st.st_gid;
  *output = decided;
  return Status::OK();
}

Status NamedOutput::ForFolder(const std::string& path, NamedOutput* output) {
  NamedOutput decided;
  decided.path_ = path;
  // "dir/" would name what a link "dir" leads to; the name itself is meant.
  while (decided.path_.size() > 1 && decided.path_.back() == '/') decided.path_.pop_back();
  const std::string& name = decided.path_;
  struct stat st;
  if (::lstat(name.c_str(), &st) != 0) {
    if (errno != ENOENT) return PosixError(name, errno);
    Status status = CheckFolderOf(name);
    if (!status.ok()) return status;
    decided.kind_ = Kind::kNewFolder;
    decided.mode_ = NewFolderMode();
    *output = decided;
    return Status::OK();
  }
  if (S_ISLNK(st.st_mode)) {
    return Status::IOError(name, "is a link; a folder is never written through a link");
  }
  if (!S_ISDIR(st.st_mode)) return Status::IOError(name, "is a file, not a folder");
  if (Status empty = CheckEmptyFolderPosix(name); !empty.ok()) return empty;
  decided.kind_ = Kind::kEmptyFolder;
  decided.mode_ = st.st_mode & 07777;
  *output = decided;
  return Status::OK();
}

Status NamedOutput::Write(const std::vector<uint8_t>& bytes) const {
  if (kind_ == Kind::kInPlace) {
    UniqueFd fd(::open(path_.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0) return PosixError(path_, errno);
    struct stat st;
    if (::fstat(fd.get(), &st) != 0) return PosixError(path_, errno);
    if (st.st_dev != device_ || st.st_ino != inode_) {
      return Status::IOError(path_, "is no longer what it was when the run started");
    }
    // Appended: a file reached through /dev/stdout keeps what is in it already.
    if (S_ISREG(st.st_mode) && ::fcntl(fd.get(), F_SETFL, O_APPEND) != 0) {
      return PosixError(path_, errno);
    }
    Status status = WriteAll(fd.get(), bytes.data(), bytes.size(), path_);
    const Status closed = fd.Close(path_);
    return status.ok() ? closed : status;
  }
  const mode_t mode = kind_ == Kind::kFile          ? static_cast<mode_t>(mode_)
                      : access_ == Access::kPrivate ? 0600
                                                    : 0666;
  std::string temp_path;
  UniqueFd fd;
  Status status = CreateTemporaryBeside(path_, mode, &fd, &temp_path);
  if (!status.ok()) return status;
  if (kind_ == Kind::kFile) {
    // The owner and group where this process may set them (the group alone, or neither,
    // otherwise); then the mode exactly, whatever the umask (a change of owner clears
    // some of its bits).
    if (::fchown(fd.get(), owner_, group_) != 0) {
      (void)::fchown(fd.get(), static_cast<uid_t>(-1), group_);
    }
    if (::fchmod(fd.get(), static_cast<mode_t>(mode_)) != 0) status = PosixError(temp_path, errno);
  }
  if (!status.ok()) {
    fd.Close();
    ::unlink(temp_path.c_str());
    return status;
  }
  return FinishReplace(fd, temp_path, path_, bytes.data(), bytes.size(), /*durable=*/true);
}

Status NamedOutput::MakeFolderBeside(std::string* folder) const {
  const std::string stem = FolderOf(path_) + "/." + NameOf(path_) + ".part-";
  return Env::Default().MakePrivateFolder(stem, folder);
}

Status NamedOutput::PlaceFolder(const std::string& folder) const {
  if (::chmod(folder.c_str(), static_cast<mode_t>(mode_)) != 0) return PosixError(folder, errno);
  // rename(2) replaces an empty folder only; a folder with entries, a file or a link of
  // the name makes it fail.
  if (::rename(folder.c_str(), path_.c_str()) != 0) {
    const int error = errno;
    if (error == ENOTEMPTY || error == EEXIST) {
      return Status::IOError(path_, "was filled while this run wrote; nothing was replaced");
    }
    return PosixError(path_, error);
  }
  return Status::OK();
}

}  // namespace klv
