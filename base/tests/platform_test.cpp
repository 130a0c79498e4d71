// Tests of the Linux platform seam on real files: RIFF bytes, the temporary file that
// protects an earlier package, file services, profile files with and without a
// byte-order mark, code page conversions, messages, and loading KLVUtils by name.
#include "base/platform.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "base/limits.h"
#include "klvtest/test_support.h"
#include "posix_files.h"  // the module's own folder listing, tested where only it can fail

namespace klv {
namespace {

using test::Bytes;
using test::DiskFolderNames;
using test::FileSizeLimit;
using test::ReadDiskFile;
using test::TempFolder;
using test::WriteDiskFile;
using test::WriteDiskText;

FourCC Id(const char (&text)[5]) { return FourCC{{text[0], text[1], text[2], text[3]}}; }

// Appends text bytes and little-endian numbers, to spell expected files out.
struct ByteBuilder {
  Bytes bytes;
  ByteBuilder& Text(const std::string& s) {
    bytes.insert(bytes.end(), s.begin(), s.end());
    return *this;
  }
  ByteBuilder& Le32(uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
    return *this;
  }
  ByteBuilder& Byte(uint8_t b) {
    bytes.push_back(b);
    return *this;
  }
};

bool WriteText(RiffFile& riff, const std::string& s) {
  return riff.Write(reinterpret_cast<const uint8_t*>(s.data()), s.size()).ok();
}

Bytes BytesOf(const std::string& s) { return Bytes(s.begin(), s.end()); }

// The platform's writer of `target`, or null (with a failed expectation) when it cannot
// be created.
std::unique_ptr<RiffFile> NewRiffFile(const std::string& target) {
  std::unique_ptr<RiffFile> riff;
  const Status status = Env::Default().CreateRiffFile(target, &riff);
  EXPECT_TRUE(status.ok()) << status.ToString();
  return riff;
}

// `path` opened through the seam, or null when it cannot be opened.
std::unique_ptr<InputFile> OpenFile(const std::string& path) {
  std::unique_ptr<InputFile> file;
  if (!Env::Default().OpenForSharedRead(path, &file).ok()) return nullptr;
  return file;
}

std::vector<std::string> ListedFiles(const std::string& folder) {
  std::vector<std::string> names;
  Env::Default().ListFiles(folder, &names);
  return names;
}

std::string TextOf(const std::optional<Bytes>& bytes) {
  return bytes ? std::string(bytes->begin(), bytes->end()) : std::string("<absent>");
}

TEST(PosixRiffFile, WritesIdsSizesAndAPadByteAfterOddData) {
  TempFolder folder;
  const std::string target = folder.File("pkg.klv");
  std::unique_ptr<RiffFile> riff = NewRiffFile(target);
  ASSERT_TRUE(riff);
  ASSERT_TRUE(riff->CreateRiff(Id("DATA")).ok());
  ASSERT_TRUE(riff->CreateChunk(Id("KLVZ"), 3).ok());
  ASSERT_TRUE(WriteText(*riff, "abc"));
  ASSERT_TRUE(riff->Ascend().ok());
  // The declared size is wrong on purpose: Ascend patches it to what was written.
  ASSERT_TRUE(riff->CreateChunk(Id("KLVB"), 999).ok());
  ASSERT_TRUE(WriteText(*riff, "wx"));
  ASSERT_TRUE(WriteText(*riff, "yz"));
  ASSERT_TRUE(riff->Ascend().ok());
  ASSERT_TRUE(riff->Ascend().ok());
  ASSERT_TRUE(riff->Commit().ok());

  const Bytes expected = ByteBuilder()
                             .Text("RIFF")
                             .Le32(4 + 12 + 12)
                             .Text("DATA")
                             .Text("KLVZ")
                             .Le32(3)
                             .Text("abc")
                             .Byte(0)  // pad, not counted
                             .Text("KLVB")
                             .Le32(4)
                             .Text("wxyz")
                             .bytes;
  EXPECT_EQ(ReadDiskFile(target), expected);
}

TEST(PosixRiffFile, NestedChunksCountTheirPadBytesInTheEnclosingChunk) {
  TempFolder folder;
  const std::string target = folder.File("nested.riff");
  std::unique_ptr<RiffFile> riff = NewRiffFile(target);
  ASSERT_TRUE(riff);
  ASSERT_TRUE(riff->CreateRiff(Id("DATA")).ok());
  ASSERT_TRUE(riff->CreateChunk(Id("LIST"), 0).ok());
  ASSERT_TRUE(riff->CreateChunk(Id("abcd"), 0).ok());
  ASSERT_TRUE(WriteText(*riff, "x"));
  ASSERT_TRUE(riff->Ascend().ok());  // inner: size 1, then a pad byte
  ASSERT_TRUE(riff->Ascend().ok());  // LIST: 8 + 1 + 1
  ASSERT_TRUE(WriteText(*riff, "tail"));
  ASSERT_TRUE(riff->Ascend().ok());  // RIFF: 4 + 8 + 10 + 4
  ASSERT_TRUE(riff->Commit().ok());

  const Bytes expected = ByteBuilder()
                             .Text("RIFF")
                             .Le32(26)
                             .Text("DATA")
                             .Text("LIST")
                             .Le32(10)
                             .Text("abcd")
                             .Le32(1)
                             .Text("x")
                             .Byte(0)
                             .Text("tail")
                             .bytes;
  EXPECT_EQ(ReadDiskFile(target), expected);
  EXPECT_FALSE(riff->Ascend().ok()) << "nothing is open any more";
}

TEST(PosixRiffFile, CommitReplacesTheTargetAndLeavesNoTemporaryFile) {
  TempFolder folder;
  const std::string target = folder.File("pkg.klv");
  WriteDiskText(target, "an earlier package, longer than the new one");
  std::unique_ptr<RiffFile> riff = NewRiffFile(target);
  ASSERT_TRUE(riff);
  ASSERT_TRUE(riff->CreateRiff(Id("DATA")).ok());
  ASSERT_TRUE(riff->Ascend().ok());

  // While it is written, the new package lives beside the target under another name.
  const std::vector<std::string> during = DiskFolderNames(folder.path());
  ASSERT_EQ(during.size(), 2u);
  EXPECT_EQ(during[0], "pkg.klv");
  EXPECT_EQ(during[1].rfind("pkg.klv.", 0), 0u);
  EXPECT_EQ(during[1].substr(during[1].size() - 4), ".tmp");
  EXPECT_EQ(TextOf(ReadDiskFile(target)), "an earlier package, longer than the new one");

  ASSERT_TRUE(riff->Commit().ok());
  EXPECT_EQ(ReadDiskFile(target), ByteBuilder().Text("RIFF").Le32(4).Text("DATA").bytes);
  EXPECT_EQ(DiskFolderNames(folder.path()), std::vector<std::string>{"pkg.klv"});
  riff.reset();
  EXPECT_EQ(DiskFolderNames(folder.path()), std::vector<std::string>{"pkg.klv"});
}

TEST(PosixRiffFile, AnUnfinishedOrFailedWriteKeepsTheEarlierTarget) {
  struct Case {
    const char* what;
    bool (*run)(RiffFile& riff);  // the steps after a complete first chunk
  };
  const Case cases[] = {
      {"destroyed without Commit", [](RiffFile&) { return true; }},
      {"Commit with a chunk still open",
       [](RiffFile& riff) {
         EXPECT_TRUE(riff.CreateChunk(Id("KLVP"), 4).ok());
         return !riff.Commit().ok();
       }},
      {"Commit after a refused call",
       [](RiffFile& riff) {
         EXPECT_TRUE(riff.Ascend().ok());
         EXPECT_FALSE(riff.Ascend().ok());  // nothing left to close
         return !riff.Commit().ok();
       }},
      {"a write after a refused call",
       [](RiffFile& riff) {
         EXPECT_FALSE(riff.Write(nullptr, 3).ok());
         return !WriteText(riff, "more") && !riff.Commit().ok();
       }},
  };
  for (const Case& c : cases) {
    TempFolder folder;
    const std::string target = folder.File("pkg.klv");
    WriteDiskText(target, "earlier");
    std::unique_ptr<RiffFile> riff = NewRiffFile(target);
    ASSERT_TRUE(riff) << c.what;
    ASSERT_TRUE(riff->CreateRiff(Id("DATA")).ok()) << c.what;
    ASSERT_TRUE(riff->CreateChunk(Id("KLVZ"), 2).ok()) << c.what;
    ASSERT_TRUE(WriteText(*riff, "hi")) << c.what;
    ASSERT_TRUE(riff->Ascend().ok()) << c.what;
    EXPECT_TRUE(c.run(*riff)) << c.what;
    // A failed Commit removes the temporary file at once; destruction does otherwise.
    if (std::string(c.what) != "destroyed without Commit") {
      EXPECT_EQ(DiskFolderNames(folder.path()), std::vector<std::string>{"pkg.klv"}) << c.what;
    }
    riff.reset();
    EXPECT_EQ(DiskFolderNames(folder.path()), std::vector<std::string>{"pkg.klv"}) << c.what;
    EXPECT_EQ(TextOf(ReadDiskFile(target)), "earlier") << c.what;
  }
}

TEST(PosixRiffFile, AFailedRenameRemovesTheTemporaryFile) {
  TempFolder folder;
  // A non-empty folder of the target's name cannot be replaced by a file.
  const std::string target = folder.File("pkg.klv");
  std::filesystem::create_directory(target);
  WriteDiskText(target + "/inside", "kept");
  std::unique_ptr<RiffFile> riff = NewRiffFile(target);
  ASSERT_TRUE(riff);
  ASSERT_TRUE(riff->CreateRiff(Id("DATA")).ok());
  ASSERT_TRUE(riff->Ascend().ok());
  EXPECT_FALSE(riff->Commit().ok());
  EXPECT_EQ(DiskFolderNames(folder.path()), std::vector<std::string>{"pkg.klv"});
  EXPECT_EQ(TextOf(ReadDiskFile(target + "/inside")), "kept");
}

TEST(PosixRiffFile, ATakenTemporaryNameIsNeverOpened) {
  TempFolder folder;
  const std::string target = folder.File("pkg.klv");
  const std::string taken = target + "." + std::to_string(getpid()) + ".tmp";
  WriteDiskText(taken, "someone else's");
  std::unique_ptr<RiffFile> riff = NewRiffFile(target);
  ASSERT_TRUE(riff);
  ASSERT_TRUE(riff->CreateRiff(Id("DATA")).ok());
  ASSERT_TRUE(riff->Ascend().ok());
  ASSERT_TRUE(riff->Commit().ok());
  EXPECT_EQ(TextOf(ReadDiskFile(taken)), "someone else's");
  EXPECT_EQ(ReadDiskFile(target), ByteBuilder().Text("RIFF").Le32(4).Text("DATA").bytes);
}

// A writer killed half-way leaves its temporary file; the next package write of the same
// target removes it. Only a file that shows it is one (an unfinished package, its lock
// free) goes: never one a writer holds, whatever its process number means here, nor a
// file that merely has such a name.
TEST(PosixRiffFile, TemporaryFilesOfKilledWritersAreRemoved) {
  TempFolder folder;
  const std::string target = folder.File("pkg.klv");
  const pid_t killed = fork();
  ASSERT_GE(killed, 0);
  if (killed == 0) {
    // Ends without committing or destroying its writer, as a killed process does.
    std::unique_ptr<RiffFile> riff;
    if (Env::Default().CreateRiffFile(target, &riff).ok() && riff->CreateRiff(Id("DATA")).ok()) {
      _exit(0);
    }
    _exit(1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(killed, &status, 0), killed);  // now a process id that runs nothing
  ASSERT_EQ(status, 0);
  const std::string dead = std::to_string(killed);
  const Bytes unfinished = ByteBuilder().Text("RIFF").Le32(0).Text("DATA").Text("KLVZ").bytes;
  const Bytes finished = ByteBuilder().Text("RIFF").Le32(4).Text("DATA").bytes;
  const struct {
    std::string name;
    Bytes bytes;
    bool removed;
  } cases[] = {
      {"pkg.klv." + dead + ".3.tmp", unfinished, true},
      {"pkg.klv." + dead + ".4.tmp", unfinished, false},  // held by a writer (below)
      {"pkg.klv." + dead + ".5.tmp", finished, false},    // a whole package
      {"pkg.klv." + dead + ".6.tmp", Bytes{'m', 'i', 'n', 'e'}, false},
      {"pkg.klv." + dead + ".7.tmp", unfinished, false},  // another user's
      {"other.klv." + dead + ".tmp", unfinished, false},
      {"pkg.klv.x" + dead + ".tmp", unfinished, false},
  };
  for (const auto& c : cases) test::WriteDiskFile(folder.File(c.name), c.bytes);
  const int writer = open(folder.File(cases[1].name).c_str(), O_RDONLY);
  ASSERT_EQ(flock(writer, LOCK_EX), 0);
  // Only root can give a file away; otherwise that file is this user's and goes.
  const bool given_away = chown(folder.File(cases[4].name).c_str(), geteuid() + 1, getegid()) == 0;
  const std::string link = "pkg.klv." + dead + ".8.tmp";
  std::filesystem::create_symlink(folder.File(cases[0].name), folder.File(link));
  std::vector<std::string> expected = {"pkg.klv", link};
  for (const auto& c : cases) {
    if (!c.removed && (given_away || &c != &cases[4])) expected.push_back(c.name);
  }
  std::sort(expected.begin(), expected.end());

  std::unique_ptr<RiffFile> riff = NewRiffFile(target);
  ASSERT_TRUE(riff);
  ASSERT_TRUE(riff->CreateRiff(Id("DATA")).ok());
  ASSERT_TRUE(riff->Ascend().ok());
  ASSERT_TRUE(riff->Commit().ok());
  close(writer);
  EXPECT_EQ(DiskFolderNames(folder.path()), expected);
}

TEST(PosixRiffFile, CannotBeCreatedInAMissingFolder) {
  TempFolder folder;
  std::unique_ptr<RiffFile> riff;
  const Status status = Env::Default().CreateRiffFile(folder.File("missing/pkg.klv"), &riff);
  EXPECT_FALSE(status.ok());
  EXPECT_EQ(status.reason(), "No such file or directory");
  EXPECT_EQ(riff, nullptr);
}

TEST(PosixEnv, WholeFilesAreWrittenReplacedAndRemoved) {
  TempFolder folder;
  Env& env = Env::Default();
  const std::string path = folder.File("res0000.bmp");
  ASSERT_TRUE(env.WriteWholeFile(path, BytesOf("first version")).ok());
  ASSERT_TRUE(env.WriteWholeFile(path, BytesOf("second")).ok());
  EXPECT_EQ(TextOf(ReadDiskFile(path)), "second");
  ASSERT_TRUE(env.WriteWholeFile(path, Bytes()).ok());
  EXPECT_EQ(ReadDiskFile(path), Bytes());
  EXPECT_EQ(DiskFolderNames(folder.path()), std::vector<std::string>{"res0000.bmp"});

  EXPECT_EQ(env.WriteWholeFile(folder.File("missing/x.bmp"), BytesOf("x")).ToString(),
            folder.File("missing/x.bmp") + ": No such file or directory");
  EXPECT_TRUE(env.RemoveFile(path).ok());
  EXPECT_TRUE(env.RemoveFile(path).IsNotFound()) << "it is gone already";
  std::filesystem::create_directory(folder.File("sub"));
  EXPECT_EQ(env.RemoveFile(folder.File("sub")).reason(), "Is a directory")
      << "folders are not files";
}

TEST(PosixEnv, ListFilesNamesTheRegularFilesSorted) {
  TempFolder folder;
  WriteDiskText(folder.File("res0001.bmp"), "b");
  WriteDiskText(folder.File("base.bmp"), "a");
  WriteDiskText(folder.File("res0000.bmp"), "c");
  std::filesystem::create_directory(folder.File("sub.bmp"));
  ASSERT_EQ(mkfifo(folder.File("pipe.bmp").c_str(), 0600), 0);
  std::filesystem::create_symlink("base.bmp", folder.File("link.bmp"));
  EXPECT_EQ(ListedFiles(folder.path()),
            (std::vector<std::string>{"base.bmp", "link.bmp", "res0000.bmp", "res0001.bmp"}));
  std::vector<std::string> names = {"left over"};
  EXPECT_TRUE(Env::Default().ListFiles(folder.File("missing"), &names).IsNotFound());
  EXPECT_TRUE(names.empty());
}

// Folders themselves: not files, pipes or links, not even links to folders.
TEST(PosixEnv, ListFoldersNamesTheFoldersSorted) {
  TempFolder folder;
  std::filesystem::create_directory(folder.File("b"));
  std::filesystem::create_directory(folder.File("a"));
  WriteDiskText(folder.File("file"), "x");
  ASSERT_EQ(mkfifo(folder.File("pipe").c_str(), 0600), 0);
  std::filesystem::create_directory_symlink("a", folder.File("link"));
  std::vector<std::string> names = {"left over"};
  ASSERT_TRUE(Env::Default().ListFolders(folder.path(), &names).ok());
  EXPECT_EQ(names, (std::vector<std::string>{"a", "b"}));
  EXPECT_TRUE(Env::Default().ListFolders(folder.File("missing"), &names).IsNotFound());
  EXPECT_TRUE(names.empty());
}

TEST(PosixEnv, OpenForSharedReadReadsRegularFilesOnly) {
  TempFolder folder;
  Env& env = Env::Default();
  const std::string path = folder.File("base.bmp");
  WriteDiskText(path, "BM0123456789");
  std::unique_ptr<InputFile> file;
  ASSERT_TRUE(env.OpenForSharedRead(path, &file).ok());
  uint64_t length = 0;
  EXPECT_TRUE(file->Length(&length).ok());
  EXPECT_EQ(length, 12u);
  uint8_t buffer[32] = {};
  size_t got = 0;
  EXPECT_TRUE(file->Read(buffer, 2, &got).ok());
  EXPECT_EQ(got, 2u);
  EXPECT_TRUE(file->Read(buffer + 2, sizeof buffer - 2, &got).ok());
  EXPECT_EQ(got, 10u) << "a short count at the end";
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 12), "BM0123456789");
  EXPECT_TRUE(file->Read(buffer, 4, &got).ok());
  EXPECT_EQ(got, 0u);
  file.reset();  // it holds a shared lock

  // Each refusal says why, in the system's words where it has them.
  std::filesystem::create_directory(folder.File("folder.bmp"));
  ASSERT_EQ(mkfifo(folder.File("pipe.bmp").c_str(), 0600), 0);
  struct Refusal {
    std::string name;
    std::string reason;
  };
  const Refusal refusals[] = {
      {"missing.bmp", "No such file or directory"},
      {"folder.bmp", "Is a directory"},
      // A pipe without a writer would block a plain open: it must fail at once instead.
      {"pipe.bmp", "not a regular file"},
  };
  for (const Refusal& r : refusals) {
    const Status status = env.OpenForSharedRead(folder.File(r.name), &file);
    EXPECT_EQ(status.ToString(), folder.File(r.name) + ": " + r.reason);
    EXPECT_EQ(file, nullptr) << r.name;
  }

  // A writer holding an exclusive lock keeps readers out; a shared one does not.
  const int writer = open(path.c_str(), O_RDWR | O_CLOEXEC);
  ASSERT_GE(writer, 0);
  ASSERT_EQ(flock(writer, LOCK_EX | LOCK_NB), 0);
  EXPECT_EQ(OpenFile(path), nullptr);
  ASSERT_EQ(flock(writer, LOCK_SH), 0);
  EXPECT_NE(OpenFile(path), nullptr);
  close(writer);
}

TEST(PosixEnv, FoldersAreCheckedAndEmptyOnlyWithoutEntries) {
  TempFolder temp;
  std::filesystem::create_directory(temp.File("empty"));
  std::filesystem::create_directory(temp.File("with_file"));
  WriteDiskText(temp.File("with_file/a"), "a");
  std::filesystem::create_directories(temp.File("with_folder/sub"));
  std::filesystem::create_directory_symlink(temp.File("empty"), temp.File("link"));
  WriteDiskText(temp.File("file"), "x");
  Env& env = Env::Default();
  struct Case {
    const char* name;
    const char* empty;  // CheckEmptyFolder's reason; "" for an empty folder
    const char* check;  // CheckFolder's reason; "" for a folder
  } cases[] = {{"empty", "", ""},
               {"with_file", "is a folder that is not empty", ""},
               {"with_folder", "is a folder that is not empty", ""},
               {"link", "is a link, not a folder", ""},
               {"file", "is a file, not a folder", "is a file, not a folder"},
               {"absent", "does not exist", "does not exist"}};
  for (const Case& c : cases) {
    EXPECT_EQ(env.CheckEmptyFolder(temp.File(c.name)).reason(), c.empty) << c.name;
    EXPECT_EQ(env.CheckFolder(temp.File(c.name)).reason(), c.check) << c.name;
  }
  EXPECT_TRUE(env.CheckFolder(temp.File("absent")).IsNotFound());
  EXPECT_TRUE(env.CheckEmptyFolder(temp.File("absent")).IsNotFound());
  EXPECT_EQ(env.CheckFolder(temp.File("file/x")).reason(), "does not exist");
}

TEST(PosixEnv, AFolderListingTellsItsEndFromAFailedRead) {
  TempFolder temp;
  std::filesystem::create_directory(temp.File("f"));
  WriteDiskText(temp.File("f/a"), "a");
  WriteDiskText(temp.File("f/b"), "b");
  std::vector<std::string> names;
  {
    UniqueDir dir(temp.File("f"));
    while (const dirent* entry = dir.Next()) names.emplace_back(entry->d_name);
    EXPECT_TRUE(dir.status().ok()) << dir.status().ToString();
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"a", "b"})) << "without . and ..";

  // A descriptor that cannot be read (opened only as a path) fails its first readdir with
  // EBADF: an error, not an empty folder.
  UniqueDir unreadable(::open(temp.File("f").c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC),
                       temp.File("f"));
  ASSERT_TRUE(unreadable.status().ok()) << unreadable.status().ToString();
  EXPECT_EQ(unreadable.Next(), nullptr);
  EXPECT_EQ(unreadable.status().ToString(), PosixError(temp.File("f"), EBADF).ToString());
  EXPECT_EQ(unreadable.Next(), nullptr) << "and stays failed";

  UniqueDir absent(temp.File("absent"));
  EXPECT_EQ(absent.Next(), nullptr);
  EXPECT_EQ(absent.fd(), -1);
  EXPECT_TRUE(absent.status().IsNotFound());
}

// A lock is taken only on a regular file of this user that no open file holds.
TEST(PosixEnv, FileLocksAreTakenOnlyWhenFree) {
  TempFolder t;
  Env& env = Env::Default();
  std::unique_ptr<FileLock> held, taken;
  ASSERT_TRUE(env.CreateLockedFile(t.File("held"), "content", &held).ok());
  EXPECT_FALSE(env.CreateLockedFile(t.File("held"), "again", &taken).ok());
  WriteDiskText(t.File("free"), "content");
  std::filesystem::create_symlink(t.File("free"), t.File("link"));
  std::filesystem::create_directory(t.File("folder"));
  const struct {
    const char* name;
    std::string reason;  // "" when the lock is taken
  } cases[] = {{"free", ""},
               {"held", "another process holds its lock"},
               {"link", std::strerror(ELOOP)},
               {"folder", "not a regular file"},
               {"missing", std::strerror(ENOENT)}};
  for (const auto& c : cases) {
    std::string content;
    taken.reset();
    EXPECT_EQ(env.TakeFileLock(t.File(c.name), 4, &content, &taken).reason(), c.reason) << c.name;
    EXPECT_EQ(content, c.reason.empty() ? "cont" : "") << c.name;
  }
  held.reset();
  std::string content;
  EXPECT_TRUE(env.TakeFileLock(t.File("held"), 100, &content, &taken).ok());
  EXPECT_EQ(content, "content");
}

TEST(PosixEnv, ProfileFilesAreReadAndWrittenOnDisk) {
  TempFolder folder;
  Env& env = Env::Default();
  const std::string ini = folder.File("Puzzle.ini");
  EXPECT_EQ(env.GetProfileString(ini, "PuzzleData", "PuzzleName", "the Puzzle", 16), "the Puzzle");
  EXPECT_EQ(env.GetProfileInt(ini, "PuzzleData", "xMax", -1), -1);

  ASSERT_TRUE(env.WriteProfileString(ini, "PuzzleData", "xMax", "3").ok());
  ASSERT_TRUE(env.WriteProfileString(ini, "PuzzleData", "PuzzleName", "abcdefghijklmnopqrst").ok());
  ASSERT_TRUE(env.WriteProfileString(ini, "PuzzleData", "FileVersion", "2").ok());
  ASSERT_TRUE(env.WriteProfileString(ini, "PuzzleData", "xMax", "4").ok());
  EXPECT_EQ(TextOf(ReadDiskFile(ini)),
            "[PuzzleData]\r\nxMax=4\r\nPuzzleName=abcdefghijklmnopqrst\r\nFileVersion=2\r\n");
  EXPECT_EQ(env.GetProfileInt(ini, "PuzzleData", "xMax", -1), 4);
  EXPECT_EQ(env.GetProfileInt(ini, "PuzzleData", "fileVersion", 0), 2);
  EXPECT_EQ(env.GetProfileString(ini, "PuzzleData", "PuzzleName", "the Puzzle", 16),
            "abcdefghijklmno");
  EXPECT_EQ(DiskFolderNames(folder.path()), std::vector<std::string>{"Puzzle.ini"});
}

TEST(PosixEnv, AProfileFileBeyondTheLimitReadsAsAbsent) {
  TempFolder folder;
  Env& env = Env::Default();
  const std::string ini = folder.File("Puzzle.ini");
  const std::string head = "[PuzzleData]\r\nxMax=3\r\n;";
  struct Case {
    uint64_t size;
    int32_t x_max;
  } cases[] = {{kMaxProfileFileBytes, 3}, {kMaxProfileFileBytes + 1, -1}};
  for (const Case& c : cases) {
    WriteDiskText(ini, head + std::string(c.size - head.size(), 'x'));
    EXPECT_EQ(env.GetProfileInt(ini, "PuzzleData", "xMax", -1), c.x_max) << c.size;
    // Nor is such a file ever rewritten.
    EXPECT_EQ(env.WriteProfileString(ini, "PuzzleData", "yMax", "2").ok(), c.x_max == 3);
  }
}

TEST(PosixEnv, AProfileFileThatCannotBeReadIsNeverWritten) {
  TempFolder folder;
  Env& env = Env::Default();
  std::filesystem::create_directory(folder.File("Morvel.ini"));
  EXPECT_EQ(env.GetProfileInt(folder.File("Morvel.ini"), "ToolsData", "Slider1", 70), 70);
  EXPECT_EQ(env.WriteProfileString(folder.File("Morvel.ini"), "ToolsData", "Slider1", "5").reason(),
            "Is a directory");
  EXPECT_TRUE(std::filesystem::is_directory(folder.File("Morvel.ini")));
  EXPECT_EQ(env.WriteProfileString(folder.File("missing/Morvel.ini"), "T", "k", "v").reason(),
            "No such file or directory");
}

// Several keys go into the file in one replace: the text of that many single writes, or,
// when any value cannot be written, none of them.
TEST(PosixEnv, SeveralProfileValuesAreWrittenAllOrNone) {
  TempFolder folder;
  Env& env = Env::Default();
  const std::string ini = folder.File("Morvel.ini");
  const std::string single = folder.File("single.ini");
  const ProfileValues values = {{"b", "2"}, {"A", "1"}, {"b", "3"}, {"c", ""}};
  for (const std::string& path : {ini, single}) WriteDiskText(path, "[T]\r\na=0\r\n[U]\r\nk=v\r\n");
  ASSERT_TRUE(env.WriteProfileStrings(ini, "T", values).ok());
  for (const auto& [key, value] : values) {
    ASSERT_TRUE(env.WriteProfileString(single, "T", key, value).ok());
  }
  EXPECT_EQ(TextOf(ReadDiskFile(ini)), "[T]\r\nA=1\r\nb=3\r\nc=\r\n[U]\r\nk=v\r\n");
  EXPECT_EQ(ReadDiskFile(ini), ReadDiskFile(single));

  // In a UTF-8 file, a value that is no code page 932 text ("\x81" alone) cannot be
  // written: the keys before it are not written either.
  const std::string utf8 = "\xEF\xBB\xBF[T]\r\na=0\r\n";
  WriteDiskText(ini, utf8);
  EXPECT_FALSE(env.WriteProfileStrings(ini, "T", {{"x", "1"}, {"y", "\x81"}}).ok());
  EXPECT_EQ(TextOf(ReadDiskFile(ini)), utf8);
  EXPECT_EQ(DiskFolderNames(folder.path()), (std::vector<std::string>{"Morvel.ini", "single.ini"}));
}

// The encodings themselves are tested without a disk in profile_encoding_test.cpp.
TEST(PosixEnv, AProfileFileWithAByteOrderMarkIsReadInItsEncoding) {
  TempFolder folder;
  const std::string ini = folder.File("Puzzle.ini");
  WriteDiskText(ini, std::string("\xFF\xFE[\0U\0]\0\r\0\n\0k\0=\0\x42\x30\r\0\n\0", 22));
  EXPECT_EQ(Env::Default().GetProfileString(ini, "U", "k", "D", 64), "\x82\xA0");
}

TEST(PosixEnv, EditingAProfileFileKeepsItsEncodingAndLosesNothing) {
  TempFolder folder;
  Env& env = Env::Default();
  const std::string ini = folder.File("Morvel.ini");

  WriteDiskText(ini, "\xEF\xBB\xBF[U]\r\na=\xE3\x81\x82\r\n");
  ASSERT_TRUE(env.WriteProfileString(ini, "U", "k", "\x83\x41").ok());  // "ア"
  EXPECT_EQ(TextOf(ReadDiskFile(ini)), "\xEF\xBB\xBF[U]\r\na=\xE3\x81\x82\r\nk=\xE3\x82\xA2\r\n");

  WriteDiskText(ini, std::string("\xFF\xFE[\0U\0]\0\r\0\n\0", 12));
  ASSERT_TRUE(env.WriteProfileString(ini, "U", "k", "v").ok());
  EXPECT_EQ(TextOf(ReadDiskFile(ini)),
            std::string("\xFF\xFE[\0U\0]\0\r\0\n\0k\0=\0v\0\r\0\n\0", 22));

  // A line that code page 932 cannot hold would be lost by an edit: the file stays.
  const std::string euro = "\xEF\xBB\xBF[U]\r\na=\xE2\x82\xAC\r\n";
  WriteDiskText(ini, euro);
  EXPECT_FALSE(env.WriteProfileString(ini, "U", "k", "v").ok());
  EXPECT_EQ(TextOf(ReadDiskFile(ini)), euro);
}

TEST(Conversions, CodePage932AndUtf8RoundTrip) {
  struct Case {
    std::string cp932;
    std::string utf8;
  };
  const Case cases[] = {
      {"", ""},
      {"the Puzzle", "the Puzzle"},
      {"\x83\x70\x83\x59\x83\x8B", "\xE3\x83\x91\xE3\x82\xBA\xE3\x83\xAB"},  // パズル
      {"\xCA\xDF\xBD\xDE\xD9", "\xEF\xBE\x8A\xEF\xBE\x9F\xEF\xBD\xBD\xEF\xBE\x9E\xEF\xBE\x99"},
      {"\x83\x52\x83\x93\x83\x6F\x81\x5B\x83\x67",
       "\xE3\x82\xB3\xE3\x83\xB3\xE3\x83\x90"
       "\xE3\x83\xBC\xE3\x83\x88"},  // コンバート
      {"\x87\x40", "\xE2\x91\xA0"},  // ① (NEC special characters)
      {"\x81\x60", "\xEF\xBD\x9E"},  // ～ as the platform maps it
      {"a\\b~", "a\\b~"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Cp932ToUtf8(c.cp932), std::optional<std::string>(c.utf8)) << c.utf8;
    EXPECT_EQ(Utf8ToCp932(c.utf8), std::optional<std::string>(c.cp932)) << c.utf8;
  }
}

TEST(Conversions, InvalidOrUnmappableTextIsRefusedWhole) {
  const std::string bad_cp932[] = {
      "\x80",     "a\xA0", "\xFD", "ab\x83",  // a lead byte without its trail byte
      "\x83\x20",                             // a trail byte out of range
  };
  for (const std::string& text : bad_cp932) {
    EXPECT_EQ(Cp932ToUtf8(text), std::nullopt) << "cp932 of " << text.size() << " bytes";
  }
  const std::string bad_utf8[] = {
      "\xE2\x82\xAC",      // €
      "ok \xED\x95\x9C",   // 한
      "\xF0\x9F\x98\x80",  // an emoji
      "a\xFF",             // not UTF-8
      "\xE3\x81",          // cut short
  };
  for (const std::string& text : bad_utf8) {
    EXPECT_EQ(Utf8ToCp932(text), std::nullopt) << text;
  }
}

TEST(Messages, GoToTheSinkElseOneLineOnStandardError) {
  std::vector<std::string> received;
  SetMessageSink([&received](const std::string& text) { received.push_back(text); });
  Env::Default().ShowMessage("picture failed to load");
  SetMessageSink(nullptr);
  EXPECT_EQ(received, std::vector<std::string>{"picture failed to load"});

  testing::internal::CaptureStderr();
  Env::Default().ShowMessage("first\nsecond\r\nthird");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "first second  third\n");
  EXPECT_EQ(received.size(), 1u) << "the removed sink is not called";
}

TEST(ProgramFolder, IsTheFolderOfTheRunningProgram) {
  char* expected = realpath(KLV_BINARY_DIR, nullptr);
  ASSERT_NE(expected, nullptr);
  EXPECT_EQ(ProgramFolder(), std::string(expected));
  std::free(expected);
}

TEST(SharedLibrary, KLVUtilsIsFoundByItsBareName) {
  std::unique_ptr<SharedLibrary> library;
  const Status loaded = Env::Default().LoadSharedLibrary("KLVUtils", &library);
  ASSERT_TRUE(loaded.ok()) << loaded.ToString();
  EXPECT_NE(library->FindEntry("FileConv"), nullptr);
  EXPECT_NE(library->FindEntry("KLVSetMessageHandler"), nullptr);
  EXPECT_EQ(library->FindEntry("NoSuchEntry"), nullptr);

  // The loader's own words say why a library is missing.
  std::unique_ptr<SharedLibrary> missing;
  const Status status = Env::Default().LoadSharedLibrary("NoSuchLibraryOfThisName", &missing);
  EXPECT_EQ(missing, nullptr);
  EXPECT_EQ(status.context(), "NoSuchLibraryOfThisName");
  EXPECT_NE(status.reason().find("libNoSuchLibraryOfThisName.so"), std::string::npos)
      << status.ToString();
  EXPECT_NE(status.reason().find("No such file or directory"), std::string::npos)
      << status.ToString();
}

// Chunks larger than the writer's buffer reach the disk before their size is known: the
// size fields are patched in the file, in the buffer, or across both. A chunk created
// with its right size keeps it.
TEST(PosixRiffFile, SizesArePatchedWhereverTheBytesAre) {
  struct Case {
    size_t first;   // data bytes of the first chunk
    size_t second;  // data bytes of the second chunk, nested in a LIST chunk
    bool declared;  // the two chunks are created with their sizes, not 0
  };
  const Case cases[] = {{0, 0, false},      {1, 65535, false},     {65536, 1, false},
                        {65527, 8, false},  {65528, 65529, false}, {200001, 3, false},
                        {7, 300000, false}, {200001, 3, true},     {7, 300000, true}};
  for (const Case& c : cases) {
    TempFolder folder;
    const std::string target = folder.File("pkg.klv");
    Bytes first(c.first), second(c.second);
    for (size_t i = 0; i < first.size(); ++i) first[i] = static_cast<uint8_t>(i * 7 + 1);
    for (size_t i = 0; i < second.size(); ++i) second[i] = static_cast<uint8_t>(i * 13 + 5);
    std::unique_ptr<RiffFile> riff = NewRiffFile(target);
    ASSERT_TRUE(riff);
    ASSERT_TRUE(riff->CreateRiff(Id("DATA")).ok());
    ASSERT_TRUE(
        riff->CreateChunk(Id("one "), c.declared ? static_cast<uint32_t>(c.first) : 0).ok());
    // Written in two parts, so that a part may be flushed while the other is buffered.
    ASSERT_TRUE(riff->Write(first.data(), first.size() / 2).ok());
    ASSERT_TRUE(riff->Write(first.data() + first.size() / 2, first.size() - first.size() / 2).ok());
    ASSERT_TRUE(riff->Ascend().ok());
    ASSERT_TRUE(riff->CreateChunk(Id("LIST"), 0).ok());
    ASSERT_TRUE(
        riff->CreateChunk(Id("two "), c.declared ? static_cast<uint32_t>(c.second) : 0).ok());
    ASSERT_TRUE(riff->Write(second.data(), second.size()).ok());
    ASSERT_TRUE(riff->Ascend().ok());
    ASSERT_TRUE(riff->Ascend().ok());
    ASSERT_TRUE(riff->Ascend().ok());
    ASSERT_TRUE(riff->Commit().ok());

    const auto padded = [](size_t n) { return static_cast<uint32_t>(n + n % 2); };
    const uint32_t list_size = 8 + padded(c.second);
    ByteBuilder expected;
    expected.Text("RIFF").Le32(4 + 8 + padded(c.first) + 8 + list_size).Text("DATA");
    expected.Text("one ").Le32(static_cast<uint32_t>(c.first));
    expected.bytes.insert(expected.bytes.end(), first.begin(), first.end());
    if (c.first % 2 != 0) expected.bytes.push_back(0);
    expected.Text("LIST").Le32(list_size).Text("two ").Le32(static_cast<uint32_t>(c.second));
    expected.bytes.insert(expected.bytes.end(), second.begin(), second.end());
    if (c.second % 2 != 0) expected.bytes.push_back(0);
    EXPECT_EQ(ReadDiskFile(target), expected.bytes) << c.first << " + " << c.second;
    EXPECT_EQ(DiskFolderNames(folder.path()), std::vector<std::string>{"pkg.klv"});
  }
}

TEST(PosixEnv, AWholeFileThatFailsHalfWayIsRemoved) {
  TempFolder folder;
  Env& env = Env::Default();
  const std::string path = folder.File("res0000.bmp");
  {
    FileSizeLimit limit(100);
    EXPECT_EQ(env.WriteWholeFile(path, Bytes(5000, 0x42)).reason(), "File too large");
  }
  EXPECT_EQ(DiskFolderNames(folder.path()), std::vector<std::string>{});

  // An existing file is replaced whole or kept as it was.
  ASSERT_TRUE(env.WriteWholeFile(path, BytesOf("kept")).ok());
  {
    FileSizeLimit limit(100);
    EXPECT_FALSE(env.WriteWholeFile(path, Bytes(5000, 0x42)).ok());
  }
  EXPECT_EQ(TextOf(ReadDiskFile(path)), "kept");
  EXPECT_EQ(DiskFolderNames(folder.path()), std::vector<std::string>{"res0000.bmp"});
}

TEST(PosixRiffFile, AWriteThatFailsHalfWayLeavesNoTemporaryFile) {
  TempFolder folder;
  const std::string target = folder.File("pkg.klv");
  WriteDiskText(target, "earlier");
  const Bytes data(300000, 0x17);  // more than the writer buffers
  {
    FileSizeLimit limit(1000);
    std::unique_ptr<RiffFile> riff = NewRiffFile(target);
    ASSERT_TRUE(riff);
    ASSERT_TRUE(riff->CreateRiff(Id("DATA")).ok());
    ASSERT_TRUE(riff->CreateChunk(Id("big "), 0).ok());
    const Status failed = riff->Write(data.data(), data.size());
    EXPECT_EQ(failed.reason(), "File too large");
    EXPECT_EQ(riff->Ascend().ToString(), failed.ToString())
        << "a failed writer refuses everything with its first failure";
    EXPECT_EQ(riff->Commit().ToString(), failed.ToString());
  }
  EXPECT_EQ(DiskFolderNames(folder.path()), std::vector<std::string>{"pkg.klv"});
  EXPECT_EQ(TextOf(ReadDiskFile(target)), "earlier");
}

}  // namespace
}  // namespace klv
