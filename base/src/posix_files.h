// Files on Linux, for the POSIX side of the platform seam: owned descriptors, whole reads
// and writes that say why they stopped, regular files opened for reading, and the
// atomic replace (a temporary file beside the target, renamed over it when complete).
// Private to klv_base.
#ifndef KLV_BASE_SRC_POSIX_FILES_H_
#define KLV_BASE_SRC_POSIX_FILES_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>

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

// Writes all of `data` to `fd`, going on after interruptions. The error names `context`.
Status WriteAll(int fd, const uint8_t* data, size_t size, const std::string& context);

// Reads until `size` bytes or the end of the file; *got counts the bytes that arrived.
Status ReadFull(int fd, uint8_t* dst, size_t size, size_t* got, const std::string& context);

// Opens `path` for reading into *fd and sets *size to its length. Only regular files are
// opened: a folder or a pipe of that name fails at once instead of failing later or
// blocking.
Status OpenRegularForRead(const std::string& path, UniqueFd* fd, uint64_t* size);

// The folder part of `path`: "." when it has none, "/" at the root.
std::string FolderOf(const std::string& path);

// A file replaced by rename replaces a symbolic link, not the file it points to; so a
// link is followed to its target first. Any other path comes back as it is.
std::string ResolveLink(const std::string& path);

// Creates a new temporary file beside `target`, "<target>.<pid>.tmp" or, when that name
// is taken, "<target>.<pid>.<n>.tmp", into *fd and *temp_path. Never opens an existing
// file.
Status CreateTemporaryBeside(const std::string& target, UniqueFd* fd, std::string* temp_path);

// Removes the temporary files that writers of `target` left behind when they were killed:
// regular files "<name>.<pid>.tmp" and "<name>.<pid>.<n>.tmp" in the target's own folder
// whose process no longer runs. Files of running processes (this one included), links,
// folders and every other name are left alone.
void RemoveStaleTemporaries(const std::string& target);

// Writes `data` into the open temporary file `fd`, syncs it when `durable`, closes it and
// renames it over `target`. On any failure the temporary file is removed and `target`
// untouched.
Status FinishReplace(UniqueFd& fd, const std::string& temp_path, const std::string& target,
                     const uint8_t* data, size_t size, bool durable);

// Replaces `path` (through a link, the file it names) whole with `data`.
Status ReplaceFile(const std::string& path, const uint8_t* data, size_t size, bool durable);

// A regular file opened for reading, whose length was measured when it was opened.
std::unique_ptr<InputFile> NewPosixInputFile(UniqueFd fd, uint64_t length, std::string path);

}  // namespace klv

#endif  // KLV_BASE_SRC_POSIX_FILES_H_
