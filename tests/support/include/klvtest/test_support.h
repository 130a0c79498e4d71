// Test helpers of the package library: BMP files of any kind built byte by byte, an
// in-memory Env with fault injection (failing writes, short reads, files that vanish),
// a small RIFF reader for checking packages, and a temporary folder on disk.
#ifndef KLV_KLVTEST_TEST_SUPPORT_H_
#define KLV_KLVTEST_TEST_SUPPORT_H_

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <sys/resource.h>

#include "base/platform.h"

namespace klv::test {

using Bytes = std::vector<uint8_t>;

// `count` bytes of a fixed pattern that differs with `seed`, so that copied data can be
// told from zero fill and from other pictures.
Bytes PatternBytes(size_t count, uint8_t seed);

// A BMP file described field by field. The file header's size and offset fields are
// filled in from what follows; every other field is written as given.
struct BmpFields {
  uint32_t header_size = 40;  // 40; 12 writes the short core header; others pad with 0
  int32_t width = 1;
  int32_t height = 1;
  uint16_t bit_count = 24;
  uint32_t compression = 0;
  uint32_t image_size = 0;
  uint32_t used_colors = 0;
  // Colour-table entries written; nothing gives the count the writer expects
  // (used_colors, else 2, 16 or 256 for 1, 4 or 8 bits per pixel).
  std::optional<uint32_t> table_entries = std::nullopt;
  // Pixel bytes written; nothing gives the padded rows of width x height (the absolute
  // height) in pattern bytes.
  std::optional<Bytes> pixels = std::nullopt;
  uint8_t seed = 1;
};

// The whole file of `fields`.
Bytes MakeBmp(const BmpFields& fields);
// The padded row size in bytes of a picture `width` pixels wide at `bit_count` bits.
uint64_t RowSize(uint16_t bit_count, int32_t width);

// Profile text with one section `PuzzleData` and the given key=value lines (CRLF).
std::string PuzzleIni(const std::vector<std::pair<std::string, std::string>>& keys);

// One chunk of a RIFF file as read back: id, the size field, and the data.
struct Chunk {
  std::string id;
  uint32_t size = 0;
  Bytes data;
  bool padded = false;  // a zero pad byte followed the odd-sized data
};

// The RIFF file `file` read back: its size field, its form type and its chunks. Nothing
// when the file is not a well-formed RIFF form (short, wrong id, a chunk running past
// the end, a missing or non-zero pad byte, a size field that disagrees with the file).
struct RiffForm {
  uint32_t size = 0;
  std::string form;
  std::vector<Chunk> chunks;
};
std::optional<RiffForm> ReadRiff(const Bytes& file);

// What a file of the fake environment does when it is opened for reading.
enum class ReadFault {
  kNone,
  kOpenFails,    // the file exists but cannot be opened (locked by another program)
  kLengthFails,  // it opens but cannot be measured
  kShortRead,    // reads deliver at most `short_read_limit` bytes in all
  kVanishes,     // it opens and measures, then every read delivers nothing
  kReadFails,    // it opens and measures, then every read fails (EIO)
};

// An in-memory Env: files in a map, messages recorded, faults injected on request.
// Profile reads go through the same text rules as the real platform.
class FakeEnv : public Env {
 public:
  // The files, by full path.
  std::map<std::string, Bytes> files;
  // Every message shown, in order.
  std::vector<std::string> messages;
  // Every path opened for reading, in order (including failed opens).
  std::vector<std::string> opened;

  // Read faults by path.
  std::map<std::string, ReadFault> read_faults;
  size_t short_read_limit = 0;
  // The most bytes one Read call delivers (callers must loop until they have all).
  size_t read_chunk = SIZE_MAX;
  // The n-th call (1-based, counted over CreateRiff, CreateChunk, Write and Ascend of
  // every RiffFile) fails; 0 for none.
  int fail_riff_call = 0;
  bool fail_create = false;  // CreateRiffFile fails
  bool fail_commit = false;  // Commit fails (the target is left untouched)

  // RiffFile calls made so far, writers alive now, and successful commits.
  int riff_calls = 0;
  int open_writers = 0;
  int commits = 0;
  // Paths in the order of their first successful WriteWholeFile or WriteProfileString.
  std::vector<std::string> writes;
  // Writes that fail: a path for every write to that file, "path:key" for
  // WriteProfileString of that one key.
  std::set<std::string> unwritable;

  // The folders, by full path: those that MakePrivateFolder made, and any a test adds.
  std::set<std::string> folders;
  // Faults of the folder steps: MakePrivateFolder fails (EACCES), RenameFile fails
  // (EXDEV), RemovePrivateFolder fails (EBUSY) and leaves the folder as it is.
  bool fail_make_folder = false;
  bool fail_rename = false;
  bool fail_remove_folder = false;

  // The files whose lock a FileLock of this environment holds now.
  std::set<std::string> held_locks;

  void AddFile(const std::string& path, Bytes bytes) { files[path] = std::move(bytes); }
  void AddText(const std::string& path, const std::string& text) {
    files[path] = Bytes(text.begin(), text.end());
  }

  std::string GetProfileString(const std::string& path, const std::string& section,
                               const std::string& key, const std::string& default_value,
                               size_t buffer_size) override;
  int32_t GetProfileInt(const std::string& path, const std::string& section, const std::string& key,
                        int32_t default_value) override;
  Status WriteProfileString(const std::string& path, const std::string& section,
                            const std::string& key, const std::string& value) override;
  // The exact path: the fake's names are spelled as the tests give them.
  std::string FindWorkFile(const std::string& folder, const std::string& name) override {
    return folder + kPathSeparator + name;
  }
  Status OpenForSharedRead(const std::string& path, std::unique_ptr<InputFile>* file) override;
  Status CreateRiffFile(const std::string& target, std::unique_ptr<RiffFile>* file) override;
  Status WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) override;
  Status RemoveFile(const std::string& path) override;
  Status ListFiles(const std::string& folder, std::vector<std::string>* names) override;
  Status MakePrivateFolder(const std::string& path_stem, std::string* made) override;
  Status RemovePrivateFolder(const std::string& path) override;
  Status ListFolders(const std::string& folder, std::vector<std::string>* names) override;
  // A folder is one of `folders` or one that holds a file of `files`.
  Status CheckFolder(const std::string& path) override;
  Status CheckEmptyFolder(const std::string& path) override;
  Status RenameFile(const std::string& from, const std::string& to) override;
  // A locked file is one of `files`; its lock lives in `held_locks`.
  Status CreateLockedFile(const std::string& path, const std::string& content,
                          std::unique_ptr<FileLock>* lock) override;
  Status TakeFileLock(const std::string& path, size_t max_bytes, std::string* content,
                      std::unique_ptr<FileLock>* lock) override;
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  // No library is ever found.
  Status LoadSharedLibrary(const std::string& bare_name,
                           std::unique_ptr<SharedLibrary>* library) override;

 private:
  void RecordWrite(const std::string& path);
  // True when a file or folder lies anywhere inside `folder`.
  bool HoldsAnything(const std::string& folder) const;
  int folders_made_ = 0;
};

// A fresh folder under the system's temporary folder, removed with its contents when
// the object goes away.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Whole-file helpers for real files; ReadDiskFile gives nothing when the file is absent.
void WriteDiskFile(const std::string& path, const Bytes& bytes);
void WriteDiskText(const std::string& path, const std::string& text);
std::optional<Bytes> ReadDiskFile(const std::string& path);
// The names of the entries of a real folder, sorted.
std::vector<std::string> DiskFolderNames(const std::string& folder);

// Lowers this process's file-size limit while it lives, so that writes past `bytes` bytes
// of a file fail as on a full disk (EFBIG; SIGXFSZ is ignored meanwhile).
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes);
  ~FileSizeLimit();
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;
  // False when the limit could not be set.
  bool ok() const { return ok_; }

 private:
  rlimit saved_{};
  void (*saved_handler_)(int) = nullptr;
  bool ok_ = false;
};

}  // namespace klv::test

#endif  // KLV_KLVTEST_TEST_SUPPORT_H_
