// The platform seam: every service that differs between Linux and Windows, and every
// file access that tests need to fail on purpose. One implementation per platform
// (platform_posix.cpp, platform_win.cpp) is chosen by CMake; tests substitute fakes.
// Paths and texts here are narrow strings in the platform's own encoding: UTF-8 file
// names on Linux, the system code page on Windows.
#ifndef KLV_BASE_PLATFORM_H_
#define KLV_BASE_PLATFORM_H_

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "KLVUtils.h"  // KLVMessageHandler

namespace klv {

// Four-character chunk identifier, first character in the lowest byte as RIFF stores it.
struct FourCC {
  char bytes[4];
};

// A file opened for reading; other programs may read it meanwhile but not write it.
class InputFile {
 public:
  virtual ~InputFile() = default;
  // The file's length in bytes, or nothing when it cannot be measured.
  virtual std::optional<uint64_t> Length() = 0;
  // Reads up to `size` bytes into `dst`; returns how many arrived (0 at the end or on an
  // error). A short count is not retried by callers.
  virtual size_t Read(uint8_t* dst, size_t size) = 0;
};

// The RIFF writer of one package, with the semantics of the platform's multimedia file
// functions: CreateRiff/CreateChunk write the id and 32-bit size (and the form type);
// Ascend patches the size of the innermost open chunk to the bytes written into it and
// adds one zero pad byte, not counted, after odd-sized data.
// The bytes go to a temporary file beside the target; Commit makes them the target in
// one rename. Destroying the writer without a successful Commit removes the temporary
// file, so the target path always holds its earlier content or the complete new one.
class RiffFile {
 public:
  virtual ~RiffFile() = default;
  virtual bool CreateRiff(FourCC form) = 0;
  virtual bool CreateChunk(FourCC id, uint32_t size) = 0;
  virtual bool Write(const uint8_t* data, size_t size) = 0;
  virtual bool Ascend() = 0;
  // Flushes to stable storage, closes and renames over the target. False when any step
  // failed; the temporary file is then gone and the target untouched.
  virtual bool Commit() = 0;
};

// The platform's memory for one loaded picture: a movable, zero-filled block of global
// memory on Windows (GlobalAlloc, locked with GlobalLock while it lives, released with
// GlobalUnlock and GlobalFree), zero-filled heap memory elsewhere. Null when memory runs
// out; *handle is what ReleaseBlockMemory takes back.
uint8_t* AllocateBlockMemory(size_t size, void** handle);
void ReleaseBlockMemory(void* handle);

// Prepares the heap of a short-lived program that is about to allocate some `bytes`
// more: memory it frees is kept for its next allocations rather than handed back to the
// system at once, and `bytes` of heap are made ready in one call rather than a page fault
// at a time, on the kernel's large pages where it gives them. A make frees and allocates
// megabytes in turn (the surfaces, then the loaded pictures). Call it once, before the
// allocations. Linux with the GNU C library only; nothing elsewhere. Never fails.
void PrepareHeap(size_t bytes);

// An owned, zero-filled run of bytes in the platform's block memory. Allocation throws
// std::bad_alloc when memory runs out; copies are deep.
class MemoryBlock {
 public:
  MemoryBlock() = default;
  explicit MemoryBlock(size_t size) { Allocate(size); }
  MemoryBlock(size_t size, uint8_t fill) : MemoryBlock(size) {
    if (fill != 0 && size_ > 0) std::memset(data_, fill, size_);
  }
  template <typename Iterator>
  requires(!std::is_integral_v<Iterator>) MemoryBlock(Iterator first, Iterator last)
      : MemoryBlock(static_cast<size_t>(std::distance(first, last))) {
    std::copy(first, last, data_);
  }
  MemoryBlock(const MemoryBlock& other) : MemoryBlock(other.begin(), other.end()) {}
  MemoryBlock(MemoryBlock&& other) noexcept { Swap(other); }
  MemoryBlock& operator=(MemoryBlock other) noexcept {
    Swap(other);
    return *this;
  }
  ~MemoryBlock() { ReleaseBlockMemory(handle_); }

  uint8_t* data() { return data_; }
  const uint8_t* data() const { return data_; }
  size_t size() const { return size_; }
  uint8_t* begin() { return data_; }
  uint8_t* end() { return data_ + size_; }
  const uint8_t* begin() const { return data_; }
  const uint8_t* end() const { return data_ + size_; }
  uint8_t& operator[](size_t i) { return data_[i]; }
  uint8_t operator[](size_t i) const { return data_[i]; }

 private:
  void Allocate(size_t size) {
    if (size == 0) return;
    data_ = AllocateBlockMemory(size, &handle_);
    if (data_ == nullptr) throw std::bad_alloc();
    size_ = size;
  }
  void Swap(MemoryBlock& other) noexcept {
    std::swap(handle_, other.handle_);
    std::swap(data_, other.data_);
    std::swap(size_, other.size_);
  }

  void* handle_ = nullptr;
  uint8_t* data_ = nullptr;
  size_t size_ = 0;
};

// A shared library loaded at run time. Closed when destroyed.
class SharedLibrary {
 public:
  virtual ~SharedLibrary() = default;
  // The address of the export `name`, or null when there is none.
  virtual void* FindEntry(const char* name) = 0;
};

class Env {
 public:
  virtual ~Env() = default;

  // The process's environment for this platform. Never destroyed.
  static Env& Default();

  // Profile (INI) files, with the rules of the platform's profile functions: a missing
  // file, section or key gives `default_value`; a text comes back cut to
  // `buffer_size` - 1 bytes (before a double-byte character that would not fit).
  virtual std::string GetProfileString(const std::string& path, const std::string& section,
                                       const std::string& key, const std::string& default_value,
                                       size_t buffer_size) = 0;
  virtual int32_t GetProfileInt(const std::string& path, const std::string& section,
                                const std::string& key, int32_t default_value) = 0;
  // Adds or replaces key=value in `section`, creating the file and the section when
  // absent. False when the file could not be written.
  virtual bool WriteProfileString(const std::string& path, const std::string& section,
                                  const std::string& key, const std::string& value) = 0;

  // Null when the file cannot be opened for reading.
  virtual std::unique_ptr<InputFile> OpenForSharedRead(const std::string& path) = 0;
  // Null when the temporary file beside `target` cannot be created.
  virtual std::unique_ptr<RiffFile> CreateRiffFile(const std::string& target) = 0;
  // Creates or replaces `path` with `bytes`. False on any failure.
  virtual bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) = 0;
  // Deletes one file. False when it could not be deleted (including: it did not exist).
  virtual bool RemoveFile(const std::string& path) = 0;
  // The names (without folder) of the regular files in `folder`; empty when it cannot
  // be read.
  virtual std::vector<std::string> ListFiles(const std::string& folder) = 0;

  // Shows one message of the package library: to the handler set by SetMessageHandler
  // when there is one, otherwise one line on standard error (Linux) or an information
  // message box without owner or caption (Windows).
  virtual void ShowMessage(const std::string& text) = 0;

  // Loads a shared library by its bare name ("KLVUtils"): first from the program's own
  // folder, then from the system's search path. Null when it is not found.
  virtual std::unique_ptr<SharedLibrary> LoadSharedLibrary(const std::string& bare_name) = 0;
};

// The separator that joins a folder and a name on this platform.
inline constexpr char kPathSeparator =
#if defined(_WIN32)
    '\\';
#else
    '/';
#endif

// Text conversions between code page 932 and the platform's encodings. Nothing when the
// input holds a byte sequence that the source encoding does not define, or a character
// that the target cannot hold.
std::optional<std::string> Cp932ToUtf8(const std::string& cp932);
std::optional<std::string> Utf8ToCp932(const std::string& utf8);

// Installs the process-wide message handler that Env::Default().ShowMessage hands every
// message to; null restores the platform's default.
void SetMessageHandler(KLVMessageHandler handler, void* context);

// The folder that holds the running program, without a trailing separator.
std::string ProgramFolder();

// One command-line argument in the two forms a program needs.
struct ProgramArgument {
  std::string utf8;                 // for texts, which go on to code page 932
  std::optional<std::string> path;  // for paths; nothing when this platform cannot name it
};

// EndsWithSeparator: true when the last character of `path` is a folder separator: "/"
// on Linux; "\" or "/" on Windows, where the trail byte 0x5C of a double-byte character
// (such as the one of 表) is not one.
// IsFolder: true when `path` names an existing folder.
// SameFile: true when `a` and `b` name one existing file, through whatever names or links.
// MakeFolder: creates the folder `path` in an existing parent; false when the name is
// taken already (by anything) or the folder cannot be made.
// IsEmptyFolder: true when `path` is itself a folder (not a link to one) with no entries.
// CurrentFolder: the process's current folder, or nothing when it cannot be found.
// ProgramArguments: the program's arguments after its own name. Linux: argv as given, in
// both forms. Windows: the wide command line converted explicitly, whatever the system's
// code page: to UTF-8, and to the system's code page (without look-alike replacements)
// for paths.
// On Windows these go through the system's narrow code page, which std::filesystem and
// the C runtime's argv do not keep to; on Linux they are the standard library's.
#if defined(_WIN32)
bool EndsWithSeparator(const std::string& path);
bool IsFolder(const std::string& path);
bool SameFile(const std::string& a, const std::string& b);
bool MakeFolder(const std::string& path);
bool IsEmptyFolder(const std::string& path);
std::optional<std::string> CurrentFolder();
std::vector<ProgramArgument> ProgramArguments(int argc, char** argv);
#else
inline bool EndsWithSeparator(const std::string& path) {
  return !path.empty() && path.back() == '/';
}

inline bool IsFolder(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_directory(path, error);
}

inline bool SameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  return std::filesystem::equivalent(a, b, error);
}

inline bool MakeFolder(const std::string& path) {
  std::error_code error;
  return std::filesystem::create_directory(path, error) && !error;
}

inline bool IsEmptyFolder(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_directory(std::filesystem::symlink_status(path, error))) return false;
  return std::filesystem::is_empty(path, error) && !error;
}

inline std::optional<std::string> CurrentFolder() {
  std::error_code error;
  std::string folder = std::filesystem::current_path(error).string();
  if (error) return std::nullopt;
  return folder;
}

inline std::vector<ProgramArgument> ProgramArguments(int argc, char** argv) {
  std::vector<ProgramArgument> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(ProgramArgument{argv[i], argv[i]});
  return arguments;
}
#endif

}  // namespace klv

#endif  // KLV_BASE_PLATFORM_H_
