// Folders on Linux: mkdtemp for the private work folder (a new name made in one step,
// mode 0700), its removal entry by entry without following links, and rename(2), which
// replaces a link of the target's name instead of writing through it.
#include "posix_folders.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "base/platform.h"
#include "posix_files.h"

namespace klv {

Status MakePrivateFolderPosix(const std::string& path_stem, std::string* made) {
  std::string pattern = path_stem + "XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) return PosixError(FolderOf(path_stem), errno);
  *made = pattern;
  return Status::OK();
}

Status RemovePrivateFolderPosix(const std::string& path) {
  // O_NOFOLLOW: a link put in the folder's place is not entered.
  const int dir_fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (dir_fd < 0) return PosixError(path, errno);
  UniqueDir dir(dir_fd, path);  // owns the descriptor from here on
  Status status;
  while (const dirent* entry = dir.Next()) {
    // unlinkat removes a link itself; a folder needs the other flag.
    if (::unlinkat(dir_fd, entry->d_name, 0) != 0) {
      const int error = errno;
      if ((error == EISDIR || error == EPERM) &&
          ::unlinkat(dir_fd, entry->d_name, AT_REMOVEDIR) == 0) {
        continue;
      }
      if (status.ok()) status = PosixError(path + "/" + entry->d_name, error);
    }
  }
  if (status.ok()) status = dir.status();
  if (::rmdir(path.c_str()) != 0 && status.ok()) status = PosixError(path, errno);
  return status;
}

Status ListFoldersPosix(const std::string& folder, std::vector<std::string>* names) {
  names->clear();
  UniqueDir dir(folder);
  while (const dirent* entry = dir.Next()) {
    // The entry itself, not what a link names: its type as the file system gives it, and
    // only where it gives none, as the entry is examined.
    bool folder = entry->d_type == DT_DIR;
    if (entry->d_type == DT_UNKNOWN) {
      struct stat st;
      folder =
          ::fstatat(dir.fd(), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
    }
    if (folder) names->emplace_back(entry->d_name);
  }
  if (!dir.status().ok()) {
    names->clear();
    return dir.status();
  }
  std::sort(names->begin(), names->end());
  return Status::OK();
}

Status RenameFilePosix(const std::string& from, const std::string& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) return PosixError(to, errno);
  // The new name is made durable with its folder; some file systems refuse to sync a
  // folder, and the rename has happened all the same.
  UniqueFd dir(::open(FolderOf(to).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() >= 0) ::fsync(dir.get());
  return Status::OK();
}

uint64_t CurrentProcessId() { return static_cast<uint64_t>(::getpid()); }

Status CheckFolderPosix(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) {
    // ENOTDIR: a file where the path needs a folder.
    if (errno == ENOENT || errno == ENOTDIR) return Status::NotFound(path, "does not exist");
    return PosixError(path, errno);
  }
  if (!S_ISDIR(st.st_mode)) return Status::IOError(path, "is a file, not a folder");
  return Status::OK();
}

Status CheckEmptyFolderPosix(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return Status::NotFound(path, "does not exist");
    return PosixError(path, errno);
  }
  if (S_ISLNK(st.st_mode)) return Status::IOError(path, "is a link, not a folder");
  if (!S_ISDIR(st.st_mode)) return Status::IOError(path, "is a file, not a folder");
  // O_NOFOLLOW: a link put in the folder's place meanwhile is not followed.
  const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return PosixError(path, errno);
  UniqueDir dir(fd, path);
  if (dir.Next() != nullptr) return Status::IOError(path, "is a folder that is not empty");
  return dir.status();
}

}  // namespace klv
