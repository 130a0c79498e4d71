// Test helpers of the package library: BMP builders, the in-memory Env with fault
// injection, a RIFF reader independent of the writer, and temporary folders on disk.
#include "klvtest/test_support.h"

#include <stdlib.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "base/bytes.h"
#include "base/profile.h"

namespace klv::test {
namespace {

void Append16(Bytes& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void Append32(Bytes& out, uint32_t v) {
  Append16(out, static_cast<uint16_t>(v));
  Append16(out, static_cast<uint16_t>(v >> 16));
}

class FakeInputFile : public InputFile {
 public:
  FakeInputFile(std::string path, const Bytes& bytes, ReadFault fault, size_t limit, size_t chunk)
      : path_(std::move(path)), bytes_(bytes), fault_(fault), limit_(limit), chunk_(chunk) {}

  Status Length(uint64_t* length) override {
    if (fault_ == ReadFault::kLengthFails) return PosixError(path_, EIO);
    *length = bytes_.size();
    return Status::OK();
  }

  // A vanished or short file reads as one that ends early.
  Status Read(uint8_t* dst, size_t size, size_t* got) override {
    *got = 0;
    if (fault_ == ReadFault::kVanishes) return Status::OK();
    if (fault_ == ReadFault::kReadFails) return PosixError(path_, EIO);
    size_t n = std::min({size, chunk_, bytes_.size() - position_});
    if (fault_ == ReadFault::kShortRead) n = std::min(n, limit_ - std::min(limit_, delivered_));
    std::memcpy(dst, bytes_.data() + position_, n);
    position_ += n;
    delivered_ += n;
    *got = n;
    return Status::OK();
  }

 private:
  std::string path_;
  Bytes bytes_;
  ReadFault fault_;
  size_t limit_;
  size_t chunk_;
  size_t position_ = 0;
  size_t delivered_ = 0;
};

// RIFF writing with the platform's rules, into memory; Commit stores the bytes.
class FakeRiffFile : public RiffFile {
 public:
  FakeRiffFile(FakeEnv& env, std::string target) : env_(env), target_(std::move(target)) {
    ++env_.open_writers;
  }
  ~FakeRiffFile() override { --env_.open_writers; }

  Status CreateRiff(FourCC form) override {
    if (!Step()) return Full();
    Begin({{'R', 'I', 'F', 'F'}});
    bytes_.insert(bytes_.end(), form.bytes, form.bytes + 4);
    return Status::OK();
  }
  Status CreateChunk(FourCC id, uint32_t size) override {
    if (!Step()) return Full();
    Begin(id);
    PutLe32(bytes_.data() + bytes_.size() - 4, size);
    return Status::OK();
  }
  Status Write(const uint8_t* data, size_t size) override {
    if (!Step()) return Full();
    bytes_.insert(bytes_.end(), data, data + size);
    return Status::OK();
  }
  Status Ascend() override {
    if (!Step()) return Full();
    if (open_.empty()) return Status::IOError(target_, "no chunk is open");
    const size_t start = open_.back();
    open_.pop_back();
    const size_t size = bytes_.size() - start;
    PutLe32(bytes_.data() + start - 4, static_cast<uint32_t>(size));
    if (size % 2 != 0) bytes_.push_back(0);
    return Status::OK();
  }
  Status Commit() override {
    if (committed_) return Status::IOError(target_, "already committed");
    if (!open_.empty()) return Status::IOError(target_, "a chunk is still open");
    if (env_.fail_commit) return Full();
    env_.files[target_] = bytes_;
    ++env_.commits;
    committed_ = true;
    return Status::OK();
  }

 private:
  bool Step() { return ++env_.riff_calls != env_.fail_riff_call; }
  // An injected failure, as a full disk gives it.
  Status Full() const { return PosixError(target_, ENOSPC); }
  void Begin(FourCC id) {
    bytes_.insert(bytes_.end(), id.bytes, id.bytes + 4);
    bytes_.insert(bytes_.end(), 4, 0);
    open_.push_back(bytes_.size());
  }

  FakeEnv& env_;
  std::string target_;
  Bytes bytes_;
  std::vector<size_t> open_;  // data start of each open chunk
  bool committed_ = false;
};

std::string TextOf(const std::map<std::string, Bytes>& files, const std::string& path) {
  auto it = files.find(path);
  return it == files.end() ? std::string() : std::string(it->second.begin(), it->second.end());
}

}  // namespace

Bytes PatternBytes(size_t count, uint8_t seed) {
  Bytes bytes(count);
  for (size_t i = 0; i < count; ++i) {
    bytes[i] = static_cast<uint8_t>((i * 31 + seed * 17 + (i >> 8)) | 1);
  }
  return bytes;
}

uint64_t RowSize(uint16_t bit_count, int32_t width) {
  return (uint64_t{bit_count} * static_cast<uint64_t>(width < 0 ? -int64_t{width} : width) + 31) /
         32 * 4;
}

Bytes MakeBmp(const BmpFields& fields) {
  uint32_t entries = 0;
  if (fields.table_entries) {
    entries = *fields.table_entries;
  } else if (fields.used_colors != 0) {
    entries = fields.used_colors;
  } else if (fields.bit_count == 1 || fields.bit_count == 4 || fields.bit_count == 8) {
    entries = 1u << fields.bit_count;
  }
  Bytes pixels;
  if (fields.pixels) {
    pixels = *fields.pixels;
  } else {
    const int64_t rows = fields.height < 0 ? -int64_t{fields.height} : fields.height;
    pixels = PatternBytes(RowSize(fields.bit_count, fields.width) * rows, fields.seed);
  }

  Bytes info;
  if (fields.header_size == 12) {
    Append32(info, 12);
    Append16(info, static_cast<uint16_t>(fields.width));
    Append16(info, static_cast<uint16_t>(fields.height));
    Append16(info, 1);
    Append16(info, fields.bit_count);
  } else {
    Append32(info, fields.header_size);
    Append32(info, static_cast<uint32_t>(fields.width));
    Append32(info, static_cast<uint32_t>(fields.height));
    Append16(info, 1);
    Append16(info, fields.bit_count);
    Append32(info, fields.compression);
    Append32(info, fields.image_size);
    Append32(info, 2835);  // 72 dots per inch
    Append32(info, 2835);
    Append32(info, fields.used_colors);
    Append32(info, 0);
    if (fields.header_size > 40) info.resize(fields.header_size, 0);
  }
  const Bytes table = PatternBytes(size_t{entries} * 4, static_cast<uint8_t>(fields.seed + 101));

  Bytes file = {'B', 'M'};
  Append32(file, static_cast<uint32_t>(14 + info.size() + table.size() + pixels.size()));
  Append32(file, 0);
  Append32(file, static_cast<uint32_t>(14 + info.size() + table.size()));
  file.insert(file.end(), info.begin(), info.end());
  file.insert(file.end(), table.begin(), table.end());
  file.insert(file.end(), pixels.begin(), pixels.end());
  return file;
}

std::string PuzzleIni(const std::vector<std::pair<std::string, std::string>>& keys) {
  std::string text = "[PuzzleData]\r\n";
  for (const auto& [key, value] : keys) text += key + "=" + value + "\r\n";
  return text;
}

std::optional<RiffForm> ReadRiff(const Bytes& file) {
  if (file.size() < 12 || std::memcmp(file.data(), "RIFF", 4) != 0) return std::nullopt;
  RiffForm form;
  form.size = GetLe32(file.data() + 4);
  if (uint64_t{form.size} + 8 != file.size()) return std::nullopt;
  form.form.assign(file.begin() + 8, file.begin() + 12);
  size_t at = 12;
  while (at < file.size()) {
    if (file.size() - at < 8) return std::nullopt;
    Chunk chunk;
    chunk.id.assign(file.begin() + at, file.begin() + at + 4);
    chunk.size = GetLe32(file.data() + at + 4);
    at += 8;
    if (file.size() - at < chunk.size) return std::nullopt;
    chunk.data.assign(file.begin() + at, file.begin() + at + chunk.size);
    at += chunk.size;
    if (chunk.size % 2 != 0) {
      if (at >= file.size() || file[at] != 0) return std::nullopt;
      chunk.padded = true;
      ++at;
    }
    form.chunks.push_back(std::move(chunk));
  }
  return form;
}

std::string FakeEnv::GetProfileString(const std::string& path, const std::string& section,
                                      const std::string& key, const std::string& default_value,
                                      size_t buffer_size) {
  return GetProfileStringFromText(TextOf(files, path), section, key, default_value, buffer_size);
}

int32_t FakeEnv::GetProfileInt(const std::string& path, const std::string& section,
                               const std::string& key, int32_t default_value) {
  return GetProfileIntFromText(TextOf(files, path), section, key, default_value);
}

Status FakeEnv::WriteProfileString(const std::string& path, const std::string& section,
                                   const std::string& key, const std::string& value) {
  if (unwritable.count(path) != 0 || unwritable.count(path + ":" + key) != 0) {
    return PosixError(path, EROFS);
  }
  RecordWrite(path);
  AddText(path, SetProfileValueInText(TextOf(files, path), section, key, value));
  return Status::OK();
}

Status FakeEnv::OpenForSharedRead(const std::string& path, std::unique_ptr<InputFile>* file) {
  opened.push_back(path);
  auto it = files.find(path);
  auto fault = read_faults.find(path);
  const ReadFault kind = fault == read_faults.end() ? ReadFault::kNone : fault->second;
  if (it == files.end()) return PosixError(path, ENOENT);
  if (kind == ReadFault::kOpenFails) return PosixError(path, EACCES);
  *file = std::make_unique<FakeInputFile>(path, it->second, kind, short_read_limit, read_chunk);
  return Status::OK();
}

Status FakeEnv::CreateRiffFile(const std::string& target, std::unique_ptr<RiffFile>* file) {
  if (fail_create) return PosixError(target, EACCES);
  *file = std::make_unique<FakeRiffFile>(*this, target);
  return Status::OK();
}

Status FakeEnv::WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  if (unwritable.count(path) != 0) return PosixError(path, EROFS);
  RecordWrite(path);
  files[path] = bytes;
  return Status::OK();
}

void FakeEnv::RecordWrite(const std::string& path) {
  if (std::find(writes.begin(), writes.end(), path) == writes.end()) writes.push_back(path);
}

Status FakeEnv::RemoveFile(const std::string& path) {
  if (files.erase(path) != 1) return PosixError(path, ENOENT);
  return Status::OK();
}

Status FakeEnv::LoadSharedLibrary(const std::string& bare_name, std::unique_ptr<SharedLibrary>*) {
  return Status::IOError(bare_name, "no library can be loaded in a fake environment");
}

Status FakeEnv::ListFiles(const std::string& folder, std::vector<std::string>* names) {
  names->clear();
  // A folder given with its trailing separator ("/w/", "/") is the same folder.
  std::string prefix = folder;
  if (prefix.empty() || prefix.back() != kPathSeparator) prefix += kPathSeparator;
  for (const auto& [path, bytes] : files) {
    if (path.compare(0, prefix.size(), prefix) == 0 &&
        path.find(kPathSeparator, prefix.size()) == std::string::npos) {
      names->push_back(path.substr(prefix.size()));
    }
  }
  return Status::OK();
}

Status FakeEnv::MakePrivateFolder(const std::string& path_stem, std::string* made) {
  // The error names the folder it was to be made in, as the platform's does.
  if (fail_make_folder) return PosixError(path_stem.substr(0, path_stem.rfind('/')), EACCES);
  char suffix[8];
  std::snprintf(suffix, sizeof suffix, "%06d", ++folders_made_);
  *made = path_stem + suffix;
  folders.insert(*made);
  return Status::OK();
}

Status FakeEnv::RemovePrivateFolder(const std::string& path) {
  if (fail_remove_folder) return PosixError(path, EBUSY);
  if (folders.erase(path) == 0) return PosixError(path, ENOENT);
  const std::string prefix = path + kPathSeparator;
  for (auto it = files.begin(); it != files.end();) {
    const bool inside = it->first.compare(0, prefix.size(), prefix) == 0 &&
                        it->first.find(kPathSeparator, prefix.size()) == std::string::npos;
    it = inside ? files.erase(it) : std::next(it);
  }
  return Status::OK();
}

Status FakeEnv::ListFolders(const std::string& folder, std::vector<std::string>* names) {
  names->clear();
  std::string prefix = folder;
  if (prefix.empty() || prefix.back() != kPathSeparator) prefix += kPathSeparator;
  for (const std::string& path : folders) {
    if (path.compare(0, prefix.size(), prefix) == 0 &&
        path.find(kPathSeparator, prefix.size()) == std::string::npos) {
      names->push_back(path.substr(prefix.size()));
    }
  }
  return Status::OK();
}

bool FakeEnv::HoldsAnything(const std::string& folder) const {
  const std::string prefix = folder + kPathSeparator;
  const auto inside = [&prefix](const std::string& path) { return path.starts_with(prefix); };
  return std::any_of(folders.begin(), folders.end(), inside) ||
         std::any_of(files.begin(), files.end(),
                     [&](const auto& file) { return inside(file.first); });
}

Status FakeEnv::CheckFolder(const std::string& path) {
  if (files.count(path) != 0) return Status::IOError(path, "is a file, not a folder");
  if (folders.count(path) == 0 && !HoldsAnything(path)) {
    return Status::NotFound(path, "does not exist");
  }
  return Status::OK();
}

Status FakeEnv::CheckEmptyFolder(const std::string& path) {
  Status status = CheckFolder(path);
  if (status.ok() && HoldsAnything(path)) {
    status = Status::IOError(path, "is a folder that is not empty");
  }
  return status;
}

namespace {

// A lock of the fake environment: an entry of its held_locks while it lives.
class FakeFileLock : public FileLock {
 public:
  FakeFileLock(std::set<std::string>& held, std::string path)
      : held_(held), path_(std::move(path)) {
    held_.insert(path_);
  }
  ~FakeFileLock() override { held_.erase(path_); }

 private:
  std::set<std::string>& held_;
  std::string path_;
};

}  // namespace

Status FakeEnv::CreateLockedFile(const std::string& path, const std::string& content,
                                 std::unique_ptr<FileLock>* lock) {
  if (files.count(path) != 0 || folders.count(path) != 0) return PosixError(path, EEXIST);
  AddText(path, content);
  *lock = std::make_unique<FakeFileLock>(held_locks, path);
  return Status::OK();
}

Status FakeEnv::TakeFileLock(const std::string& path, size_t max_bytes, std::string* content,
                             std::unique_ptr<FileLock>* lock) {
  const auto file = files.find(path);
  if (file == files.end()) return PosixError(path, ENOENT);
  if (held_locks.count(path) != 0) return Status::IOError(path, "another process holds its lock");
  content->assign(
      file->second.begin(),
      file->second.begin() + static_cast<std::ptrdiff_t>(std::min(max_bytes, file->second.size())));
  *lock = std::make_unique<FakeFileLock>(held_locks, path);
  return Status::OK();
}

Status FakeEnv::RenameFile(const std::string& from, const std::string& to) {
  if (fail_rename) return PosixError(to, EXDEV);
  if (folders.count(to)) return PosixError(to, EISDIR);
  const auto found = files.find(from);
  if (found == files.end()) return PosixError(from, ENOENT);
  Bytes bytes = std::move(found->second);
  files.erase(found);
  files[to] = std::move(bytes);
  return Status::OK();
}

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "klv-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void WriteDiskFile(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

void WriteDiskText(const std::string& path, const std::string& text) {
  WriteDiskFile(path, Bytes(text.begin(), text.end()));
}

std::optional<Bytes> ReadDiskFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> DiskFolderNames(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

FileSizeLimit::FileSizeLimit(rlim_t bytes) {
  getrlimit(RLIMIT_FSIZE, &saved_);
  saved_handler_ = std::signal(SIGXFSZ, SIG_IGN);
  rlimit limit = saved_;
  limit.rlim_cur = bytes;
  ok_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

FileSizeLimit::~FileSizeLimit() {
  setrlimit(RLIMIT_FSIZE, &saved_);
  std::signal(SIGXFSZ, saved_handler_);
}

}  // namespace klv::test
