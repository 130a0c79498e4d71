// The platform seam on Linux: profile files over profile.h, files through POSIX calls,
// packages written to a temporary file and renamed over the target only when complete,
// code page 932 conversions with the C library's iconv, and run-time loading with dlopen.
#include "base/platform.h"

#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <iconv.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <string_view>
#include <utility>

#include "base/profile.h"
#include "base/text.h"

namespace klv {
namespace {

// ---------------------------------------------------------------------------------------
// Small POSIX helpers

class UniqueFd {
 public:
  explicit UniqueFd(int fd = -1) : fd_(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
      Reset();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  ~UniqueFd() { Reset(); }
  int get() const { return fd_; }
  // Closes the descriptor; false when close reported an error (a lost write).
  bool Reset() {
    if (fd_ < 0) return true;
    const int rc = ::close(fd_);
    fd_ = -1;
    return rc == 0;
  }

 private:
  int fd_;
};

bool WriteAll(int fd, const uint8_t* data, size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

size_t ReadFull(int fd, uint8_t* dst, size_t size) {
  size_t total = 0;
  while (total < size) {
    const ssize_t n = ::read(fd, dst + total, size - total);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    total += static_cast<size_t>(n);
  }
  return total;
}

// Opens `path` for reading and sets *size to its length. Only regular files are opened: a
// folder or a pipe of that name fails at once instead of failing later or blocking.
UniqueFd OpenRegularForRead(const std::string& path, uint64_t* size) {
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd.get() < 0) return fd;
  struct stat st;
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0) {
    fd.Reset();
    errno = EISDIR;
    return fd;
  }
  *size = static_cast<uint64_t>(st.st_size);
  // O_NONBLOCK is the only status flag the file was opened with.
  ::fcntl(fd.get(), F_SETFL, 0);
  return fd;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// A file replaced by rename replaces a symbolic link, not the file it points to; so a
// link is followed to its target first.
std::string ResolveLink(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return path;
  std::string out(resolved);
  std::free(resolved);
  return out;
}

// Creates a new temporary file beside `target`, "<target>.<pid>.tmp" or, when that name
// is taken, "<target>.<pid>.<n>.tmp". Never opens an existing file.
UniqueFd CreateTemporaryBeside(const std::string& target, std::string* temp_path) {
  const std::string stem = target + "." + std::to_string(::getpid());
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string candidate = stem;
    if (attempt > 0) candidate += "." + std::to_string(attempt);
    candidate += ".tmp";
    UniqueFd fd(::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (fd.get() >= 0) {
      *temp_path = candidate;
      return fd;
    }
    if (errno != EEXIST) break;
  }
  return UniqueFd();
}

// True when `text` is a non-empty run of decimal digits.
bool AllDigits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Removes the temporary files that writers of `target` left behind when they were killed:
// "<name>.<pid>.tmp" and "<name>.<pid>.<n>.tmp" whose process no longer runs. Files of
// running processes (this one included) and every other name are left alone.
void RemoveStaleTemporaries(const std::string& target) {
  const std::string folder = FolderOf(target);
  const size_t slash = target.rfind('/');
  const std::string prefix = (slash == std::string::npos ? target : target.substr(slash + 1)) + ".";
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return;
  while (const dirent* entry = ::readdir(dir)) {
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
    if (!AllDigits(pid_text) || pid_text.size() > 9 ||
        (dot != std::string_view::npos && !AllDigits(middle.substr(dot + 1)))) {
      continue;
    }
    const pid_t pid = static_cast<pid_t>(std::stol(std::string(pid_text)));
    if (pid <= 0 || pid == ::getpid()) continue;
    if (::kill(pid, 0) != 0 && errno == ESRCH) ::unlinkat(::dirfd(dir), entry->d_name, 0);
  }
  ::closedir(dir);
}

void SyncFolder(const std::string& folder) {
  UniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  // Some file systems refuse to sync a folder; the rename has happened all the same.
  if (dir.get() >= 0) ::fsync(dir.get());
}

// Writes `bytes` into the open temporary file, optionally syncs it, closes it and renames
// it over `target`. On any failure the temporary file is removed and `target` untouched.
bool FinishReplace(UniqueFd& fd, const std::string& temp_path, const std::string& target,
                   const uint8_t* data, size_t size, bool durable) {
  bool ok = WriteAll(fd.get(), data, size);
  if (ok && durable) ok = ::fsync(fd.get()) == 0;
  ok = fd.Reset() && ok;
  if (ok) ok = ::rename(temp_path.c_str(), target.c_str()) == 0;
  if (!ok) {
    ::unlink(temp_path.c_str());
    return false;
  }
  if (durable) SyncFolder(FolderOf(target));
  return true;
}

bool ReplaceFile(const std::string& path, const uint8_t* data, size_t size, bool durable) {
  const std::string target = ResolveLink(path);
  std::string temp_path;
  UniqueFd fd = CreateTemporaryBeside(target, &temp_path);
  if (fd.get() < 0) return false;
  return FinishReplace(fd, temp_path, target, data, size, durable);
}

// ---------------------------------------------------------------------------------------
// Text conversions

class Iconv {
 public:
  Iconv(const char* to, const char* from) : cd_(::iconv_open(to, from)) {}
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;
  ~Iconv() {
    if (ok()) ::iconv_close(cd_);
  }
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // The whole of `in` converted, or nothing when any part of it is invalid in the source
  // encoding (EILSEQ), cut short (EINVAL) or without an equivalent in the target (EILSEQ).
  std::optional<std::string> Convert(std::string_view in) {
    if (!ok()) return std::nullopt;
    ::iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    std::string out;
    char buffer[1024];
    char* src = const_cast<char*>(in.data());
    size_t src_left = in.size();
    bool flushed = false;
    while (!flushed) {
      char* dst = buffer;
      size_t dst_left = sizeof buffer;
      // After the input, one call without input ends any pending shift state.
      flushed = src_left == 0;
      const size_t rc = flushed ? ::iconv(cd_, nullptr, nullptr, &dst, &dst_left)
                                : ::iconv(cd_, &src, &src_left, &dst, &dst_left);
      out.append(buffer, static_cast<size_t>(dst - buffer));
      if (rc == static_cast<size_t>(-1)) {
        if (errno != E2BIG) return std::nullopt;
        flushed = false;  // the buffer was full: go on
      }
    }
    return out;
  }

 private:
  iconv_t cd_;
};

// ---------------------------------------------------------------------------------------
// Profile files. A profile file is code page 932 text; a file that starts with a UTF-8 or
// UTF-16 byte-order mark is read in that encoding, as the platform's profile reader does.

enum class ProfileEncoding { kCp932, kUtf8, kUtf16Le, kUtf16Be };

// Files larger than this are not profile files: they read as empty and are never edited.
constexpr size_t kMaxProfileFileSize = 64u << 20;

// A profile file as read: a missing file reads as an empty code page 932 one.
struct ProfileFile {
  ProfileEncoding encoding = ProfileEncoding::kCp932;
  std::string body;  // the bytes after any byte-order mark
};

// Nothing when the file exists but cannot be read whole.
std::optional<ProfileFile> ReadProfileFile(const std::string& path) {
  ProfileFile file;
  uint64_t size = 0;
  UniqueFd fd = OpenRegularForRead(path, &size);
  if (fd.get() < 0) {
    if (errno == ENOENT) return file;
    return std::nullopt;
  }
  if (size > kMaxProfileFileSize) return std::nullopt;
  std::string bytes(static_cast<size_t>(size), '\0');
  const size_t got = ReadFull(fd.get(), reinterpret_cast<uint8_t*>(bytes.data()), bytes.size());
  if (got != bytes.size()) return std::nullopt;
  std::string_view view(bytes);
  if (view.substr(0, 3) == "\xEF\xBB\xBF") {
    file.encoding = ProfileEncoding::kUtf8;
    view.remove_prefix(3);
  } else if (view.substr(0, 2) == "\xFF\xFE") {
    file.encoding = ProfileEncoding::kUtf16Le;
    view.remove_prefix(2);
  } else if (view.substr(0, 2) == "\xFE\xFF") {
    file.encoding = ProfileEncoding::kUtf16Be;
    view.remove_prefix(2);
  }
  file.body.assign(view);
  return file;
}

const char* IconvName(ProfileEncoding encoding) {
  switch (encoding) {
    case ProfileEncoding::kUtf8: return "UTF-8";
    case ProfileEncoding::kUtf16Le: return "UTF-16LE";
    case ProfileEncoding::kUtf16Be: return "UTF-16BE";
    case ProfileEncoding::kCp932: break;
  }
  return "CP932";
}

std::string_view ByteOrderMark(ProfileEncoding encoding) {
  switch (encoding) {
    case ProfileEncoding::kUtf8: return "\xEF\xBB\xBF";
    case ProfileEncoding::kUtf16Le: return "\xFF\xFE";
    case ProfileEncoding::kUtf16Be: return "\xFE\xFF";
    case ProfileEncoding::kCp932: break;
  }
  return "";
}

// Decodes one character of UTF-8 or UTF-16 at the front of `in` and removes it; an invalid
// sequence gives U+FFFD for its first unit.
char32_t TakeCodePoint(std::string_view& in, ProfileEncoding encoding) {
  const auto byte = [&](size_t i) { return static_cast<uint8_t>(in[i]); };
  if (encoding == ProfileEncoding::kUtf8) {
    const std::optional<Utf8Character> character = DecodeUtf8(in, 0);
    in.remove_prefix(character ? character->length : 1);
    return character ? character->codePoint : U'\uFFFD';
  }
  const bool le = encoding == ProfileEncoding::kUtf16Le;
  const auto unit = [&](size_t i) -> char32_t {
    return le ? (byte(i) | (byte(i + 1) << 8)) : ((byte(i) << 8) | byte(i + 1));
  };
  if (in.size() < 2) {
    in.remove_prefix(in.size());
    return U'\uFFFD';
  }
  const char32_t u0 = unit(0);
  if (u0 >= 0xD800 && u0 <= 0xDBFF && in.size() >= 4) {
    const char32_t u1 = unit(2);
    if (u1 >= 0xDC00 && u1 <= 0xDFFF) {
      in.remove_prefix(4);
      return 0x10000 + ((u0 - 0xD800) << 10) + (u1 - 0xDC00);
    }
  }
  in.remove_prefix(2);
  return (u0 >= 0xD800 && u0 <= 0xDFFF) ? U'\uFFFD' : u0;
}

std::string EncodeUtf8(char32_t cp) {
  std::string out;
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
  return out;
}

// The profile text as code page 932 for reading: a character without an equivalent (or
// an invalid sequence) becomes "?", as the platform's reader gives it.
std::string ProfileTextForReading(const ProfileFile& file) {
  if (file.encoding == ProfileEncoding::kCp932) return file.body;
  Iconv to_cp932("CP932", "UTF-8");
  std::string out;
  std::string_view in(file.body);
  while (!in.empty()) {
    const char32_t cp = TakeCodePoint(in, file.encoding);
    if (cp < 0x80) {
      out += static_cast<char>(cp);
      continue;
    }
    const std::optional<std::string> converted = to_cp932.Convert(EncodeUtf8(cp));
    out += converted ? *converted : std::string("?");
  }
  return out;
}

// The profile text as code page 932 for editing: only when it converts back to exactly
// the bytes of the file, so that an edit loses nothing in the other lines.
std::optional<std::string> ProfileTextForEditing(const ProfileFile& file) {
  if (file.encoding == ProfileEncoding::kCp932) return file.body;
  std::optional<std::string> text = Iconv("CP932", IconvName(file.encoding)).Convert(file.body);
  if (!text) return std::nullopt;
  std::optional<std::string> back = Iconv(IconvName(file.encoding), "CP932").Convert(*text);
  if (!back || *back != file.body) return std::nullopt;
  return text;
}

std::string ReadProfileText(const std::string& path) {
  const std::optional<ProfileFile> file = ReadProfileFile(path);
  // A file that cannot be read gives every key its default, as a missing one does.
  return file ? ProfileTextForReading(*file) : std::string();
}

// ---------------------------------------------------------------------------------------
// Files

class PosixInputFile : public InputFile {
 public:
  // `length`: the file's length when it was opened.
  PosixInputFile(UniqueFd fd, uint64_t length) : fd_(std::move(fd)), length_(length) {}

  std::optional<uint64_t> Length() override { return length_; }

  size_t Read(uint8_t* dst, size_t size) override { return ReadFull(fd_.get(), dst, size); }

 private:
  UniqueFd fd_;
  uint64_t length_;
};

// The package goes to the temporary file through a buffer as it is written, rather than
// being gathered whole in memory: a chunk's size field still in the buffer is patched
// there, one already on disk with pwrite.
class PosixRiffFile : public RiffFile {
 public:
  PosixRiffFile(std::string target, std::string temp_path, UniqueFd fd)
      : target_(std::move(target)), temp_path_(std::move(temp_path)), fd_(std::move(fd)) {}

  ~PosixRiffFile() override { Abandon(); }

  bool CreateRiff(FourCC form) override {
    // The form's size stays 0 until Ascend sets it.
    if (!BeginChunk(FourCC{{'R', 'I', 'F', 'F'}}, 0)) return false;
    return Append(reinterpret_cast<const uint8_t*>(form.bytes), 4);
  }

  bool CreateChunk(FourCC id, uint32_t size) override { return BeginChunk(id, size); }

  bool Write(const uint8_t* data, size_t size) override {
    if (size > 0 && data == nullptr) return Fail();
    return Append(data, size);
  }

  bool Ascend() override {
    if (!Usable() || open_chunks_.empty()) return Fail();
    const uint64_t size_field = open_chunks_.back();
    open_chunks_.pop_back();
    const uint64_t data_size = Length() - (size_field + 4);
    if (data_size > UINT32_MAX) return Fail();
    const auto size = static_cast<uint32_t>(data_size);
    const uint8_t field[4] = {static_cast<uint8_t>(size), static_cast<uint8_t>(size >> 8),
                              static_cast<uint8_t>(size >> 16), static_cast<uint8_t>(size >> 24)};
    if (!Patch(size_field, field, sizeof field)) return Fail();
    if (size % 2 != 0) {
      static constexpr uint8_t kPad = 0;
      return Append(&kPad, 1);
    }
    return true;
  }

  bool Commit() override {
    // A chunk still open would leave a size field unpatched: such a file is not complete.
    if (!Usable() || !open_chunks_.empty()) {
      Abandon();
      return false;
    }
    // FinishReplace writes the rest, closes the file and, on failure, removes it.
    return FinishReplace(fd_, temp_path_, target_, buffer_.data(), buffer_.size(),
                         /*durable=*/true);
  }

 private:
  static constexpr size_t kBufferSize = size_t{64} << 10;

  bool Usable() const { return fd_.get() >= 0 && !failed_; }

  // Bytes written so far, on disk and in the buffer.
  uint64_t Length() const { return flushed_ + buffer_.size(); }

  // Removes the temporary file unless it was committed (or already removed).
  void Abandon() {
    failed_ = true;
    if (fd_.get() < 0) return;
    fd_.Reset();
    ::unlink(temp_path_.c_str());
  }

  // After any failure the writer refuses everything, so Commit cannot make a file with a
  // gap in it.
  bool Fail() {
    failed_ = true;
    return false;
  }

  bool Flush() {
    if (!WriteAll(fd_.get(), buffer_.data(), buffer_.size())) return Fail();
    StartWriteback(flushed_, buffer_.size());
    flushed_ += buffer_.size();
    buffer_.clear();
    return true;
  }

  // Starts writing the bytes just handed to the file to the disk, without waiting, so that
  // the sync of Commit finds most of them written already. Only a hint: it cannot fail.
  void StartWriteback(uint64_t offset, size_t size) {
#if defined(SYNC_FILE_RANGE_WRITE)
    ::sync_file_range(fd_.get(), static_cast<off_t>(offset), static_cast<off_t>(size),
                      SYNC_FILE_RANGE_WRITE);
#else
    (void)offset;
    (void)size;
#endif
  }

  bool Append(const uint8_t* data, size_t size) {
    if (!Usable()) return false;
    // A RIFF file cannot describe more than 4 GiB.
    if (size > UINT32_MAX - Length()) return Fail();
    if (buffer_.size() + size > kBufferSize && !Flush()) return false;
    if (size >= kBufferSize) {
      // A large block goes straight to the file.
      if (!WriteAll(fd_.get(), data, size)) return Fail();
      StartWriteback(flushed_, size);
      flushed_ += size;
      return true;
    }
    try {
      if (buffer_.capacity() < kBufferSize) buffer_.reserve(kBufferSize);
      buffer_.insert(buffer_.end(), data, data + size);
    } catch (const std::bad_alloc&) {
      return Fail();
    }
    return true;
  }

  // Overwrites `size` bytes at file offset `offset` (< Length() - size + 1): in the
  // buffer, on disk, or partly in each.
  bool Patch(uint64_t offset, const uint8_t* data, size_t size) {
    size_t on_disk = 0;
    if (offset < flushed_) {
      on_disk = static_cast<size_t>(std::min<uint64_t>(size, flushed_ - offset));
      size_t done = 0;
      while (done < on_disk) {
        const ssize_t n =
            ::pwrite(fd_.get(), data + done, on_disk - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
      }
    }
    if (on_disk < size) {
      std::memcpy(buffer_.data() + (offset + on_disk - flushed_), data + on_disk, size - on_disk);
    }
    return true;
  }

  bool BeginChunk(FourCC id, uint32_t size) {
    uint8_t header[8];
    std::memcpy(header, id.bytes, 4);
    header[4] = static_cast<uint8_t>(size);
    header[5] = static_cast<uint8_t>(size >> 8);
    header[6] = static_cast<uint8_t>(size >> 16);
    header[7] = static_cast<uint8_t>(size >> 24);
    if (!Append(header, sizeof header)) return false;
    try {
      open_chunks_.push_back(Length() - 4);
    } catch (const std::bad_alloc&) {
      return Fail();
    }
    return true;
  }

  std::string target_;
  std::string temp_path_;
  UniqueFd fd_;  // open until Commit or Abandon
  bool failed_ = false;
  uint64_t flushed_ = 0;               // bytes already written to the file
  std::vector<uint8_t> buffer_;        // the bytes after them, at most kBufferSize
  std::vector<uint64_t> open_chunks_;  // offsets of the size fields of the open chunks
};

class PosixSharedLibrary : public SharedLibrary {
 public:
  explicit PosixSharedLibrary(void* handle) : handle_(handle) {}
  ~PosixSharedLibrary() override { ::dlclose(handle_); }
  void* FindEntry(const char* name) override { return ::dlsym(handle_, name); }

 private:
  void* handle_;
};

// ---------------------------------------------------------------------------------------
// Messages

struct MessageRoute {
  std::mutex mutex;
  KLVMessageHandler handler = nullptr;
  void* context = nullptr;
};

MessageRoute& Route() {
  static MessageRoute* route = new MessageRoute;
  return *route;
}

// ---------------------------------------------------------------------------------------

class PosixEnv : public Env {
 public:
  std::string GetProfileString(const std::string& path, const std::string& section,
                               const std::string& key, const std::string& default_value,
                               size_t buffer_size) override {
    return GetProfileStringFromText(ReadProfileText(path), section, key, default_value,
                                    buffer_size);
  }

  int32_t GetProfileInt(const std::string& path, const std::string& section, const std::string& key,
                        int32_t default_value) override {
    return GetProfileIntFromText(ReadProfileText(path), section, key, default_value);
  }

  bool WriteProfileString(const std::string& path, const std::string& section,
                          const std::string& key, const std::string& value) override {
    // A file that cannot be read, or not converted without loss, is left as it is.
    const std::optional<ProfileFile> file = ReadProfileFile(path);
    if (!file) return false;
    const std::optional<std::string> text = ProfileTextForEditing(*file);
    if (!text) return false;
    std::string edited = SetProfileValueInText(*text, section, key, value);
    std::string bytes(ByteOrderMark(file->encoding));
    if (file->encoding == ProfileEncoding::kCp932) {
      bytes += edited;
    } else {
      const std::optional<std::string> encoded =
          Iconv(IconvName(file->encoding), "CP932").Convert(edited);
      if (!encoded) return false;
      bytes += *encoded;
    }
    return ReplaceFile(path, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(),
                       /*durable=*/true);
  }

  std::unique_ptr<InputFile> OpenForSharedRead(const std::string& path) override {
    uint64_t length = 0;
    UniqueFd fd = OpenRegularForRead(path, &length);
    if (fd.get() < 0) return nullptr;
    // Writers that lock the file exclusively keep it from being read, as a file opened
    // for writing without read sharing does elsewhere. The lock is advisory.
    if (::flock(fd.get(), LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK) return nullptr;
    return std::make_unique<PosixInputFile>(std::move(fd), length);
  }

  std::unique_ptr<RiffFile> CreateRiffFile(const std::string& target) override {
    const std::string resolved = ResolveLink(target);
    RemoveStaleTemporaries(resolved);
    std::string temp_path;
    UniqueFd fd = CreateTemporaryBeside(resolved, &temp_path);
    if (fd.get() < 0) return nullptr;
    return std::make_unique<PosixRiffFile>(resolved, temp_path, std::move(fd));
  }

  bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) override {
    // Work files are removed again after the make and are not synced. A new file (the
    // usual case) is written in place; one that fails half-way is removed again. An
    // existing name (a file, a link, a pipe) is replaced whole through a temporary file.
    UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (fd.get() < 0) {
      if (errno != EEXIST) return false;
      return ReplaceFile(path, bytes.data(), bytes.size(), /*durable=*/false);
    }
    const bool written = WriteAll(fd.get(), bytes.data(), bytes.size());
    if (fd.Reset() && written) return true;
    ::unlink(path.c_str());
    return false;
  }

  bool RemoveFile(const std::string& path) override { return ::unlink(path.c_str()) == 0; }

  std::vector<std::string> ListFiles(const std::string& folder) override {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return names;
    while (const dirent* entry = ::readdir(dir)) {
      const std::string_view name(entry->d_name);
      if (name == "." || name == "..") continue;
      // The entry's type when the file system gives it; a link, or an entry of unknown
      // type, counts by what it names.
      bool regular = entry->d_type == DT_REG;
      if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
        struct stat st;
        regular = ::fstatat(::dirfd(dir), entry->d_name, &st, 0) == 0 && S_ISREG(st.st_mode);
      }
      if (regular) names.emplace_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
  }

  void ShowMessage(const std::string& text) override {
    MessageRoute& route = Route();
    KLVMessageHandler handler;
    void* context;
    {
      std::lock_guard<std::mutex> lock(route.mutex);
      handler = route.handler;
      context = route.context;
    }
    // The handler runs outside the lock, so that it may install another handler.
    if (handler != nullptr) {
      handler(text.c_str(), context);
      return;
    }
    const std::string line = OneLine(text) + '\n';
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
  }

  std::unique_ptr<SharedLibrary> LoadSharedLibrary(const std::string& bare_name) override {
    const std::string file = "lib" + bare_name + ".so";
    const std::string folder = ProgramFolder();
    void* handle = nullptr;
    if (!folder.empty()) {
      const std::string own = folder == "/" ? "/" + file : folder + "/" + file;
      handle = ::dlopen(own.c_str(), RTLD_NOW | RTLD_LOCAL);
    }
    // A name without a slash makes dlopen search the system's library path.
    if (handle == nullptr) handle = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) return nullptr;
    return std::make_unique<PosixSharedLibrary>(handle);
  }
};

}  // namespace

Env& Env::Default() {
  static PosixEnv* env = new PosixEnv;
  return *env;
}

std::optional<std::string> Cp932ToUtf8(const std::string& cp932) {
  return Iconv("UTF-8", "CP932").Convert(cp932);
}

std::optional<std::string> Utf8ToCp932(const std::string& utf8) {
  return Iconv("CP932", "UTF-8").Convert(utf8);
}

void SetMessageHandler(KLVMessageHandler handler, void* context) {
  MessageRoute& route = Route();
  std::lock_guard<std::mutex> lock(route.mutex);
  route.handler = handler;
  route.context = handler != nullptr ? context : nullptr;
}

std::string ProgramFolder() {
  std::string path(256, '\0');
  while (true) {
    const ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size());
    if (n < 0) return std::string();
    if (static_cast<size_t>(n) < path.size()) {
      path.resize(static_cast<size_t>(n));
      break;
    }
    if (path.size() >= (1u << 16)) return std::string();
    path.resize(path.size() * 2);
  }
  return FolderOf(path);
}

uint8_t* AllocateBlockMemory(size_t size, void** handle) {
  void* memory = std::calloc(size, 1);
  *handle = memory;
  return static_cast<uint8_t*>(memory);
}

void ReleaseBlockMemory(void* handle) { std::free(handle); }

#if defined(__GLIBC__)
namespace {

// Blocks up to 32 MiB (the most the library allows) come from the heap, not from maps of
// their own that a free returns at once.
constexpr size_t kHeapBlockLimit = size_t{32} << 20;

// The size of the kernel's large pages for anonymous memory when it gives them to a
// region that asks (its setting "always" or "madvise"); 0 when it never does, and on
// processors other than x86-64, whose large pages are 2 MiB.
size_t AskableLargePageBytes() {
#if defined(__x86_64__)
  const int fd = ::open("/sys/kernel/mm/transparent_hugepage/enabled", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 0;
  char setting[128] = {};
  const ssize_t n = ::read(fd, setting, sizeof setting - 1);
  ::close(fd);
  if (n <= 0 || std::strstr(setting, "[never]") != nullptr) return 0;
  return size_t{2} << 20;
#else
  return 0;
#endif
}

// Faults in the pages of [start, end), both page-aligned, in one call. A kernel without
// this advice (before Linux 5.14) leaves them to fault in one by one.
void PopulateForWriting(uintptr_t start, uintptr_t end) {
#if defined(MADV_POPULATE_WRITE)
  if (end > start) ::madvise(reinterpret_cast<void*>(start), end - start, MADV_POPULATE_WRITE);
#else
  (void)start;
  (void)end;
#endif
}

// The C library's heap keeps a block's chunk two words before the block, and a request
// of n bytes takes a chunk of n + one word rounded up to two words.
constexpr size_t kChunkHeaderBytes = 2 * sizeof(size_t);
// A spacer smaller than this could be served by a freed block rather than the heap's top.
constexpr size_t kLeastSpacerBytes = size_t{256} << 10;

// The block that keeps the heap's next allocations on the large pages; held for the life
// of the process and never touched beyond its header.
void* g_spacer = nullptr;

// Backs the next `bytes` of heap with large pages, made ready in one call: a large page is
// one fault and one clear rather than 512. The large pages are taken out of the middle of
// a block from the heap's top, where the heap has never written; the block is freed and a
// spacer allocated up to the first large page, so that the next allocations start on it.
// False, with nothing prepared, when the block did not come from the heap's top.
bool PrepareLargePages(size_t bytes, size_t large) {
  const size_t span = (bytes + large - 1) / large * large;
  const size_t probe_bytes = kLeastSpacerBytes + span + 2 * large;
  if (probe_bytes >= kHeapBlockLimit) return false;
  auto* probe = static_cast<uint8_t*>(std::malloc(probe_bytes));
  if (probe == nullptr) return false;
  const auto probe_start = reinterpret_cast<uintptr_t>(probe);
  const uintptr_t chunk = probe_start - kChunkHeaderBytes;
  const uintptr_t start = (chunk + kLeastSpacerBytes + large - 1) / large * large;
  // A block from the heap's top ends inside the program break; the large pages lie
  // inside the block, away from the headers written at its two ends.
  const auto heap_end = reinterpret_cast<uintptr_t>(::sbrk(0));
  const bool from_top = probe_start + probe_bytes <= heap_end &&
                        start + span + kChunkHeaderBytes <= probe_start + probe_bytes;
  if (from_top) {
    ::madvise(reinterpret_cast<void*>(start), span, MADV_HUGEPAGE);
    PopulateForWriting(start, start + span);
  }
  std::free(probe);
  if (!from_top) return false;
  // The freed block went back to the top; the spacer's chunk now ends where they start.
  void* spacer = std::malloc(start - chunk - sizeof(size_t));
  if (spacer == probe) {
    g_spacer = spacer;
  } else {
    std::free(spacer);
  }
  return true;
}

}  // namespace
#endif

void PrepareHeap(size_t bytes) {
#if defined(__GLIBC__)
  // Blocks up to the limit come from the heap, and a free top of the heap is kept
  // rather than trimmed.
  ::mallopt(M_MMAP_THRESHOLD, static_cast<int>(kHeapBlockLimit));
  ::mallopt(M_TRIM_THRESHOLD, static_cast<int>(kHeapBlockLimit));
  if (bytes == 0 || bytes > kHeapBlockLimit || g_spacer != nullptr) return;
  const size_t large = AskableLargePageBytes();
  if (large != 0 && PrepareLargePages(bytes, large)) return;
  void* block = std::malloc(bytes);
  if (block == nullptr) return;
  const auto page = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
  const uintptr_t start = (reinterpret_cast<uintptr_t>(block) + page - 1) / page * page;
  const uintptr_t end = (reinterpret_cast<uintptr_t>(block) + bytes) / page * page;
  PopulateForWriting(start, end);
  std::free(block);
#else
  (void)bytes;
#endif
}

}  // namespace klv
