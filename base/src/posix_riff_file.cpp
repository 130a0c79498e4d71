// The package's RIFF writer on Linux. The package goes to the temporary file through a
// buffer as it is written, rather than being gathered whole in memory: a chunk's size
// field that differs from the size declared when the chunk was created is patched in the
// buffer, or with pwrite once on disk; Commit syncs the file once, before its rename. The
// writer holds the temporary file's lock for its whole life and writes the form's head at
// once, so that the file of a killed writer can be told apart and removed.
#include "posix_riff_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include "posix_files.h"

namespace klv {
namespace {

class PosixRiffFile : public RiffFile {
 public:
  PosixRiffFile(std::string target, std::string temp_path, UniqueFd fd)
      : target_(std::move(target)), temp_path_(std::move(temp_path)), fd_(std::move(fd)) {}

  ~PosixRiffFile() override { Abandon(); }

  Status CreateRiff(FourCC form) override {
    // The form's size stays 0 until Ascend sets it.
    Status status = BeginChunk(FourCC{{'R', 'I', 'F', 'F'}}, 0);
    if (status.ok()) status = Append(reinterpret_cast<const uint8_t*>(form.bytes), 4);
    // On disk at once: the head of an unfinished package (RemoveStaleTemporaries).
    if (status.ok()) status = Flush();
    return status;
  }

  Status CreateChunk(FourCC id, uint32_t size) override { return BeginChunk(id, size); }

  Status Write(const uint8_t* data, size_t size) override {
    if (size > 0 && data == nullptr) return Fail(Status::IOError(temp_path_, "no data to write"));
    return Append(data, size);
  }

  Status Ascend() override {
    if (!Usable()) return Refusal();
    if (open_chunks_.empty()) return Fail(Status::IOError(temp_path_, "no chunk is open"));
    const OpenChunk chunk = open_chunks_.back();
    open_chunks_.pop_back();
    const uint64_t data_size = Length() - (chunk.sizeField + 4);
    if (data_size > UINT32_MAX) return Fail(TooLarge());
    const auto size = static_cast<uint32_t>(data_size);
    // A chunk whose size was known when it was created holds it already.
    if (size != chunk.declared) {
      const uint8_t field[4] = {static_cast<uint8_t>(size), static_cast<uint8_t>(size >> 8),
                                static_cast<uint8_t>(size >> 16), static_cast<uint8_t>(size >> 24)};
      Status status = Patch(chunk.sizeField, field, sizeof field);
      if (!status.ok()) return Fail(status);
    }
    if (size % 2 != 0) {
      static constexpr uint8_t kPad = 0;
      return Append(&kPad, 1);
    }
    return Status::OK();
  }

  Status Commit() override {
    if (!Usable()) {
      Status refusal = Refusal();
      Abandon();
      return refusal;
    }
    // A chunk still open would leave a size field unpatched: such a file is not complete.
    if (!open_chunks_.empty()) {
      failure_ = Status::IOError(target_, "a chunk is still open");
      Abandon();
      return failure_;
    }
    // FinishReplace writes the rest, closes the file and, on failure, removes it.
    Status status = FinishReplace(fd_, temp_path_, target_, buffer_.data(), buffer_.size(),
                                  /*durable=*/true);
    if (!status.ok()) failure_ = status;
    return status;
  }

 private:
  static constexpr size_t kBufferSize = size_t{64} << 10;

  bool Usable() const { return fd_.get() >= 0 && failure_.ok(); }

  // What a writer that is not usable answers: its first failure, or that it is closed.
  Status Refusal() const {
    if (!failure_.ok()) return failure_;
    return Status::IOError(target_, "the package file is already closed");
  }

  Status TooLarge() const {
    return Status::IOError(temp_path_, "a RIFF file cannot hold more than 4 GiB");
  }

  // Bytes written so far, on disk and in the buffer.
  uint64_t Length() const { return flushed_ + buffer_.size(); }

  // Removes the temporary file unless it was committed (or already removed).
  void Abandon() {
    if (fd_.get() < 0) return;
    fd_.Close();
    ::unlink(temp_path_.c_str());
  }

  // After any failure the writer refuses everything with it, so Commit cannot make a
  // file with a gap in it.
  Status Fail(Status status) {
    failure_ = std::move(status);
    return failure_;
  }

  Status Flush() {
    Status status = WriteAll(fd_.get(), buffer_.data(), buffer_.size(), temp_path_);
    if (!status.ok()) return Fail(status);
    flushed_ += buffer_.size();
    buffer_.clear();
    return Status::OK();
  }

  Status Append(const uint8_t* data, size_t size) {
    if (!Usable()) return Refusal();
    // A RIFF file cannot describe more than 4 GiB.
    if (size > UINT32_MAX - Length()) return Fail(TooLarge());
    if (buffer_.size() + size > kBufferSize) {
      Status status = Flush();
      if (!status.ok()) return status;
    }
    if (size >= kBufferSize) {
      // A large block goes straight to the file.
      Status status = WriteAll(fd_.get(), data, size, temp_path_);
      if (!status.ok()) return Fail(status);
      flushed_ += size;
      return Status::OK();
    }
    try {
      if (buffer_.capacity() < kBufferSize) buffer_.reserve(kBufferSize);
      buffer_.insert(buffer_.end(), data, data + size);
    } catch (const std::bad_alloc&) {
      return Fail(Status::IOError(temp_path_, "not enough memory for the write buffer"));
    }
    return Status::OK();
  }

  // Overwrites `size` bytes at file offset `offset` (< Length() - size + 1): in the
  // buffer, on disk, or partly in each.
  Status Patch(uint64_t offset, const uint8_t* data, size_t size) {
    size_t on_disk = 0;
    if (offset < flushed_) {
      on_disk = static_cast<size_t>(std::min<uint64_t>(size, flushed_ - offset));
      size_t done = 0;
      while (done < on_disk) {
        const ssize_t n =
            ::pwrite(fd_.get(), data + done, on_disk - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return PosixError(temp_path_, errno);
        if (n == 0) return PosixError(temp_path_, EIO);
        done += static_cast<size_t>(n);
      }
    }
    if (on_disk < size) {
      std::memcpy(buffer_.data() + (offset + on_disk - flushed_), data + on_disk, size - on_disk);
    }
    return Status::OK();
  }

  Status BeginChunk(FourCC id, uint32_t size) {
    uint8_t header[8];
    std::memcpy(header, id.bytes, 4);
    header[4] = static_cast<uint8_t>(size);
    header[5] = static_cast<uint8_t>(size >> 8);
    header[6] = static_cast<uint8_t>(size >> 16);
    header[7] = static_cast<uint8_t>(size >> 24);
    Status status = Append(header, sizeof header);
    if (!status.ok()) return status;
    try {
      open_chunks_.push_back(OpenChunk{Length() - 4, size});
    } catch (const std::bad_alloc&) {
      return Fail(Status::IOError(temp_path_, "not enough memory for the chunk list"));
    }
    return Status::OK();
  }

  // A chunk not yet ascended from: where its size field is, and the size written there.
  struct OpenChunk {
    uint64_t sizeField;
    uint32_t declared;
  };

  std::string target_;
  std::string temp_path_;
  UniqueFd fd_;                  // open until Commit or Abandon
  Status failure_;               // the first failure; OK while there is none
  uint64_t flushed_ = 0;         // bytes already written to the file
  std::vector<uint8_t> buffer_;  // the bytes after them, at most kBufferSize
  std::vector<OpenChunk> open_chunks_;
};

}  // namespace

Status NewPosixRiffFile(const std::string& target, std::unique_ptr<RiffFile>* file) {
  // A link named like the package is replaced by the rename, never followed: the
  // temporary file lies in the target's own folder and the rename takes the name itself.
  RemoveStaleTemporaries(target);
  std::string temp_path;
  UniqueFd fd;
  Status status = CreateTemporaryBeside(target, 0666, &fd, &temp_path);
  if (!status.ok()) return status;
  // Another writer's clean-up may hold it for a moment, to find it empty and let it go.
  if (!LockFile(fd.get(), /*wait=*/true)) {
    status = PosixError(temp_path, errno);
    ::unlink(temp_path.c_str());
    return status;
  }
  *file = std::make_unique<PosixRiffFile>(target, temp_path, std::move(fd));
  return Status::OK();
}

}  // namespace klv
