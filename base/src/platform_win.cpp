// The platform seam on Windows: the system's own services. Profile files go through
// GetPrivateProfileStringA/IntA and WritePrivateProfileStringA, the package through the
// multimedia RIFF functions (mmioOpenA ... mmioClose), messages without a handler through
// MessageBoxA, pictures in global memory blocks. Paths are narrow strings in the system's
// code page, as the A functions take them; texts that must be code page 932 are converted
// with code page 932 named explicitly. Failures keep GetLastError's reason.
#include "base/platform.h"

#include <windows.h>

#include <mmsystem.h>
#include <shellapi.h>
// windows.h names its own profile functions so; the seam's members keep theirs.
#undef GetProfileString
#undef GetProfileInt
#undef WriteProfileString

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <string>

#include "base/memory_block.h"
#include "base/named_output.h"
#include "message_route.h"

namespace klv {
namespace {

constexpr UINT kCodePage932 = 932;

// --- Code page conversions -------------------------------------------------------------

// `text` decoded from `code_page`; nothing when it holds a sequence the code page does not
// define (MB_ERR_INVALID_CHARS).
std::optional<std::wstring> ToWide(UINT code_page, const std::string& text) {
  if (text.empty()) return std::wstring();
  if (text.size() > static_cast<size_t>(INT_MAX)) return std::nullopt;
  const int length = static_cast<int>(text.size());
  const int wide_length =
      MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, text.data(), length, nullptr, 0);
  if (wide_length <= 0) return std::nullopt;
  std::wstring wide(static_cast<size_t>(wide_length), L'\0');
  if (MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, text.data(), length, wide.data(),
                          wide_length) != wide_length) {
    return std::nullopt;
  }
  return wide;
}

// `wide` encoded in `code_page`; nothing when a character has no exact form there. No
// best-fit replacement: a look-alike would silently change a name.
std::optional<std::string> FromWide(UINT code_page, const std::wstring& wide) {
  if (wide.empty()) return std::string();
  if (wide.size() > static_cast<size_t>(INT_MAX)) return std::nullopt;
  const int length = static_cast<int>(wide.size());
  // UTF-8 takes neither the best-fit flag nor the used-default report.
  const bool utf8 = code_page == CP_UTF8;
  const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  BOOL used_default = FALSE;
  BOOL* used_default_report = utf8 ? nullptr : &used_default;
  const int narrow_length = WideCharToMultiByte(code_page, flags, wide.data(), length, nullptr, 0,
                                                nullptr, used_default_report);
  if (narrow_length <= 0 || used_default) return std::nullopt;
  std::string narrow(static_cast<size_t>(narrow_length), '\0');
  if (WideCharToMultiByte(code_page, flags, wide.data(), length, narrow.data(), narrow_length,
                          nullptr, used_default_report) != narrow_length ||
      used_default) {
    return std::nullopt;
  }
  return narrow;
}

// Code page 932 as the product keeps it on every platform (the Linux build's iconv has
// the same table): the bytes 0x80, 0xA0 and 0xFD to 0xFF are no characters, although
// Windows carries them through as U+0080 and U+F8F0 to U+F8F3.
bool IsUnassigned932Byte(wchar_t c) { return c == 0x0080 || (c >= 0xF8F0 && c <= 0xF8F3); }

// The JIS characters that have a second Unicode form besides the one Windows' table
// gives them (the wave dash U+301C is 0x8160, which Windows knows as U+FF5E; the yen sign
// is 0x5C as in JIS X 0201). They are the same characters, not look-alikes.
wchar_t Cp932Equivalent(wchar_t c) {
  switch (c) {
    case 0x00A2: return 0xFFE0;  // cent sign
    case 0x00A3: return 0xFFE1;  // pound sign
    case 0x00A5: return 0x005C;  // yen sign
    case 0x00AC: return 0xFFE2;  // not sign
    case 0x2014: return 0x2015;  // em dash
    case 0x2016: return 0x2225;  // double vertical line
    case 0x203E: return 0x007E;  // overline
    case 0x2212: return 0xFF0D;  // minus sign
    case 0x301C: return 0xFF5E;  // wave dash
    default: return c;
  }
}

// --- Paths -----------------------------------------------------------------------------

// The profile functions look a name without a folder up in the Windows folder; a full
// path keeps every profile file where the caller means it.
std::string FullPath(const std::string& path) {
  char buffer[MAX_PATH];
  const DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, buffer, nullptr);
  if (length > 0 && length < MAX_PATH) return std::string(buffer, length);
  if (length >= MAX_PATH) {
    std::string longer(length, '\0');
    const DWORD again = GetFullPathNameA(path.c_str(), length, longer.data(), nullptr);
    if (again > 0 && again < length) return longer.substr(0, again);
  }
  return path;
}

// The folder part of `path` (up to its last separator), or "." when it has none.
std::string FolderOf(const std::string& path) {
  // A trail byte of code page 932 may be 0x5C; walk by characters when the system's code
  // page is double-byte.
  size_t last = std::string::npos;
  for (size_t i = 0; i < path.size(); ++i) {
    const char c = path[i];
    if (IsDBCSLeadByte(static_cast<BYTE>(c)) && i + 1 < path.size()) {
      ++i;
    } else if (c == '\\' || c == '/' || (c == ':' && i == 1)) {
      last = i;
    }
  }
  if (last == std::string::npos) return ".";
  // "C:\x" keeps "C:\"; "C:x" keeps "C:".
  if (last == 0 || (last == 2 && path[1] == ':') || path[last] == ':') {
    return path.substr(0, last + 1);
  }
  return path.substr(0, last);
}

// --- Errors ----------------------------------------------------------------------------

// The error of the call just made on `context`, by GetLastError; `what` when the call set
// no error code (the multimedia file functions report their own codes).
Status LastError(const std::string& context, const char* what) {
  const DWORD error = GetLastError();
  if (error != ERROR_SUCCESS) return WindowsError(context, error);
  return Status::IOError(context, what);
}

// --- Files -----------------------------------------------------------------------------

// Writes all of `bytes` to the open file `handle`; the error names `path`.
Status WriteBytes(HANDLE handle, const std::vector<uint8_t>& bytes, const std::string& path) {
  size_t done = 0;
  while (done < bytes.size()) {
    const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
    DWORD written = 0;
    if (!WriteFile(handle, bytes.data() + done, want, &written, nullptr)) {
      return WindowsError(path, GetLastError());
    }
    if (written != want) {
      return Status::IOError(path, "the file took fewer bytes than were written");
    }
    done += written;
  }
  return Status::OK();
}

// The lock of one open file (LockFileEx on its first byte); closing the handle releases it.
class WinFileLock : public FileLock {
 public:
  explicit WinFileLock(HANDLE handle) : handle_(handle) {}
  ~WinFileLock() override { CloseHandle(handle_); }

 private:
  HANDLE handle_;
};

// Locks the first byte of the open file `handle`, exclusively; waits for another holder
// only when `wait`. False when it is held elsewhere (or cannot be locked).
bool LockFirstByte(HANDLE handle, bool wait) {
  OVERLAPPED at{};
  const DWORD flags = LOCKFILE_EXCLUSIVE_LOCK | (wait ? 0 : LOCKFILE_FAIL_IMMEDIATELY);
  return LockFileEx(handle, flags, 0, 1, 0, &at) != 0;
}

class WinInputFile : public InputFile {
 public:
  WinInputFile(HANDLE handle, std::string path) : handle_(handle), path_(std::move(path)) {}
  ~WinInputFile() override { CloseHandle(handle_); }

  Status Length(uint64_t* length) override {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(handle_, &size)) return WindowsError(path_, GetLastError());
    if (size.QuadPart < 0) return Status::IOError(path_, "the file has a negative length");
    *length = static_cast<uint64_t>(size.QuadPart);
    return Status::OK();
  }

  Status Read(uint8_t* dst, size_t size, size_t* got) override {
    *got = 0;
    while (*got < size) {
      const DWORD want = static_cast<DWORD>(std::min<size_t>(size - *got, 1u << 30));
      DWORD arrived = 0;
      if (!ReadFile(handle_, dst + *got, want, &arrived, nullptr)) {
        return WindowsError(path_, GetLastError());
      }
      if (arrived == 0) break;
      *got += arrived;
    }
    return Status::OK();
  }

 private:
  HANDLE handle_;
  std::string path_;
};

// Writes with the multimedia file functions into a temporary file beside the target.
// The file is opened here and handed to mmioOpenA as a file handle, which leaves the
// name free of mmio's limits (128 bytes, "+" for compound files) and keeps the handle for
// the flush to disk before the rename.
class WinRiffFile : public RiffFile {
 public:
  WinRiffFile(std::string temp, std::string target, HANDLE handle, HMMIO mmio)
      : temp_(std::move(temp)), target_(std::move(target)), handle_(handle), mmio_(mmio) {}

  ~WinRiffFile() override {
    if (committed_) return;
    CloseAll();
    DeleteFileA(temp_.c_str());
  }

  Status CreateRiff(FourCC form) override {
    MMCKINFO chunk{};
    chunk.fccType = ToFourcc(form);
    chunk.cksize = 0;
    return Descend(chunk, MMIO_CREATERIFF);
  }

  Status CreateChunk(FourCC id, uint32_t size) override {
    MMCKINFO chunk{};
    chunk.ckid = ToFourcc(id);
    chunk.cksize = size;
    return Descend(chunk, 0);
  }

  Status Write(const uint8_t* data, size_t size) override {
    if (!Usable()) return Refusal();
    while (size > 0) {
      const LONG part = static_cast<LONG>(std::min<size_t>(size, 1u << 30));
      SetLastError(ERROR_SUCCESS);
      if (mmioWrite(mmio_, reinterpret_cast<const char*>(data), part) != part) {
        return Fail(LastError(temp_, "mmioWrite failed"));
      }
      data += part;
      size -= static_cast<size_t>(part);
    }
    return Status::OK();
  }

  Status Ascend() override {
    if (!Usable()) return Refusal();
    if (open_.empty()) return Fail(Status::IOError(temp_, "no chunk is open"));
    MMCKINFO& chunk = open_.back();
    const LONG end = mmioSeek(mmio_, 0, SEEK_CUR);
    if (end < 0 || static_cast<DWORD>(end) < chunk.dwDataOffset) {
      return Fail(LastError(temp_, "mmioSeek failed"));
    }
    const DWORD written = static_cast<DWORD>(end) - chunk.dwDataOffset;
    SetLastError(ERROR_SUCCESS);
    if (const MMRESULT result = mmioAscend(mmio_, &chunk, 0); result != MMSYSERR_NOERROR) {
      return Fail(MmioError("mmioAscend", result));
    }
    // mmioAscend adds the pad byte only when it corrects the size; a chunk created with
    // its exact odd size is padded here, so that every odd chunk ends on an even offset.
    if (written % 2 != 0) {
      const LONG after = mmioSeek(mmio_, 0, SEEK_CUR);
      const LONG padded_end = end + 1;
      if (after != padded_end || FileLength() < static_cast<uint64_t>(padded_end)) {
        static const char kPad = 0;
        SetLastError(ERROR_SUCCESS);
        if (mmioSeek(mmio_, end, SEEK_SET) != end || mmioWrite(mmio_, &kPad, 1) != 1) {
          return Fail(LastError(temp_, "the pad byte could not be written"));
        }
      }
    }
    open_.pop_back();
    return Status::OK();
  }

  Status Commit() override {
    if (!Usable()) return Refusal();
    if (!open_.empty()) return Fail(Status::IOError(target_, "a chunk is still open"));
    Status status;
    SetLastError(ERROR_SUCCESS);
    if (const MMRESULT result = mmioClose(mmio_, MMIO_FHOPEN); result != MMSYSERR_NOERROR) {
      status = MmioError("mmioClose", result);
    }
    mmio_ = nullptr;
    if (status.ok() && !FlushFileBuffers(handle_)) status = WindowsError(temp_, GetLastError());
    CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    if (status.ok() && !MoveFileExA(temp_.c_str(), target_.c_str(),
                                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      status = WindowsError(target_, GetLastError());
    }
    // Either way the destructor has nothing left to remove.
    committed_ = true;
    if (!status.ok()) {
      DeleteFileA(temp_.c_str());
      return Fail(status);
    }
    return Status::OK();
  }

 private:
  static FOURCC ToFourcc(FourCC code) {
    return mmioFOURCC(code.bytes[0], code.bytes[1], code.bytes[2], code.bytes[3]);
  }

  bool Usable() const { return failure_.ok() && mmio_ != nullptr; }

  // What a writer that is not usable answers: its first failure, or that it is closed.
  Status Refusal() const {
    if (!failure_.ok()) return failure_;
    return Status::IOError(target_, "the package file is already closed");
  }

  // A multimedia file call that returned the error `result`: the system's reason when
  // the file functions under it set one.
  Status MmioError(const char* call, MMRESULT result) {
    const std::string what = std::string(call) + " failed with error " + std::to_string(result);
    return LastError(temp_, what.c_str());
  }

  Status Descend(MMCKINFO chunk, UINT flags) {
    if (!Usable()) return Refusal();
    SetLastError(ERROR_SUCCESS);
    if (const MMRESULT result = mmioCreateChunk(mmio_, &chunk, flags); result != MMSYSERR_NOERROR) {
      return Fail(MmioError("mmioCreateChunk", result));
    }
    open_.push_back(chunk);
    return Status::OK();
  }

  // After any failure the writer refuses everything with it.
  Status Fail(Status status) {
    failure_ = std::move(status);
    return failure_;
  }

  uint64_t FileLength() {
    // mmio writes straight through (no buffer was asked for), so the handle sees it all.
    LARGE_INTEGER size;
    if (!GetFileSizeEx(handle_, &size) || size.QuadPart < 0) return 0;
    return static_cast<uint64_t>(size.QuadPart);
  }

  void CloseAll() {
    if (mmio_ != nullptr) mmioClose(mmio_, MMIO_FHOPEN);
    mmio_ = nullptr;
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

  std::string temp_;
  std::string target_;
  HANDLE handle_;
  HMMIO mmio_;
  std::vector<MMCKINFO> open_;
  Status failure_;  // the first failure; OK while there is none
  bool committed_ = false;
};

class WinSharedLibrary : public SharedLibrary {
 public:
  explicit WinSharedLibrary(HMODULE module) : module_(module) {}
  ~WinSharedLibrary() override { FreeLibrary(module_); }
  void* FindEntry(const char* name) override {
    return reinterpret_cast<void*>(GetProcAddress(module_, name));
  }

 private:
  HMODULE module_;
};

// --- The environment -------------------------------------------------------------------

// The names of the entries of `folder` that `wanted` takes, in the order the system
// lists them. A drive's root folder holds no "." entry: when it is empty, nothing matches,
// which is an empty list.
Status ListEntries(const std::string& folder, std::vector<std::string>* names,
                   bool (*wanted)(const WIN32_FIND_DATAA& found)) {
  names->clear();
  std::string pattern = folder;
  if (pattern.empty() || (pattern.back() != '\\' && pattern.back() != '/')) pattern += '\\';
  pattern += '*';
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND) return Status::OK();
    return WindowsError(folder, error);
  }
  do {
    if (wanted(found)) names->emplace_back(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return Status::OK();
}

// The folder checks of Env (platform.h states their contracts).
Status CheckFolderWin(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      return Status::NotFound(path, "does not exist");
    }
    return WindowsError(path, error);
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    return Status::IOError(path, "is a file, not a folder");
  }
  return Status::OK();
}

Status CheckEmptyFolderWin(const std::string& path) {
  Status status = CheckFolderWin(path);
  if (!status.ok()) return status;
  if ((GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    return Status::IOError(path, "is a link, not a folder");
  }
  std::string pattern = path;
  if (!EndsWithSeparator(pattern)) pattern += '\\';
  pattern += '*';
  WIN32_FIND_DATAA entry;
  const HANDLE find = FindFirstFileA(pattern.c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return WindowsError(path, GetLastError());
  do {
    if (std::strcmp(entry.cFileName, ".") != 0 && std::strcmp(entry.cFileName, "..") != 0) {
      status = Status::IOError(path, "is a folder that is not empty");
      break;
    }
  } while (FindNextFileA(find, &entry));
  if (status.ok() && GetLastError() != ERROR_NO_MORE_FILES) {
    status = WindowsError(path, GetLastError());
  }
  FindClose(find);
  return status;
}

class WinEnv : public Env {
 public:
  std::string GetProfileString(const std::string& path, const std::string& section,
                               const std::string& key, const std::string& default_value,
                               size_t buffer_size) override {
    if (buffer_size <= 1) return std::string();
    // A profile line is never near 1 MiB; the cap keeps a careless size from allocating.
    const DWORD size = static_cast<DWORD>(std::min<size_t>(buffer_size, 1u << 20));
    // Zero-filled: where a double-byte character does not fit, the function leaves the
    // byte before the terminator as it found it.
    std::vector<char> buffer(size, '\0');
    const DWORD length =
        GetPrivateProfileStringA(section.c_str(), key.c_str(), default_value.c_str(), buffer.data(),
                                 size, FullPath(path).c_str());
    const size_t bounded = std::min<size_t>(length, size - 1);
    return std::string(buffer.data(), strnlen(buffer.data(), bounded));
  }

  int32_t GetProfileInt(const std::string& path, const std::string& section, const std::string& key,
                        int32_t default_value) override {
    const UINT value =
        GetPrivateProfileIntA(section.c_str(), key.c_str(), default_value, FullPath(path).c_str());
    return static_cast<int32_t>(value);
  }

  Status WriteProfileString(const std::string& path, const std::string& section,
                            const std::string& key, const std::string& value) override {
    const std::string full_path = FullPath(path);
    if (!WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(),
                                    full_path.c_str())) {
      return WindowsError(path, GetLastError());
    }
    return Status::OK();
  }

  // The file system finds a name whatever the case of its letters.
  std::string FindWorkFile(const std::string& folder, const std::string& name) override {
    return folder + '\\' + name;
  }

  Status OpenForSharedRead(const std::string& path, std::unique_ptr<InputFile>* file) override {
    const HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return WindowsError(path, GetLastError());
    *file = std::make_unique<WinInputFile>(handle, path);
    return Status::OK();
  }

  Status CreateRiffFile(const std::string& target, std::unique_ptr<RiffFile>* file) override {
    char temp[MAX_PATH];
    // Creates a new, empty file of a unique name in the target's folder.
    const std::string folder = FolderOf(target);
    if (GetTempFileNameA(folder.c_str(), "klv", 0, temp) == 0) {
      return WindowsError(folder, GetLastError());
    }
    const HANDLE handle = CreateFileA(temp, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      Status status = WindowsError(temp, GetLastError());
      DeleteFileA(temp);
      return status;
    }
    MMIOINFO info{};
    info.fccIOProc = FOURCC_DOS;
    info.adwInfo[0] = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(handle));
    SetLastError(ERROR_SUCCESS);
    const HMMIO mmio = mmioOpenA(nullptr, &info, MMIO_WRITE);
    if (mmio == nullptr) {
      const std::string what = "mmioOpenA failed with error " + std::to_string(info.wErrorRet);
      Status status = LastError(temp, what.c_str());
      CloseHandle(handle);
      DeleteFileA(temp);
      return status;
    }
    *file = std::make_unique<WinRiffFile>(temp, target, handle, mmio);
    return Status::OK();
  }

  Status WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) override {
    const HANDLE handle = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return WindowsError(path, GetLastError());
    Status status = WriteBytes(handle, bytes, path);
    if (!CloseHandle(handle) && status.ok()) status = WindowsError(path, GetLastError());
    // A half-written file would pass for a picture; none is better.
    if (!status.ok()) DeleteFileA(path.c_str());
    return status;
  }

  Status RemoveFile(const std::string& path) override {
    if (!DeleteFileA(path.c_str())) return WindowsError(path, GetLastError());
    return Status::OK();
  }

  Status ListFiles(const std::string& folder, std::vector<std::string>* names) override {
    return ListEntries(folder, names, [](const WIN32_FIND_DATAA& found) {
      return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    });
  }

  Status MakePrivateFolder(const std::string& path_stem, std::string* made) override {
    // CreateDirectoryA fails on a taken name, so a name is only ever made once; the
    // candidates mix the clock, the thread and the attempt, and a taken one is skipped.
    static constexpr char kDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    DWORD error = ERROR_ALREADY_EXISTS;
    for (uint32_t attempt = 0; attempt < 1000 && error == ERROR_ALREADY_EXISTS; ++attempt) {
      LARGE_INTEGER counter;
      QueryPerformanceCounter(&counter);
      uint64_t mix = static_cast<uint64_t>(counter.QuadPart) * 0x9E3779B97F4A7C15ULL ^
                     (static_cast<uint64_t>(GetCurrentThreadId()) << 20) ^ attempt;
      std::string candidate = path_stem;
      for (int i = 0; i < 6; ++i) {
        candidate += kDigits[mix % 36];
        mix /= 36;
      }
      if (CreateDirectoryA(candidate.c_str(), nullptr)) {
        *made = candidate;
        return Status::OK();
      }
      error = GetLastError();
    }
    return WindowsError(path_stem, error);
  }

  Status RemovePrivateFolder(const std::string& path) override {
    Status status;
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        if (std::strcmp(found.cFileName, ".") == 0 || std::strcmp(found.cFileName, "..") == 0) {
          continue;
        }
        // A link to a folder is itself a folder entry; removing it leaves its target.
        const std::string entry = path + "\\" + found.cFileName;
        const bool removed = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0
                                 ? RemoveDirectoryA(entry.c_str()) != 0
                                 : DeleteFileA(entry.c_str()) != 0;
        if (!removed && status.ok()) status = WindowsError(entry, GetLastError());
      } while (FindNextFileA(search, &found));
      FindClose(search);
    }
    if (!RemoveDirectoryA(path.c_str()) && status.ok()) {
      status = WindowsError(path, GetLastError());
    }
    return status;
  }

  Status CheckFolder(const std::string& path) override { return CheckFolderWin(path); }

  Status CheckEmptyFolder(const std::string& path) override { return CheckEmptyFolderWin(path); }

  Status ListFolders(const std::string& folder, std::vector<std::string>* names) override {
    // A link (a reparse point) is not followed: it is no folder of ours.
    Status listed = ListEntries(folder, names, [](const WIN32_FIND_DATAA& found) {
      const DWORD attributes = found.dwFileAttributes;
      return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
             (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 &&
             std::strcmp(found.cFileName, ".") != 0 && std::strcmp(found.cFileName, "..") != 0;
    });
    std::sort(names->begin(), names->end());
    return listed;
  }

  Status CreateLockedFile(const std::string& path, const std::string& content,
                          std::unique_ptr<FileLock>* lock) override {
    // Others may open it meanwhile to try its lock.
    const HANDLE handle =
        CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return WindowsError(path, GetLastError());
    Status status =
        LockFirstByte(handle, /*wait=*/true) ? Status::OK() : WindowsError(path, GetLastError());
    if (status.ok()) status = WriteBytes(handle, {content.begin(), content.end()}, path);
    if (!status.ok()) {
      CloseHandle(handle);
      DeleteFileA(path.c_str());
      return status;
    }
    *lock = std::make_unique<WinFileLock>(handle);
    return Status::OK();
  }

  Status TakeFileLock(const std::string& path, size_t max_bytes, std::string* content,
                      std::unique_ptr<FileLock>* lock) override {
    // FILE_FLAG_OPEN_REPARSE_POINT: a link is opened as itself, and refused below.
    const HANDLE handle =
        CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return WindowsError(path, GetLastError());
    auto held = std::make_unique<WinFileLock>(handle);  // closes the handle on every return
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(handle, &info)) return WindowsError(path, GetLastError());
    if ((info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0 ||
        GetFileType(handle) != FILE_TYPE_DISK) {
      return Status::IOError(path, "not a regular file");
    }
    if (!LockFirstByte(handle, /*wait=*/false)) {
      return Status::IOError(path, "another process holds its lock");
    }
    content->assign(max_bytes, '\0');
    DWORD got = 0;
    if (!ReadFile(handle, content->data(),
                  static_cast<DWORD>(std::min<size_t>(max_bytes, 1u << 20)), &got, nullptr)) {
      return WindowsError(path, GetLastError());
    }
    content->resize(got);
    *lock = std::move(held);
    return Status::OK();
  }

  Status RenameFile(const std::string& from, const std::string& to) override {
    // MoveFileEx replaces a link of that name, not the file it names.
    if (!MoveFileExA(from.c_str(), to.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return WindowsError(to, GetLastError());
    }
    return Status::OK();
  }

  void ShowMessage(const std::string& text) override { RouteMessage(text); }

  Status LoadSharedLibrary(const std::string& bare_name,
                           std::unique_ptr<SharedLibrary>* library) override {
    // A missing library is reported by the caller, never by a system dialog.
    DWORD old_mode = 0;
    SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &old_mode);
    // A bare name gets ".dll" added and is searched for in the program's folder first.
    const HMODULE module = LoadLibraryA(bare_name.c_str());
    const DWORD error = GetLastError();
    SetThreadErrorMode(old_mode, nullptr);
    if (module == nullptr) return WindowsError(bare_name, error);
    *library = std::make_unique<WinSharedLibrary>(module);
    return Status::OK();
  }
};

}  // namespace

Env& Env::Default() {
  static WinEnv* env = new WinEnv;
  return *env;
}

std::optional<std::string> Cp932ToUtf8(const std::string& cp932) {
  const std::optional<std::wstring> wide = ToWide(kCodePage932, cp932);
  if (!wide) return std::nullopt;
  for (wchar_t c : *wide) {
    if (IsUnassigned932Byte(c)) return std::nullopt;
  }
  return FromWide(CP_UTF8, *wide);
}

std::optional<std::string> Utf8ToCp932(const std::string& utf8) {
  std::optional<std::wstring> wide = ToWide(CP_UTF8, utf8);
  if (!wide) return std::nullopt;
  for (wchar_t& c : *wide) {
    if (IsUnassigned932Byte(c)) return std::nullopt;
    c = Cp932Equivalent(c);
  }
  return FromWide(kCodePage932, *wide);
}

void ShowMessageByDefault(const std::string& text) {
  // No owner and no caption of the library's own: the system's default title.
  MessageBoxA(nullptr, text.c_str(), nullptr, MB_ICONINFORMATION);
}

uint64_t CurrentProcessId() { return GetCurrentProcessId(); }

std::string ProgramFolder() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return ".";
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    if (path.size() >= (1u << 16)) return ".";
    path.resize(path.size() * 2);
  }
  std::string folder = FolderOf(path);
  // "C:\" becomes "C:": the folder is given without a trailing separator.
  if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) {
    return folder.substr(0, folder.size() - 1);
  }
  return folder;
}

bool EndsWithSeparator(const std::string& path) {
  bool separator = false;
  for (size_t i = 0; i < path.size(); ++i) {
    separator = path[i] == '\\' || path[i] == '/';
    if (IsDBCSLeadByte(static_cast<BYTE>(path[i])) && i + 1 < path.size()) {
      separator = false;
      ++i;
    }
  }
  return separator;
}

bool SameFile(const std::string& a, const std::string& b) {
  const auto identify = [](const std::string& path, BY_HANDLE_FILE_INFORMATION* info) {
    const HANDLE file =
        CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool known = GetFileInformationByHandle(file, info) != 0;
    CloseHandle(file);
    return known;
  };
  BY_HANDLE_FILE_INFORMATION x, y;
  return identify(a, &x) && identify(b, &y) && x.dwVolumeSerialNumber == y.dwVolumeSerialNumber &&
         x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
}

bool IsHiddenFile(const std::string& prefix, const std::string& name) {
  if (name.starts_with('.')) return true;
  const DWORD attributes = GetFileAttributesA((prefix + name).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN) != 0;
}

std::optional<std::string> CurrentFolder() {
  const DWORD size = GetCurrentDirectoryA(0, nullptr);
  if (size == 0) return std::nullopt;
  std::string folder(size, '\0');
  const DWORD length = GetCurrentDirectoryA(size, folder.data());
  if (length == 0 || length >= size) return std::nullopt;
  folder.resize(length);
  return folder;
}

bool PathExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::optional<std::string> Utf8ToNativePath(const std::string& utf8) {
  const std::optional<std::wstring> wide = ToWide(CP_UTF8, utf8);
  if (!wide) return std::nullopt;
  return FromWide(CP_ACP, *wide);
}

std::string NativeToUtf8(const std::string& native) {
  // Every byte sequence of the system's code page has a wide form, the undefined ones
  // as look-alikes; without MB_ERR_INVALID_CHARS nothing is refused.
  if (native.empty() || native.size() > static_cast<size_t>(INT_MAX)) return native;
  const int length = static_cast<int>(native.size());
  const int wide_length = MultiByteToWideChar(CP_ACP, 0, native.data(), length, nullptr, 0);
  std::wstring wide(static_cast<size_t>(std::max(wide_length, 0)), L'\0');
  MultiByteToWideChar(CP_ACP, 0, native.data(), length, wide.data(), wide_length);
  return FromWide(CP_UTF8, wide).value_or(native);
}

std::vector<ProgramArgument> ProgramArguments(int /*argc*/, char** /*argv*/) {
  // The narrow argv holds the command line already squeezed through the system's code
  // page (best fit); the wide one holds what was typed.
  std::vector<ProgramArgument> arguments;
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return arguments;
  for (int i = 1; i < count; ++i) {
    const std::wstring argument(wide[i]);
    ProgramArgument converted;
    if (std::optional<std::string> utf8 = FromWide(CP_UTF8, argument)) {
      converted.utf8 = std::move(*utf8);
    } else {
      // A lone surrogate: U+FFFD in its place, which no code page 932 text can hold.
      const int length =
          WideCharToMultiByte(CP_UTF8, 0, argument.data(), static_cast<int>(argument.size()),
                              nullptr, 0, nullptr, nullptr);
      converted.utf8.assign(static_cast<size_t>(std::max(length, 0)), '\0');
      WideCharToMultiByte(CP_UTF8, 0, argument.data(), static_cast<int>(argument.size()),
                          converted.utf8.data(), length, nullptr, nullptr);
    }
    converted.path = FromWide(CP_ACP, argument);
    arguments.push_back(std::move(converted));
  }
  LocalFree(wide);
  return arguments;
}

// --- Outputs a person names -------------------------------------------------------------
// Windows has no pipes or devices among ordinary names but its own (NUL, CON, \\.\pipe\):
// those are written in place; a file or a link to one goes through a temporary file and
// MoveFileEx, which replaces the link itself. Attributes and access lists are not copied:
// the new file takes its folder's, as any new file there does.

// NOLINTNEXTLINE(readability-function-cognitive-complexity)
Status NamedOutput::ForFile(const std::string& path, Access access, NamedOutput* output) {
  NamedOutput decided;
  decided.path_ = path;
  decided.access_ = access;
  const HANDLE handle = CreateFileA(
      path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    // ERROR_PATH_NOT_FOUND: the folder is missing, which stays an error.
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND) return WindowsError(path, error);
    decided.kind_ = Kind::kNewFile;
    *output = decided;
    return Status::OK();
  }
  const DWORD type = GetFileType(handle);
  BY_HANDLE_FILE_INFORMATION info{};
  const bool known = type == FILE_TYPE_DISK && GetFileInformationByHandle(handle, &info) != 0;
  const DWORD error = GetLastError();
  CloseHandle(handle);
  if (type == FILE_TYPE_CHAR || type == FILE_TYPE_PIPE) {
    decided.kind_ = Kind::kInPlace;
    *output = decided;
    return Status::OK();
  }
  if (!known) return WindowsError(path, error);
  const bool link = (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return Status::IOError(path, link ? "is a link to a folder" : "is a folder");
  }
  if (!link && (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
    return WindowsError(path, ERROR_ACCESS_DENIED);
  }
  decided.kind_ = link ? Kind::kNewFile : Kind::kFile;
  *output = decided;
  return Status::OK();
}

Status NamedOutput::ForFolder(const std::string& path, NamedOutput* output) {
  NamedOutput decided;
  decided.path_ = path;
  // "dir\" would name what a link "dir" leads to; the name itself is meant ("C:\" stays).
  while (decided.path_.size() > 1 && EndsWithSeparator(decided.path_) &&
         decided.path_[decided.path_.size() - 2] != ':') {
    decided.path_.pop_back();
  }
  const std::string& name = decided.path_;
  const DWORD attributes = GetFileAttributesA(name.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND) return WindowsError(name, error);
    decided.kind_ = Kind::kNewFolder;
  } else if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    return Status::IOError(name, "is a link; a folder is never written through a link");
  } else if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    return Status::IOError(name, "is a file, not a folder");
  } else if (Status empty = CheckEmptyFolderWin(name); !empty.ok()) {
    return empty;
  } else {
    decided.kind_ = Kind::kEmptyFolder;
  }
  *output = decided;
  return Status::OK();
}

Status NamedOutput::Write(const std::vector<uint8_t>& bytes) const {
  if (kind_ == Kind::kInPlace) {
    const HANDLE handle =
        CreateFileA(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return WindowsError(path_, GetLastError());
    Status status = WriteBytes(handle, bytes, path_);
    if (!CloseHandle(handle) && status.ok()) status = WindowsError(path_, GetLastError());
    return status;
  }
  // A new name beside the target: "<target>.<process>.tmp", or with a number before
  // ".tmp" when that is taken.
  std::string temp;
  HANDLE handle = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 100 && handle == INVALID_HANDLE_VALUE; ++attempt) {
    temp = path_ + "." + std::to_string(GetCurrentProcessId());
    if (attempt > 0) {
      temp += '.';
      temp += std::to_string(attempt);
    }
    temp += ".tmp";
    handle = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
    if (handle == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
  }
  if (handle == INVALID_HANDLE_VALUE) return WindowsError(temp, GetLastError());
  Status status = WriteBytes(handle, bytes, temp);
  if (status.ok() && !FlushFileBuffers(handle)) status = WindowsError(temp, GetLastError());
  if (!CloseHandle(handle) && status.ok()) status = WindowsError(temp, GetLastError());
  if (status.ok() && !MoveFileExA(temp.c_str(), path_.c_str(),
                                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    status = WindowsError(path_, GetLastError());
  }
  if (!status.ok()) DeleteFileA(temp.c_str());
  return status;
}

Status NamedOutput::MakeFolderBeside(std::string* folder) const {
  return Env::Default().MakePrivateFolder(path_ + ".part-", folder);
}

Status NamedOutput::PlaceFolder(const std::string& folder) const {
  // A folder cannot be renamed over another: the empty one goes just before. Should it
  // have been filled meanwhile, it stays, and so does the name.
  if (kind_ == Kind::kEmptyFolder && !RemoveDirectoryA(path_.c_str())) {
    const DWORD error = GetLastError();
    if (error == ERROR_DIR_NOT_EMPTY) {
      return Status::IOError(path_, "was filled while this run wrote; nothing was replaced");
    }
    if (error != ERROR_FILE_NOT_FOUND) return WindowsError(path_, error);
  }
  if (!MoveFileExA(folder.c_str(), path_.c_str(), MOVEFILE_WRITE_THROUGH)) {
    const DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) {
      return Status::IOError(path_, "was filled while this run wrote; nothing was replaced");
    }
    return WindowsError(path_, error);
  }
  return Status::OK();
}

MemoryBlock::MemoryBlock(size_t size) {
  if (size == 0) return;
  const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
  if (memory == nullptr) throw std::bad_alloc();
  void* locked = GlobalLock(memory);
  if (locked == nullptr) {
    GlobalFree(memory);
    throw std::bad_alloc();
  }
  handle_ = memory;
  data_ = static_cast<uint8_t*>(locked);
  size_ = size;
}

MemoryBlock::~MemoryBlock() {
  if (handle_ == nullptr) return;
  GlobalUnlock(static_cast<HGLOBAL>(handle_));
  GlobalFree(static_cast<HGLOBAL>(handle_));
}

}  // namespace klv
