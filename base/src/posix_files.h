// Files on Linux, for the POSIX side of the platform seam: owned descriptors, whole reads
// and writes that say why they stopped, regular files opened for reading, the atomic
// replace (a temporary file beside the target, renamed over it when complete), and the
// advisory locks by which a running writer's files are told from a killed one's.
// Private to klv_base.
#ifndef KLV_BASE_SRC_POSIX_FILES_H_
#define KLV_BASE_SRC_POSIX_FILES_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include <dirent.h>
#include <sys/stat.h>
#include <sys/types.h>

#include "base/platform.h"
#include "base/status.h"

namespace klv {

// An open file descriptor, closed when the object goes.
class UniqueFd {
 public:
  explicit UniqueFd(int fd = -1) : fd_(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept;
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() { Close(); }

  int get() const { return fd_; }
  // Closes the descriptor (nothing when none is open). An error, with errno's reason,
  // when close reports one: a write may have been lost.
  Status Close(const std::string& context = std::string());

 private:
  int fd_;
};

// A folder open for listing its entries (a DIR*), closed when the object goes. readdir
// says that it failed only through errno, so Next clears errno before each call and
// tells the end of the folder from an error, which status() then keeps.
class UniqueDir {
 public:
  // Opens the folder `path`; status() says why when it cannot be opened.
  explicit UniqueDir(const std::string& path);
  // Takes over `fd`, an open descriptor of the folder `path`; it is closed in any case.
  UniqueDir(int fd, const std::string& path);
  UniqueDir(const UniqueDir&) = delete;
  UniqueDir& operator=(const UniqueDir&) = delete;
  ~UniqueDir();

  // The next entry, skipping "." and ".."; null at the end of the folder and after an
  // error (also when the folder did not open), which status() then names. Valid until
  // the next call.
  const dirent* Next();
  // The folder's descriptor, for the *at calls on its entries; -1 when it did not open.
  int fd() const;
  // OK while the folder is open and every readdir so far succeeded.
  const Status& status() const { return status_; }

 private:
  DIR* dir_ = nullptr;
  std::string path_;
  Status status_;
};

// Writes all of `data` to `fd`, going on after interruptions. The error names `context`.
Status WriteAll(int fd, const uint8_t* data, size_t size, const std::string& context);

// Reads until `size` bytes or the end of the file; *got counts the bytes that arrived.
Status ReadFull(int fd, uint8_t* dst, size_t size, size_t* got, const std::string& context);

// Opens `path` for reading into *fd and sets *opened to what the open file is then (its
// length, identity and modification time). Only regular files are opened: a folder or a
// pipe of that name fails at once instead of failing later or blocking.
Status OpenRegularForRead(const std::string& path, UniqueFd* fd, struct stat* opened);

// The folder part of `path`: "." when it has none, "/" at the root.
std::string FolderOf(const std::string& path);

// A file replaced by rename replaces a symbolic link, not the file it points to; so a
// link is followed to its target first. Any other path comes back as it is.
std::string ResolveLink(const std::string& path);

// `folder` + "/" + `name`; when nothing has that exact name, the one entry of `folder`
// whose name differs from `name` only in the case of ASCII letters, as Windows would
// find it. With no such entry, or several, the exact path.
std::string FindWithoutCase(const std::string& folder, const std::string& name);

// Creates a new temporary file beside `target`, "<target>.<pid>.tmp" or, when that name
// is taken, "<target>.<pid>.<n>.tmp", with `mode` (before the umask), into *fd and
// *temp_path. Never opens an existing file.
Status CreateTemporaryBeside(const std::string& target, mode_t mode, UniqueFd* fd,
                             std::string* temp_path);

// The first bytes of the package writer's temporary file until it is committed: the RIFF
// form "DATA" whose size field is still 0 (it is set last).
inline constexpr char kUnfinishedPackageHead[12] = {'R', 'I', 'F', 'F', 0,   0,
                                                    0,   0,   'D', 'A', 'T', 'A'};

// Removes the temporary files that package writers of `target` left behind when they
// were killed: in the target's own folder, regular files of this user named
// "<name>.<pid>.tmp" or "<name>.<pid>.<n>.tmp" whose lock no writer holds and that begin
// as an unfinished package (kUnfinishedPackageHead). A writer holds the lock of its
// temporary file for its whole life, so no process number is trusted, and a file that
// merely has such a name is never touched. Names with this process's number are left to
// it (its other threads may be writing them).
void RemoveStaleTemporaries(const std::string& target);

// Takes the exclusive advisory lock (flock) of the open file `fd`, held until the file is
// closed; waits for another holder only when `wait`. False when another open file holds
// it (or it cannot be locked).
bool LockFile(int fd, bool wait);

// The Env operations of these names (platform.h states their contracts).
Status CreateLockedFilePosix(const std::string& path, const std::string& content,
                             std::unique_ptr<FileLock>* lock);
Status TakeFileLockPosix(const std::string& path, size_t max_bytes, std::string* content,
                         std::unique_ptr<FileLock>* lock);

// Writes `data` into the open temporary file `fd`, syncs it when `durable`, closes it and
// renames it over `target`. On any failure the temporary file is removed and `target`
// untouched.
Status FinishReplace(UniqueFd& fd, const std::string& temp_path, const std::string& target,
                     const uint8_t* data, size_t size, bool durable);

// Replaces `path` (through a link, the file it names) whole with `data`.
Status ReplaceFile(const std::string& path, const uint8_t* data, size_t size, bool durable);

// A regular file opened for reading, as OpenRegularForRead found it (`opened`).
std::unique_ptr<InputFile> NewPosixInputFile(UniqueFd fd, const struct stat& opened,
                                             std::string path);

}  // namespace klv

#endif  // KLV_BASE_SRC_POSIX_FILES_H_
