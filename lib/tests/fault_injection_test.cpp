// Fault injection through the platform seam: writes that fail at every step of a whole
// package write, reads that come up short or find their file gone, a disk that fills
// up, a folder that cannot be written. Each must end with result 0, the right message,
// the earlier package of that name untouched and no temporary file left behind.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "base/platform.h"
#include "base/work_folder.h"
#include "conversion/file_conv.h"
#include "conversion/messages.h"
#include "klvtest/test_support.h"

namespace klv {
namespace {

// The pictures opened, in order: Puzzle.ini is also held open while a folder is
// converted, and is left out here.
std::vector<std::string> PicturesOpened(const test::FakeEnv& env) {
  std::vector<std::string> pictures;
  for (const std::string& path : env.opened) {
    if (!path.ends_with(kDescriptionFileName)) pictures.push_back(path);
  }
  return pictures;
}

using test::BmpFields;
using test::Bytes;
using test::FakeEnv;
using test::FileSizeLimit;
using test::MakeBmp;
using test::ReadFault;
using test::TempFolder;

constexpr int kColumns = 3;
constexpr int kRows = 2;
const std::string kFakeFolder = std::string("/w") + kPathSeparator + "work";

// A 3 x 2 grid: 8-bit tiles with a colour table, a run-length tile of odd size (so that
// a pad byte is written), 24-bit tiles and a 24-bit base.
std::vector<std::pair<std::string, Bytes>> WorkFiles() {
  std::vector<std::pair<std::string, Bytes>> files;
  files.emplace_back("Puzzle.ini", [] {
    const std::string ini = test::PuzzleIni({{"xMax", std::to_string(kColumns)},
                                             {"yMax", std::to_string(kRows)},
                                             {"PuzzleName", "Cat"},
                                             {"PassWord", "1234567"}});
    return Bytes(ini.begin(), ini.end());
  }());
  for (int r = 0; r < kRows; ++r) {
    for (int c = 0; c < kColumns; ++c) {
      BmpFields tile;
      tile.width = 64;
      tile.height = 64;
      tile.bit_count = (r + c) % 2 == 0 ? 8 : 24;
      tile.seed = static_cast<uint8_t>(r * 10 + c);
      if (r == 1 && c == 1) {
        tile.compression = 1;
        tile.pixels = test::PatternBytes(301, 7);
        tile.image_size = 301;
      }
      files.emplace_back(TileFileName(r, c), MakeBmp(tile));
    }
  }
  BmpFields base;
  base.width = (kColumns + 1) * 32;
  base.height = (kRows + 1) * 32;
  files.emplace_back("base.bmp", MakeBmp(base));
  return files;
}

const Bytes kOldPackage = test::PatternBytes(777, 42);

FakeEnv FakeFolderWithOldPackage() {
  FakeEnv env;
  for (const auto& [name, bytes] : WorkFiles()) env.AddFile(JoinPath(kFakeFolder, name), bytes);
  env.AddFile(JoinPath(kFakeFolder, "Cat.klv"), kOldPackage);
  return env;
}

std::string SaveFailed(const std::string& folder, SaveCause cause, const std::string& picture = "",
                       int error_number = 0) {
  return MessageText(Message::kSaveFailed, JoinPath(folder, "Cat.klv"), cause, picture,
                     error_number == 0 ? "" : std::strerror(error_number));
}

// The save failure for the picture `picture`, missing for `reason`.
std::string PictureMissing(const std::string& folder, const std::string& picture,
                           const std::string& reason) {
  return MessageText(Message::kSaveFailed, JoinPath(folder, "Cat.klv"), SaveCause::kPictureMissing,
                     picture, reason);
}

TEST(FaultInjection, AWriteFailingAtAnyStepKeepsTheEarlierPackage) {
  FakeEnv clean = FakeFolderWithOldPackage();
  ConversionState clean_state;
  ASSERT_EQ(ConvertWorkFolder(clean, clean_state, kFakeFolder), 1);
  const int steps = clean.riff_calls;
  // The form, the header and seven pictures take at least three steps each.
  ASSERT_GE(steps, 1 + 3 * 8);

  for (int n = 1; n <= steps; ++n) {
    FakeEnv env = FakeFolderWithOldPackage();
    const auto before = env.files;
    env.fail_riff_call = n;
    ConversionState state;
    EXPECT_EQ(ConvertWorkFolder(env, state, kFakeFolder), 0) << "step " << n;
    EXPECT_EQ(env.riff_calls, n) << "writing went on after step " << n << " failed";
    EXPECT_EQ(env.files, before) << "step " << n;
    EXPECT_EQ(env.open_writers, 0) << "step " << n;
    EXPECT_EQ(env.commits, 0) << "step " << n;
    EXPECT_EQ(env.messages, std::vector<std::string>{SaveFailed(
                                kFakeFolder, SaveCause::kWriteFailed, "", ENOSPC)})
        << "step " << n;
  }
}

TEST(FaultInjection, ACreateOrCommitThatFailsKeepsTheEarlierPackage) {
  struct Case {
    const char* name;
    std::function<void(FakeEnv&)> inject;
    SaveCause cause;
    int error_number;
  } cases[] = {
      {"create", [](FakeEnv& env) { env.fail_create = true; }, SaveCause::kCannotCreate, EACCES},
      {"commit", [](FakeEnv& env) { env.fail_commit = true; }, SaveCause::kWriteFailed, ENOSPC},
  };
  for (const Case& c : cases) {
    FakeEnv env = FakeFolderWithOldPackage();
    const auto before = env.files;
    c.inject(env);
    ConversionState state;
    EXPECT_EQ(ConvertWorkFolder(env, state, kFakeFolder), 0) << c.name;
    EXPECT_EQ(env.files, before) << c.name;
    EXPECT_EQ(env.open_writers, 0) << c.name;
    EXPECT_EQ(env.messages,
              std::vector<std::string>{SaveFailed(kFakeFolder, c.cause, "", c.error_number)})
        << c.name;
  }
}

TEST(FaultInjection, AReadThatFailsReportsThePictureAndKeepsTheEarlierPackage) {
  // The headers come in one read of 54 bytes, the rest of the file in a second.
  const size_t base_rest =
      FakeFolderWithOldPackage().files[JoinPath(kFakeFolder, "base.bmp")].size() - 54;
  const auto ends_early = [](size_t got, size_t of) {
    return "the file ends early (" + std::to_string(got) + " of " + std::to_string(of) +
           " bytes arrived)";
  };
  struct Case {
    const char* file;
    ReadFault fault;
    size_t short_read_limit;
    std::string reason;  // in the save failure's brackets
  } cases[] = {
      {"res0000.bmp", ReadFault::kOpenFails, 0, std::strerror(EACCES)},
      {"res0102.bmp", ReadFault::kLengthFails, 0, std::strerror(EIO)},
      {"res0001.bmp", ReadFault::kVanishes, 0, ends_early(0, 54)},
      {"base.bmp", ReadFault::kVanishes, 0, ends_early(0, 54)},
      {"res0101.bmp", ReadFault::kReadFails, 0, std::strerror(EIO)},
      {"res0100.bmp", ReadFault::kShortRead, 0, ends_early(0, 54)},    // nothing arrives
      {"res0100.bmp", ReadFault::kShortRead, 13, ends_early(13, 54)},  // the file header is short
      {"res0002.bmp", ReadFault::kShortRead, 14, ends_early(14, 54)},  // no info header
      {"base.bmp", ReadFault::kShortRead, 100, ends_early(46, base_rest)},  // the rest is short
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.file) + " limit " + std::to_string(c.short_read_limit));
    FakeEnv env = FakeFolderWithOldPackage();
    const auto before = env.files;
    const std::string path = JoinPath(kFakeFolder, c.file);
    env.read_faults[path] = c.fault;
    env.short_read_limit = c.short_read_limit;
    ConversionState state;
    EXPECT_EQ(ConvertWorkFolder(env, state, kFakeFolder), 0);
    EXPECT_EQ(env.files, before);
    EXPECT_EQ(env.open_writers, 0);
    // Loading goes on past the bad picture: every picture was opened.
    EXPECT_EQ(PicturesOpened(env).size(), static_cast<size_t>(kColumns * kRows + 1));
    EXPECT_EQ(env.messages,
              (std::vector<std::string>{MessageText(Message::kLoadFailed, path),
                                        PictureMissing(kFakeFolder, path, c.reason)}));
  }
}

// The real platform, with its RIFF writer made to fail at the n-th step: the real
// temporary file must go when the writer is dropped without a commit.
class FailingRiffFile : public RiffFile {
 public:
  FailingRiffFile(std::unique_ptr<RiffFile> real, int fail_at, int* calls)
      : real_(std::move(real)), fail_at_(fail_at), calls_(calls) {}
  Status CreateRiff(FourCC form) override { return Step() ? real_->CreateRiff(form) : Injected(); }
  Status CreateChunk(FourCC id, uint32_t size) override {
    return Step() ? real_->CreateChunk(id, size) : Injected();
  }
  Status Write(const uint8_t* data, size_t size) override {
    return Step() ? real_->Write(data, size) : Injected();
  }
  Status Ascend() override { return Step() ? real_->Ascend() : Injected(); }
  Status Commit() override { return Step() ? real_->Commit() : Injected(); }

 private:
  bool Step() { return ++*calls_ != fail_at_; }
  static Status Injected() { return PosixError("the package", ENOSPC); }
  std::unique_ptr<RiffFile> real_;
  int fail_at_;
  int* calls_;
};

// The platform's own Env, with messages recorded and RIFF writing made to fail at the
// `fail_at`-th step (0: never).
class DiskEnv : public Env {
 public:
  explicit DiskEnv(int fail_at = 0) : real_(Env::Default()), fail_at_(fail_at) {}
  std::vector<std::string> messages;
  int riff_calls = 0;
  // Called after each file opened for reading, with its path.
  std::function<void(const std::string& path)> after_open;

  std::string GetProfileString(const std::string& path, const std::string& section,
                               const std::string& key, const std::string& default_value,
                               size_t buffer_size) override {
    return real_.GetProfileString(path, section, key, default_value, buffer_size);
  }
  int32_t GetProfileInt(const std::string& path, const std::string& section, const std::string& key,
                        int32_t default_value) override {
    return real_.GetProfileInt(path, section, key, default_value);
  }
  Status WriteProfileString(const std::string& path, const std::string& section,
                            const std::string& key, const std::string& value) override {
    return real_.WriteProfileString(path, section, key, value);
  }
  std::string FindWorkFile(const std::string& folder, const std::string& name) override {
    return real_.FindWorkFile(folder, name);
  }
  Status OpenForSharedRead(const std::string& path, std::unique_ptr<InputFile>* file) override {
    Status status = real_.OpenForSharedRead(path, file);
    if (status.ok() && after_open) after_open(path);
    return status;
  }
  Status CreateRiffFile(const std::string& target, std::unique_ptr<RiffFile>* file) override {
    std::unique_ptr<RiffFile> real;
    Status status = real_.CreateRiffFile(target, &real);
    if (!status.ok()) return status;
    *file = std::make_unique<FailingRiffFile>(std::move(real), fail_at_, &riff_calls);
    return Status::OK();
  }
  Status WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) override {
    return real_.WriteWholeFile(path, bytes);
  }
  Status RemoveFile(const std::string& path) override { return real_.RemoveFile(path); }
  Status ListFiles(const std::string& folder, std::vector<std::string>* names) override {
    return real_.ListFiles(folder, names);
  }
  Status MakePrivateFolder(const std::string& path_stem, std::string* made) override {
    return real_.MakePrivateFolder(path_stem, made);
  }
  Status RemovePrivateFolder(const std::string& path) override {
    return real_.RemovePrivateFolder(path);
  }
  Status ListFolders(const std::string& folder, std::vector<std::string>* names) override {
    return real_.ListFolders(folder, names);
  }
  Status CheckFolder(const std::string& path) override { return real_.CheckFolder(path); }
  Status CheckEmptyFolder(const std::string& path) override { return real_.CheckEmptyFolder(path); }
  Status RenameFile(const std::string& from, const std::string& to) override {
    return real_.RenameFile(from, to);
  }
  Status CreateLockedFile(const std::string& path, const std::string& content,
                          std::unique_ptr<FileLock>* lock) override {
    return real_.CreateLockedFile(path, content, lock);
  }
  Status TakeFileLock(const std::string& path, size_t max_bytes, std::string* content,
                      std::unique_ptr<FileLock>* lock) override {
    return real_.TakeFileLock(path, max_bytes, content, lock);
  }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  Status LoadSharedLibrary(const std::string& name,
                           std::unique_ptr<SharedLibrary>* library) override {
    return real_.LoadSharedLibrary(name, library);
  }

 private:
  Env& real_;
  int fail_at_;
};

void WriteWorkFolder(const TempFolder& folder) {
  for (const auto& [name, bytes] : WorkFiles()) test::WriteDiskFile(folder.File(name), bytes);
  test::WriteDiskFile(folder.File("Cat.klv"), kOldPackage);
}

// Another program changes the folder after every picture was checked (base.bmp is
// checked last) and before the package is complete: the package must not be committed
// as a mix of the two states, and the user learns which file changed.
TEST(FaultInjection, AFolderChangedDuringTheConversionGivesNoPackage) {
  const auto replace = [](const std::string& path, const Bytes& bytes) {
    test::WriteDiskFile(path + ".new", bytes);
    std::filesystem::rename(path + ".new", path);
  };
  const Bytes other_tile = MakeBmp({.width = 64, .height = 64, .bit_count = 24, .seed = 99});
  struct Case {
    const char* name;
    bool without_ini;
    const char* changed;  // the file named in the message
    std::function<void(const TempFolder& folder)> change;
  } cases[] = {
      {"tile replaced", false, "res0001.bmp",
       [&](const TempFolder& f) { replace(f.File("res0001.bmp"), other_tile); }},
      {"tile rewritten in place", false, "res0100.bmp",
       [](const TempFolder& f) {
         const int fd = open(f.File("res0100.bmp").c_str(), O_WRONLY);
         (void)!pwrite(fd, "\x7f\x7f\x7f\x7f", 4, 100);
         const timespec later[2] = {{0, UTIME_OMIT}, {time(nullptr) + 10, 0}};
         futimens(fd, later);
         close(fd);
       }},
      {"tile cut short", false, "res0102.bmp",
       [](const TempFolder& f) { (void)!truncate(f.File("res0102.bmp").c_str(), 60); }},
      {"Puzzle.ini replaced", false, "Puzzle.ini",
       [&](const TempFolder& f) {
         const std::string ini = test::PuzzleIni({{"xMax", "3"}, {"yMax", "2"}});
         replace(f.File("Puzzle.ini"), Bytes(ini.begin(), ini.end()));
       }},
      {"Puzzle.ini appears", true, "Puzzle.ini",
       [](const TempFolder& f) {
         test::WriteDiskText(f.File("Puzzle.ini"), test::PuzzleIni({{"xMax", "3"}}));
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    WriteWorkFolder(folder);
    if (c.without_ini) std::filesystem::remove(folder.File("Puzzle.ini"));
    const std::string package = folder.File(c.without_ini ? "the Puzzle.klv" : "Cat.klv");
    DiskEnv env;
    env.after_open = [&](const std::string& path) {
      if (path == folder.File("base.bmp")) c.change(folder);
    };
    ConversionState state;
    EXPECT_EQ(ConvertWorkFolder(env, state, folder.path()), 0);
    EXPECT_EQ(env.messages, std::vector<std::string>{MessageText(Message::kSaveFailed, package,
                                                                 SaveCause::kFolderChanged,
                                                                 folder.File(c.changed))});
    EXPECT_EQ(test::ReadDiskFile(folder.File("Cat.klv")), kOldPackage);
    for (const std::string& name : test::DiskFolderNames(folder.path())) {
      EXPECT_FALSE(name.ends_with(".tmp") || (name.ends_with(".klv") && name != "Cat.klv")) << name;
    }
  }
}

TEST(FaultInjection, AFailedDiskWriteLeavesNoTemporaryFile) {
  TempFolder folder;
  WriteWorkFolder(folder);
  const std::vector<std::string> names = test::DiskFolderNames(folder.path());

  // A clean run counts the steps and writes the new package.
  DiskEnv clean;
  ConversionState clean_state;
  ASSERT_EQ(ConvertWorkFolder(clean, clean_state, folder.path()), 1);
  const int steps = clean.riff_calls;  // the commit included
  const std::optional<Bytes> fresh = test::ReadDiskFile(folder.File("Cat.klv"));
  ASSERT_TRUE(fresh.has_value());
  ASSERT_NE(*fresh, kOldPackage);
  EXPECT_EQ(test::DiskFolderNames(folder.path()), names);

  for (int n = 1; n <= steps; ++n) {
    test::WriteDiskFile(folder.File("Cat.klv"), kOldPackage);
    DiskEnv env(n);
    ConversionState state;
    EXPECT_EQ(ConvertWorkFolder(env, state, folder.path()), 0) << "step " << n;
    EXPECT_EQ(test::DiskFolderNames(folder.path()), names) << "step " << n;
    EXPECT_EQ(test::ReadDiskFile(folder.File("Cat.klv")), kOldPackage) << "step " << n;
    ASSERT_EQ(env.messages.size(), 1u) << "step " << n;
    EXPECT_EQ(env.messages[0], SaveFailed(folder.path(), SaveCause::kWriteFailed, "", ENOSPC))
        << "step " << n;
  }
}

TEST(FaultInjection, AFullDiskKeepsTheEarlierPackage) {
  TempFolder folder;
  WriteWorkFolder(folder);
  const std::vector<std::string> names = test::DiskFolderNames(folder.path());
  DiskEnv clean;
  ConversionState clean_state;
  ASSERT_EQ(ConvertWorkFolder(clean, clean_state, folder.path()), 1);
  const size_t package_size = test::ReadDiskFile(folder.File("Cat.klv"))->size();

  // The disk fills up before the first byte, inside the header, inside a picture, and
  // one byte before the end.
  for (rlim_t limit :
       {rlim_t{0}, rlim_t{11}, rlim_t{700}, rlim_t{9000}, static_cast<rlim_t>(package_size - 1)}) {
    test::WriteDiskFile(folder.File("Cat.klv"), kOldPackage);
    DiskEnv env;
    ConversionState state;
    int16_t result;
    {
      FileSizeLimit full(limit);
      ASSERT_TRUE(full.ok());
      result = ConvertWorkFolder(env, state, folder.path());
    }
    EXPECT_EQ(result, 0) << "limit " << limit;
    EXPECT_EQ(test::DiskFolderNames(folder.path()), names) << "limit " << limit;
    EXPECT_EQ(test::ReadDiskFile(folder.File("Cat.klv")), kOldPackage) << "limit " << limit;
    ASSERT_EQ(env.messages.size(), 1u) << "limit " << limit;
    // The system's reason reaches the user.
    EXPECT_EQ(env.messages[0], SaveFailed(folder.path(), SaveCause::kWriteFailed, "", EFBIG))
        << "limit " << limit;
  }
}

// Runs `body` in a child process (dropping root's privileges first, so that permission
// bits apply) and returns what it wrote to its pipe; the child is killed after 10 s.
std::string RunInChild(const std::function<std::string()>& body, bool drop_root) {
  int fds[2];
  if (pipe(fds) != 0) return "pipe failed";
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    alarm(10);
    std::string out;
    if (drop_root && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
      out = "cannot drop root";
    } else {
      out = body();
    }
    (void)!write(fds[1], out.data(), out.size());
    _exit(0);
  }
  close(fds[1]);
  std::string out;
  char buffer[4096];
  ssize_t n;
  while ((n = read(fds[0], buffer, sizeof buffer)) > 0) out.append(buffer, n);
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status)) out += "[child ended by signal " + std::to_string(WTERMSIG(status)) + "]";
  return out;
}

TEST(FaultInjection, AReadOnlyWorkFolderKeepsTheEarlierPackage) {
  TempFolder folder;
  WriteWorkFolder(folder);
  const std::vector<std::string> names = test::DiskFolderNames(folder.path());
  ASSERT_EQ(chmod(folder.path().c_str(), 0555), 0);

  const std::string out = RunInChild(
      [&] {
        DiskEnv env;
        ConversionState state;
        const int16_t result = ConvertWorkFolder(env, state, folder.path());
        std::string text = std::to_string(result);
        for (const std::string& m : env.messages) text += "\n" + m;
        return text;
      },
      /*drop_root=*/true);
  chmod(folder.path().c_str(), 0755);
  if (out == "cannot drop root") {
    GTEST_SKIP() << "running as root without the right to change user, so permission bits "
                    "do not apply";
  }

  EXPECT_EQ(out, "0\n" + SaveFailed(folder.path(), SaveCause::kCannotCreate, "", EACCES));
  EXPECT_EQ(test::DiskFolderNames(folder.path()), names);
  EXPECT_EQ(test::ReadDiskFile(folder.File("Cat.klv")), kOldPackage);
}

TEST(FaultInjection, PicturesThatAreNotFilesAreReportedWithoutHanging) {
  struct Case {
    const char* name;
    std::function<void(const std::string& path)> make;
    std::string reason;  // why the picture is missing
  } cases[] = {
      {"dangling link",
       [](const std::string& p) { (void)!symlink("/nonexistent/x.bmp", p.c_str()); },
       std::strerror(ENOENT)},
      {"folder", [](const std::string& p) { mkdir(p.c_str(), 0755); }, std::strerror(EISDIR)},
      {"pipe without writer", [](const std::string& p) { mkfifo(p.c_str(), 0644); },
       "not a regular file"},
      {"device", [](const std::string& p) { (void)!symlink("/dev/zero", p.c_str()); },
       "not a regular file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    WriteWorkFolder(folder);
    const std::string tile = folder.File("res0101.bmp");
    std::filesystem::remove(tile);
    c.make(tile);
    const std::string out = RunInChild(
        [&] {
          DiskEnv env;
          ConversionState state;
          const int16_t result = ConvertWorkFolder(env, state, folder.path());
          std::string text = std::to_string(result);
          for (const std::string& m : env.messages) text += "\n" + m;
          return text;
        },
        /*drop_root=*/false);
    EXPECT_EQ(out, "0\n" + MessageText(Message::kLoadFailed, tile) + "\n" +
                       PictureMissing(folder.path(), tile, c.reason));
    EXPECT_EQ(test::ReadDiskFile(folder.File("Cat.klv")), kOldPackage);
  }
}

}  // namespace
}  // namespace klv
