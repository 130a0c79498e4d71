// The platform seam: every service that differs between Linux and Windows, and every
// file access that tests need to fail on purpose. One implementation per platform
// (platform_posix.cpp with its posix_*.cpp parts, platform_win.cpp) is chosen by CMake;
// tests substitute fakes. Failures come back as a Status that keeps the system's reason.
// Paths and texts here are narrow strings in the platform's own encoding: UTF-8 file
// names on Linux, the system code page on Windows.
#ifndef KLV_BASE_PLATFORM_H_
#define KLV_BASE_PLATFORM_H_

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/profile.h"
#include "base/status.h"

namespace klv {

// Four-character chunk identifier, first character in the lowest byte as RIFF stores it.
struct FourCC {
  char bytes[4];
};

// A file opened for reading; other programs may read it meanwhile but not write it.
class InputFile {
 public:
  virtual ~InputFile() = default;
  // Sets *length to the file's length in bytes. An error when it cannot be measured.
  virtual Status Length(uint64_t* length) = 0;
  // Reads up to `size` bytes into `dst` and sets *got to how many arrived: fewer than
  // asked only at the end of the file or on an error. An error when the system refused a
  // read; *got then counts the bytes that arrived before it.
  virtual Status Read(uint8_t* dst, size_t size, size_t* got) = 0;
  // OK while the path it was opened by still names this file, with the length and
  // modification time it had when it was opened; an error saying what changed otherwise.
  // Lets a reader that holds many files open notice a folder changed under it. Windows
  // keeps others from writing, renaming or deleting a file opened this way, so there it
  // cannot change; the default answers OK.
  virtual Status Unchanged() { return Status::OK(); }
};

// The RIFF writer of one package, with the semantics of the platform's multimedia file
// functions: CreateRiff/CreateChunk write the id and 32-bit size (and the form type);
// Ascend patches the size of the innermost open chunk to the bytes written into it and
// adds one zero pad byte, not counted, after odd-sized data.
// The bytes go to a temporary file beside the target; Commit makes them the target in
// one rename. Destroying the writer without a successful Commit removes the temporary
// file, so the target path always holds its earlier content or the complete new one.
// After a step fails, every later step fails too (with the first error), so that no
// file with a gap in it can be committed.
class RiffFile {
 public:
  virtual ~RiffFile() = default;
  virtual Status CreateRiff(FourCC form) = 0;
  virtual Status CreateChunk(FourCC id, uint32_t size) = 0;
  virtual Status Write(const uint8_t* data, size_t size) = 0;
  virtual Status Ascend() = 0;
  // Flushes to stable storage, closes and renames over the target. An error when any
  // step failed (or a chunk is still open); the temporary file is then gone and the
  // target untouched.
  virtual Status Commit() = 0;
};

// An advisory lock that this process holds on one file for as long as the object lives
// (flock on Linux, LockFileEx on Windows). Other processes see it held whatever their
// process numbers say: in another PID namespace too, and on another host where the file
// system passes locks on. A process that ends, however it ends, releases it.
class FileLock {
 public:
  virtual ~FileLock() = default;
};

// A shared library loaded at run time. Closed when destroyed.
class SharedLibrary {
 public:
  virtual ~SharedLibrary() = default;
  // The address of the export `name`, or null when there is none.
  virtual void* FindEntry(const char* name) = 0;
};

// Every operation that can fail returns a Status whose message names the file and keeps
// the system's reason.
class Env {
 public:
  virtual ~Env() = default;

  // The process's environment for this platform. Never destroyed.
  static Env& Default();

  // Profile (INI) files, with the rules of the platform's profile functions: a missing
  // or unreadable file, section or key gives `default_value`; a text comes back cut to
  // `buffer_size` - 1 bytes (before a double-byte character that would not fit).
  virtual std::string GetProfileString(const std::string& path, const std::string& section,
                                       const std::string& key, const std::string& default_value,
                                       size_t buffer_size) = 0;
  virtual int32_t GetProfileInt(const std::string& path, const std::string& section,
                                const std::string& key, int32_t default_value) = 0;
  // Adds or replaces key=value in `section`, creating the file and the section when
  // absent. An error when the file could not be written; it is then as it was.
  virtual Status WriteProfileString(const std::string& path, const std::string& section,
                                    const std::string& key, const std::string& value) = 0;
  // Sets every key=value of `values` in `section`, in their order, as that many
  // WriteProfileString calls do. On Linux the file is read once and replaced once, synced:
  // it then holds all of the values or, after an error, is as it was. This default
  // (Windows, where the system's profile functions write the file) writes key by key,
  // every key even after one failed, and returns the first failure.
  virtual Status WriteProfileStrings(const std::string& path, const std::string& section,
                                     const ProfileValues& values) {
    Status first;
    for (const auto& [key, value] : values) {
      Status status = WriteProfileString(path, section, key, value);
      if (first.ok()) first = std::move(status);
    }
    return first;
  }

  // The path of the work-folder file `name` in `folder` (given without a trailing
  // separator): the two joined with one separator. Where the file system tells cases
  // apart (Linux) and nothing has that exact name, the one entry whose name differs only
  // in the case of ASCII letters, as Windows finds it ("puzzle.ini", "RES0000.BMP" from
  // a folder made there).
  virtual std::string FindWorkFile(const std::string& folder, const std::string& name) = 0;
  // Opens `path` for reading into *file. NotFound when there is no such file; an error
  // also for a folder or another kind of file that is not a regular one.
  virtual Status OpenForSharedRead(const std::string& path, std::unique_ptr<InputFile>* file) = 0;
  // Creates the writer of `target` (its temporary file beside the target) into *file.
  virtual Status CreateRiffFile(const std::string& target, std::unique_ptr<RiffFile>* file) = 0;
  // Creates or replaces `path` with `bytes`. On failure no half-written file is left.
  virtual Status WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) = 0;
  // Deletes one file. NotFound when it did not exist; an error for a folder.
  virtual Status RemoveFile(const std::string& path) = 0;
  // Sets *names to the names (without folder) of the regular files in `folder`. An error,
  // with *names empty, when the folder cannot be read to its end.
  virtual Status ListFiles(const std::string& folder, std::vector<std::string>* names) = 0;

  // Folder checks. CheckFolder: OK when `path` names an existing folder (through links).
  // Otherwise an error about `path` whose reason says what is there: "does not exist"
  // (NotFound), "is a file, not a folder", or the system's reason when it cannot be
  // examined. CheckEmptyFolder: OK when `path` is itself a folder (not a link to one)
  // with no entries; otherwise an error about `path`: "does not exist" (NotFound), "is a
  // link, not a folder", "is a file, not a folder", "is a folder that is not empty", or
  // the system's reason when it cannot be examined or read.
  virtual Status CheckFolder(const std::string& path) = 0;
  virtual Status CheckEmptyFolder(const std::string& path) = 0;

  // Private work folders. MakePrivateFolder creates a new folder whose path is `path_stem`
  // followed by six random characters, into *made: the name is never one that exists
  // already (the creation itself fails on a taken name, as mkdtemp's does, so two makes,
  // or two threads, never share a folder) and only its owner may enter it (mode 0700 on
  // Linux). An error naming the folder part of `path_stem` when none can be made.
  virtual Status MakePrivateFolder(const std::string& path_stem, std::string* made) = 0;
  // Removes the folder `path` with the files, links and empty folders directly in it;
  // a link is removed, never followed. An error, with the system's reason, when anything
  // is left; what could be removed is gone.
  virtual Status RemovePrivateFolder(const std::string& path) = 0;
  // Sets *names to the names (without folder) of the folders in `folder`, not counting
  // links to folders. An error, with *names empty, when the folder cannot be read to its
  // end.
  virtual Status ListFolders(const std::string& folder, std::vector<std::string>* names) = 0;
  // Creates the new file `path` holding `content` and holds its lock into *lock; the lock
  // is taken before the content is written, so whoever finds the content finds the lock
  // held while *lock lives. An error when the name is taken (by anything, a link too).
  virtual Status CreateLockedFile(const std::string& path, const std::string& content,
                                  std::unique_ptr<FileLock>* lock) = 0;
  // Takes the lock of the existing file `path` into *lock when no process holds it, and
  // sets *content to its first `max_bytes` bytes. An error when a process holds it, and
  // for anything but a regular file of this process's own user (a link, a folder, a file
  // of another user are never taken); NotFound when there is none.
  virtual Status TakeFileLock(const std::string& path, size_t max_bytes, std::string* content,
                              std::unique_ptr<FileLock>* lock) = 0;
  // Gives the file `from` the path `to` in one step (both in one file system): whatever
  // has the name `to`, a file or a link, is replaced and never followed, and the name
  // always holds either its earlier file or the new one. An error, with nothing changed,
  // when it cannot (`to` a folder, the two paths on different file systems).
  virtual Status RenameFile(const std::string& from, const std::string& to) = 0;

  // Shows one message of the package library: to the sink set by SetMessageSink when
  // there is one, otherwise one line on standard error (Linux) or an information
  // message box without owner or caption (Windows).
  virtual void ShowMessage(const std::string& text) = 0;

  // Loads a shared library by its bare name ("KLVUtils") into *library: first from the
  // program's own folder, then from the system's search path. An error, with the
  // system's reason, when it cannot be loaded.
  virtual Status LoadSharedLibrary(const std::string& bare_name,
                                   std::unique_ptr<SharedLibrary>* library) = 0;
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

// Receives one message of the package library, in the platform's narrow encoding. It runs
// on the thread that shows the message.
using MessageSink = std::function<void(const std::string& text)>;

// Installs the process-wide sink that Env::Default().ShowMessage hands every message to,
// on whatever thread; an empty sink restores the platform's default. A message being
// shown when the sink is replaced may still reach the sink it started with.
void SetMessageSink(MessageSink sink);

// The number of the running process.
uint64_t CurrentProcessId();

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
// SameFile: true when `a` and `b` name one existing file, through whatever names or links.
// IsHiddenFile: true when the file `name` in the folder whose path with its separator is
// `prefix` is one that file managers hide: a name that begins with "." (such as the "._"
// files macOS leaves on shared folders), and on Windows also a file with the hidden
// attribute.
// CurrentFolder: the process's current folder, or nothing when it cannot be found.
// PathExists: true when anything (a file, a folder, a link, even a dangling one) has the
// name `path`.
// Utf8ToNativePath: a UTF-8 path (as a window holds it) in the platform's narrow encoding,
// or nothing when that cannot hold a character of it (Windows: the system's code page,
// without look-alike replacements). NativeToUtf8: a narrow path or message of the seam as
// UTF-8 (Windows: from the system's code page). Both keep a Linux text as it is.
// ProgramArguments: the program's arguments after its own name. Linux: argv as given, in
// both forms. Windows: the wide command line converted explicitly, whatever the system's
// code page: to UTF-8, and to the system's code page (without look-alike replacements)
// for paths.
// On Windows these go through the system's narrow code page, which std::filesystem and
// the C runtime's argv do not keep to; on Linux they are the standard library's.
#if defined(_WIN32)
bool EndsWithSeparator(const std::string& path);
bool SameFile(const std::string& a, const std::string& b);
bool IsHiddenFile(const std::string& prefix, const std::string& name);
std::optional<std::string> CurrentFolder();
bool PathExists(const std::string& path);
std::optional<std::string> Utf8ToNativePath(const std::string& utf8);
std::string NativeToUtf8(const std::string& native);
std::vector<ProgramArgument> ProgramArguments(int argc, char** argv);
#else
inline bool EndsWithSeparator(const std::string& path) {
  return !path.empty() && path.back() == '/';
}

inline bool SameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  return std::filesystem::equivalent(a, b, error);
}

inline bool IsHiddenFile(const std::string& /*prefix*/, const std::string& name) {
  return name.starts_with('.');
}

inline std::optional<std::string> CurrentFolder() {
  std::error_code error;
  std::string folder = std::filesystem::current_path(error).string();
  if (error) return std::nullopt;
  return folder;
}

inline bool PathExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

inline std::optional<std::string> Utf8ToNativePath(const std::string& utf8) { return utf8; }

inline std::string NativeToUtf8(const std::string& native) { return native; }

inline std::vector<ProgramArgument> ProgramArguments(int argc, char** argv) {
  std::vector<ProgramArgument> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(ProgramArgument{argv[i], argv[i]});
  return arguments;
}
#endif

}  // namespace klv

#endif  // KLV_BASE_PLATFORM_H_
