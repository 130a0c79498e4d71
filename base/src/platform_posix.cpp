// The platform seam's environment on Linux: Env::Default and its services. Profile files
// go through profile.h and profile_encoding.h, files through posix_files.h, the package
// through posix_riff_file.h; shared libraries are loaded with dlopen, and messages
// without a handler go to standard error.
#include "base/platform.h"

#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string_view>
#include <utility>

#include "base/limits.h"
#include "base/profile.h"
#include "base/profile_encoding.h"
#include "base/text.h"
#include "message_route.h"
#include "posix_files.h"
#include "posix_folders.h"
#include "posix_riff_file.h"

namespace klv {
namespace {

// The bytes of the profile file `path`; a missing file reads as an empty one.
Status ReadProfileFile(const std::string& path, std::string* bytes) {
  bytes->clear();
  UniqueFd fd;
  struct stat opened;
  Status status = OpenRegularForRead(path, &fd, &opened);
  if (status.IsNotFound()) return Status::OK();
  if (!status.ok()) return status;
  const auto size = static_cast<uint64_t>(opened.st_size);
  // Larger files are not profile files: they read as empty and are never edited.
  if (size > kMaxProfileFileBytes) return Status::IOError(path, "too large for a profile file");
  bytes->resize(static_cast<size_t>(size));
  size_t got = 0;
  status = ReadFull(fd.get(), reinterpret_cast<uint8_t*>(bytes->data()), bytes->size(), &got, path);
  if (!status.ok()) return status;
  if (got != bytes->size()) return Status::IOError(path, "the file shrank while it was read");
  return Status::OK();
}

std::string ReadProfileText(const std::string& path) {
  std::string bytes;
  // A file that cannot be read gives every key its default, as a missing one does.
  if (!ReadProfileFile(path, &bytes).ok()) return std::string();
  return DecodeProfileForReading(bytes);
}

class PosixSharedLibrary : public SharedLibrary {
 public:
  explicit PosixSharedLibrary(void* handle) : handle_(handle) {}
  ~PosixSharedLibrary() override { ::dlclose(handle_); }
  void* FindEntry(const char* name) override { return ::dlsym(handle_, name); }

 private:
  void* handle_;
};

// dlopen's own account of its last failure.
std::string LoaderError() {
  const char* error = ::dlerror();
  return error != nullptr ? error : "the library cannot be loaded";
}

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

  Status WriteProfileString(const std::string& path, const std::string& section,
                            const std::string& key, const std::string& value) override {
    return WriteProfileStrings(path, section, {{key, value}});
  }

  Status WriteProfileStrings(const std::string& path, const std::string& section,
                             const ProfileValues& values) override {
    // A file that cannot be read, or not converted without loss, is left as it is.
    std::string bytes;
    Status status = ReadProfileFile(path, &bytes);
    if (!status.ok()) return status;
    std::optional<ProfileText> text = DecodeProfileForEditing(bytes);
    if (!text) {
      return Status::IOError(path, "the file holds text that code page 932 cannot hold");
    }
    text->text = SetProfileValuesInText(text->text, section, values);
    const std::optional<std::string> edited = EncodeProfile(*text);
    if (!edited) return Status::IOError(path, "the value is not code page 932 text");
    // One replace, synced: the person's settings survive a power cut whole, old or new.
    return ReplaceFile(path, reinterpret_cast<const uint8_t*>(edited->data()), edited->size(),
                       /*durable=*/true);
  }

  std::string FindWorkFile(const std::string& folder, const std::string& name) override {
    return FindWithoutCase(folder, name);
  }

  Status OpenForSharedRead(const std::string& path, std::unique_ptr<InputFile>* file) override {
    UniqueFd fd;
    struct stat opened;
    Status status = OpenRegularForRead(path, &fd, &opened);
    if (!status.ok()) return status;
    // Writers that lock the file exclusively keep it from being read, as a file opened
    // for writing without read sharing does elsewhere. The lock is advisory.
    if (::flock(fd.get(), LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
      return Status::IOError(path, "another program holds the file locked");
    }
    *file = NewPosixInputFile(std::move(fd), opened, path);
    return Status::OK();
  }

  Status CreateRiffFile(const std::string& target, std::unique_ptr<RiffFile>* file) override {
    return NewPosixRiffFile(target, file);
  }

  Status WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) override {
    // Work files are removed again after the make and are not synced. A new file (the
    // usual case) is written in place; one that fails half-way is removed again. An
    // existing name (a file, a link, a pipe) is replaced whole through a temporary file.
    UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (fd.get() < 0) {
      if (errno != EEXIST) return PosixError(path, errno);
      return ReplaceFile(path, bytes.data(), bytes.size(), /*durable=*/false);
    }
    Status status = WriteAll(fd.get(), bytes.data(), bytes.size(), path);
    const Status closed = fd.Close(path);
    if (status.ok()) status = closed;
    if (!status.ok()) ::unlink(path.c_str());
    return status;
  }

  Status RemoveFile(const std::string& path) override {
    if (::unlink(path.c_str()) != 0) return PosixError(path, errno);
    return Status::OK();
  }

  Status ListFiles(const std::string& folder, std::vector<std::string>* names) override {
    names->clear();
    UniqueDir dir(folder);
    while (const dirent* entry = dir.Next()) {
      // The entry's type when the file system gives it; a link, or an entry of unknown
      // type, counts by what it names.
      bool regular = entry->d_type == DT_REG;
      if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
        struct stat st;
        regular = ::fstatat(dir.fd(), entry->d_name, &st, 0) == 0 && S_ISREG(st.st_mode);
      }
      if (regular) names->emplace_back(entry->d_name);
    }
    if (!dir.status().ok()) {
      names->clear();
      return dir.status();
    }
    std::sort(names->begin(), names->end());
    return Status::OK();
  }

  Status MakePrivateFolder(const std::string& path_stem, std::string* made) override {
    return MakePrivateFolderPosix(path_stem, made);
  }
  Status RemovePrivateFolder(const std::string& path) override {
    return RemovePrivateFolderPosix(path);
  }
  Status ListFolders(const std::string& folder, std::vector<std::string>* names) override {
    return ListFoldersPosix(folder, names);
  }

  Status CheckFolder(const std::string& path) override { return CheckFolderPosix(path); }

  Status CheckEmptyFolder(const std::string& path) override { return CheckEmptyFolderPosix(path); }
  Status CreateLockedFile(const std::string& path, const std::string& content,
                          std::unique_ptr<FileLock>* lock) override {
    return CreateLockedFilePosix(path, content, lock);
  }
  Status TakeFileLock(const std::string& path, size_t max_bytes, std::string* content,
                      std::unique_ptr<FileLock>* lock) override {
    return TakeFileLockPosix(path, max_bytes, content, lock);
  }
  Status RenameFile(const std::string& from, const std::string& to) override {
    return RenameFilePosix(from, to);
  }

  void ShowMessage(const std::string& text) override { RouteMessage(text); }

  Status LoadSharedLibrary(const std::string& bare_name,
                           std::unique_ptr<SharedLibrary>* library) override {
    const std::string file = "lib" + bare_name + ".so";
    const std::string folder = ProgramFolder();
    void* handle = nullptr;
    // Why a library in the program's folder did not load (a missing dependency, a wrong
    // architecture): the reason to give when the system's search finds none either.
    std::string own_error;
    if (!folder.empty()) {
      const std::string own = folder == "/" ? "/" + file : folder + "/" + file;
      handle = ::dlopen(own.c_str(), RTLD_NOW | RTLD_LOCAL);
      if (handle == nullptr && ::access(own.c_str(), F_OK) == 0) own_error = LoaderError();
    }
    // A name without a slash makes dlopen search the system's library path.
    if (handle == nullptr) handle = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
      return Status::IOError(bare_name, own_error.empty() ? LoaderError() : own_error);
    }
    *library = std::make_unique<PosixSharedLibrary>(handle);
    return Status::OK();
  }
};

}  // namespace

Env& Env::Default() {
  static PosixEnv* env = new PosixEnv;
  return *env;
}

void ShowMessageByDefault(const std::string& text) {
  const std::string line = OneLine(text) + '\n';
  std::fputs(line.c_str(), stderr);
  std::fflush(stderr);
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

}  // namespace klv
