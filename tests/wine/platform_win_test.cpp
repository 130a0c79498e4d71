// Unit tests of the Windows side of the platform seam (platform_win.cpp), built by the
// mingw-w64 build and run under Wine by the Linux build's CTest (with code page 932 as
// the system's code page): the RIFF writer's sizes, pad bytes and temporary file, shared
// reading, profile cuts, code page 932 conversions without look-alikes, and the path
// rules that must step over double-byte characters.
#include "base/platform.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/memory_block.h"
#include "base/named_output.h"

// windows.h names its own profile functions so; the seam's members keep theirs.
#undef GetProfileString
#undef GetProfileInt
#undef WriteProfileString

namespace klv {
namespace {

using Bytes = std::vector<uint8_t>;

// "日本語のパズル名前" and "図表" in code page 932; 表 ends in the trail byte 0x5C.
const std::string kJapanese =
    "\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x83\x70\x83\x59\x83\x8b\x96\xbc\x91\x4f";
const std::string kZuhyo = "\x90\x7d\x95\x5c";

void RemoveTree(const std::string& path) {
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      const std::string child = path + "\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        DeleteFileA(child.c_str());
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(path.c_str());
}

// A fresh folder in the system's temporary folder, removed with its contents.
class TempDir {
 public:
  TempDir() {
    char base[MAX_PATH];
    char name[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    GetTempFileNameA(base, "kwt", 0, name);
    DeleteFileA(name);
    CreateDirectoryA(name, nullptr);
    path_ = name;
  }
  ~TempDir() { RemoveTree(path_); }
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

void WriteBytes(const std::string& path, const std::string& bytes) {
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  ASSERT_EQ(written, bytes.size());
}

std::string ReadBytes(const std::string& path) {
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<missing>";
  std::string bytes;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(file);
  return bytes;
}

std::unique_ptr<RiffFile> NewRiffFile(const std::string& target) {
  std::unique_ptr<RiffFile> riff;
  const Status status = Env::Default().CreateRiffFile(target, &riff);
  EXPECT_TRUE(status.ok()) << status.ToString();
  return riff;
}

std::vector<std::string> ListedFiles(const std::string& folder) {
  std::vector<std::string> names;
  Env::Default().ListFiles(folder, &names);
  return names;
}

// True when `status` is an error whose reason is the system's own text for its error:
// FormatMessage's words, without the line break they end with, not a bare number.
bool HasTheSystemsText(const Status& status) {
  const std::string& reason = status.reason();
  return !status.ok() && !reason.empty() && reason.rfind("Windows error", 0) != 0 &&
         reason.back() != '\n' && reason.back() != '\r';
}

FourCC Id(const char* text) { return FourCC{{text[0], text[1], text[2], text[3]}}; }

std::string Le32(uint32_t v) {
  return std::string{static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                     static_cast<char>(v >> 24)};
}

TEST(PlatformWin, TheSystemCodePageIsCodePage932) {
  // Every test below that names a file in Japanese relies on this setting of the runner.
  EXPECT_EQ(GetACP(), 932u);
}

TEST(PlatformWin, CodePage932ConversionsAreExactOrFail) {
  struct Case {
    std::string utf8;
    std::optional<std::string> cp932;  // nothing: no exact code page 932 form
  };
  const Case cases[] = {
      {"", std::string()},
      {"abc", std::string("abc")},
      {std::string("a\0b", 3), std::string("a\0b", 3)},
      {"日本語のパズル名前", kJapanese},
      {"ｶ", std::string("\xb6")},
      {"～", std::string("\x81\x60")},  // U+FF5E, Windows' form of 0x8160
      {"é", std::nullopt},              // best fit would give "e"
      {"\xc3", std::nullopt},           // not UTF-8
      {"\xc2\x80", std::nullopt},       // U+0080: Windows' stand-in for the byte 0x80
      {"\xef\xa3\xb0", std::nullopt},   // U+F8F0: Windows' stand-in for 0xA0
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.utf8);
    EXPECT_EQ(Utf8ToCp932(c.utf8), c.cp932);
    if (c.cp932) {
      EXPECT_EQ(Cp932ToUtf8(*c.cp932), c.utf8);
    }
  }
  // The second Unicode forms of JIS characters give the same bytes (and come back in
  // Windows' form).
  const std::pair<std::string, std::string> equivalents[] = {
      {"\xe3\x80\x9c", "\x81\x60"},  // U+301C wave dash
      {"−", "\x81\x7c"},             // U+2212 minus sign
      {"¥", "\x5c"},
      {"‾", "\x7e"},
      {"¢", "\x81\x91"},
      {"—", "\x81\x5c"},  // U+2014 em dash
  };
  for (const auto& [utf8, cp932] : equivalents) {
    EXPECT_EQ(Utf8ToCp932(utf8), std::optional<std::string>(cp932)) << utf8;
  }
  for (const char* bytes : {"\x82", "\x80", "\xa0", "\xfd", "\xff"}) {
    EXPECT_EQ(Cp932ToUtf8(bytes), std::nullopt) << "byte " << +static_cast<uint8_t>(bytes[0]);
  }
}

TEST(PlatformWin, EndsWithSeparatorStepsOverTrailBytes) {
  ASSERT_EQ(GetACP(), 932u);
  struct Case {
    std::string path;
    bool ends_with_separator;
  };
  const Case cases[] = {
      {"", false},
      {"C:\\", true},
      {"C:", false},
      {"C:\\work", false},
      {"C:\\work/", true},
      {"C:\\" + kZuhyo, false},
      {"C:\\" + kZuhyo + "\\", true},
      {"\\", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EndsWithSeparator(c.path), c.ends_with_separator) << c.path;
  }
}

TEST(PlatformWin, RiffWriterPatchesSizesAndPadsOddChunks) {
  TempDir dir;
  const std::string target = dir.File("out.riff");
  {
    std::unique_ptr<RiffFile> riff = NewRiffFile(target);
    ASSERT_NE(riff, nullptr);
    const uint8_t data[5] = {1, 2, 3, 4, 5};
    ASSERT_TRUE(riff->CreateRiff(Id("DATA")).ok());
    // Declared exactly, odd: the pad byte must still follow.
    ASSERT_TRUE(riff->CreateChunk(Id("ABCD"), 5).ok());
    ASSERT_TRUE(riff->Write(data, 5).ok());
    ASSERT_TRUE(riff->Ascend().ok());
    // Declared wrong: the size is patched to what was written.
    ASSERT_TRUE(riff->CreateChunk(Id("EFGH"), 2).ok());
    ASSERT_TRUE(riff->Write(data, 3).ok());
    ASSERT_TRUE(riff->Ascend().ok());
    // The last chunk, exact and odd.
    ASSERT_TRUE(riff->CreateChunk(Id("IJKL"), 3).ok());
    ASSERT_TRUE(riff->Write(data, 3).ok());
    ASSERT_TRUE(riff->Ascend().ok());
    ASSERT_TRUE(riff->Ascend().ok());
    ASSERT_TRUE(riff->Commit().ok());
  }
  const std::string chunks = std::string("ABCD") + Le32(5) + "\x01\x02\x03\x04\x05" + '\0' +
                             "EFGH" + Le32(3) + "\x01\x02\x03" + '\0' + "IJKL" + Le32(3) +
                             "\x01\x02\x03" + '\0';
  const std::string expected =
      "RIFF" + Le32(static_cast<uint32_t>(4 + chunks.size())) + "DATA" + chunks;
  EXPECT_EQ(ReadBytes(target), expected);
  // Only the target is left: the temporary file was renamed.
  EXPECT_EQ(ListedFiles(dir.path()), std::vector<std::string>{"out.riff"});
}

TEST(PlatformWin, RiffWriterWithoutCommitLeavesTheEarlierFile) {
  TempDir dir;
  const std::string target = dir.File("Cat.klv");
  WriteBytes(target, "earlier");
  {
    std::unique_ptr<RiffFile> riff = NewRiffFile(target);
    ASSERT_NE(riff, nullptr);
    ASSERT_TRUE(riff->CreateRiff(Id("DATA")).ok());
    ASSERT_TRUE(riff->CreateChunk(Id("KLVZ"), 592).ok());
    // Destroyed here, half written.
  }
  EXPECT_EQ(ReadBytes(target), "earlier");
  EXPECT_EQ(ListedFiles(dir.path()), std::vector<std::string>{"Cat.klv"});
}

TEST(PlatformWin, RiffWriterTakesNamesThatTheMultimediaOpenWouldNot) {
  TempDir dir;
  // Longer than the 128 bytes mmioOpenA takes by name, a "+" that it would read as a
  // compound-file element, and a Japanese folder whose last trail byte is 0x5C.
  const std::vector<std::string> folders = {std::string(150, 'f'), "pics.v2+old", kZuhyo};
  for (const std::string& folder : folders) {
    SCOPED_TRACE(folder);
    ASSERT_TRUE(CreateDirectoryA(dir.File(folder).c_str(), nullptr));
    const std::string target = dir.File(folder) + "\\" + kJapanese + ".klv";
    std::unique_ptr<RiffFile> riff = NewRiffFile(target);
    ASSERT_NE(riff, nullptr);
    ASSERT_TRUE(riff->CreateRiff(Id("DATA")).ok());
    ASSERT_TRUE(riff->Ascend().ok());
    ASSERT_TRUE(riff->Commit().ok());
    EXPECT_EQ(ReadBytes(target), "RIFF" + Le32(4) + "DATA");
  }
}

TEST(PlatformWin, RiffWriterCannotStartInAMissingFolder) {
  TempDir dir;
  std::unique_ptr<RiffFile> riff;
  const Status status = Env::Default().CreateRiffFile(dir.File("missing") + "\\Cat.klv", &riff);
  EXPECT_EQ(riff, nullptr);
  EXPECT_EQ(status.context(), dir.File("missing"));
  EXPECT_TRUE(HasTheSystemsText(status)) << status.ToString();
}

TEST(PlatformWin, SharedReadLetsOthersReadButNotWrite) {
  TempDir dir;
  const std::string path = dir.File("base.bmp");
  WriteBytes(path, "BM0123456789");
  std::unique_ptr<InputFile> file;
  ASSERT_TRUE(Env::Default().OpenForSharedRead(path, &file).ok());
  const HANDLE reader =
      CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(reader, INVALID_HANDLE_VALUE);
  if (reader != INVALID_HANDLE_VALUE) CloseHandle(reader);
  const HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
  if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);

  uint64_t length = 0;
  EXPECT_TRUE(file->Length(&length).ok());
  EXPECT_EQ(length, 12u);
  uint8_t buffer[32] = {};
  size_t got = 0;
  EXPECT_TRUE(file->Read(buffer, 2, &got).ok());
  EXPECT_EQ(got, 2u);
  EXPECT_TRUE(file->Read(buffer + 2, 30, &got).ok());
  EXPECT_EQ(got, 10u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 12), "BM0123456789");
  EXPECT_TRUE(file->Read(buffer, 1, &got).ok());
  EXPECT_EQ(got, 0u);

  std::unique_ptr<InputFile> none;
  const Status missing = Env::Default().OpenForSharedRead(dir.File("none.bmp"), &none);
  EXPECT_TRUE(missing.IsNotFound()) << missing.ToString();
  EXPECT_TRUE(HasTheSystemsText(missing)) << missing.ToString();
  EXPECT_FALSE(Env::Default().OpenForSharedRead(dir.path(), &none).ok());
  EXPECT_EQ(none, nullptr);
}

TEST(PlatformWin, ProfileTextsAreCutBeforeADoubleByteCharacter) {
  TempDir dir;
  Env& env = Env::Default();
  const std::string ini = dir.File("Puzzle.ini");
  WriteBytes(ini, "[PuzzleData]\r\nPuzzleName=" + kJapanese + "\r\nxMax=-3\r\n");
  // 15 bytes would end inside 名 (bytes 14 and 15): the text keeps 14, with no zero byte.
  EXPECT_EQ(env.GetProfileString(ini, "PuzzleData", "PuzzleName", "the Puzzle", 16),
            kJapanese.substr(0, 14));
  EXPECT_EQ(env.GetProfileString(ini, "PuzzleData", "PuzzleName", "x", 1), "");
  EXPECT_EQ(env.GetProfileString(ini, "PuzzleData", "Missing", "the Puzzle", 11), "the Puzzle");
  EXPECT_EQ(env.GetProfileInt(ini, "puzzledata", "XMAX", 0), -3);
  EXPECT_EQ(env.GetProfileInt(dir.File("none.ini"), "PuzzleData", "xMax", -1), -1);
}

TEST(PlatformWin, ProfilePathsWithoutAFolderStayInTheCurrentFolder) {
  TempDir dir;
  Env& env = Env::Default();
  char previous[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryA(dir.path().c_str()));
  // The system would look a bare name up in the Windows folder.
  EXPECT_TRUE(env.WriteProfileString("Bare.ini", "PuzzleData", "xMax", "4").ok());
  EXPECT_EQ(env.GetProfileInt("Bare.ini", "PuzzleData", "xMax", -1), 4);
  EXPECT_EQ(CurrentFolder(), std::optional<std::string>(dir.path()));
  SetCurrentDirectoryA(previous);
  EXPECT_NE(ReadBytes(dir.File("Bare.ini")), "<missing>");
}

TEST(PlatformWin, WholeFilesListsAndRemoval) {
  TempDir dir;
  Env& env = Env::Default();
  const std::string name = kZuhyo + ".bmp";
  EXPECT_TRUE(env.WriteWholeFile(dir.File(name), Bytes{'B', 'M'}).ok());
  EXPECT_TRUE(env.WriteWholeFile(dir.File("res0000.bmp"), Bytes{}).ok());
  EXPECT_TRUE(env.WriteWholeFile(dir.File(name), Bytes{'B', 'M', '!'}).ok());
  EXPECT_EQ(ReadBytes(dir.File(name)), "BM!");
  const Status unwritten = env.WriteWholeFile(dir.File("missing") + "\\x.bmp", Bytes{1});
  EXPECT_EQ(unwritten.context(), dir.File("missing") + "\\x.bmp");
  EXPECT_TRUE(HasTheSystemsText(unwritten)) << unwritten.ToString();
  ASSERT_TRUE(CreateDirectoryA(dir.File("sub").c_str(), nullptr));

  std::vector<std::string> names = ListedFiles(dir.path());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"res0000.bmp", name}));
  EXPECT_TRUE(env.CheckFolder(dir.File("sub")).ok());
  EXPECT_FALSE(env.CheckFolder(dir.File(name)).ok());
  EXPECT_FALSE(env.CheckFolder(dir.File("missing")).ok());

  EXPECT_TRUE(env.RemoveFile(dir.File(name)).ok());
  EXPECT_TRUE(env.RemoveFile(dir.File(name)).IsNotFound());
  EXPECT_EQ(ListedFiles(dir.path()), std::vector<std::string>{"res0000.bmp"});
  EXPECT_FALSE(env.ListFiles(dir.File("missing"), &names).ok());
  EXPECT_TRUE(names.empty());

  // Hidden as Explorer hides them: by the attribute, and the "._" files macOS leaves.
  const std::string prefix = dir.path() + "\\";
  ASSERT_TRUE(SetFileAttributesA(dir.File("res0000.bmp").c_str(), FILE_ATTRIBUTE_HIDDEN));
  EXPECT_TRUE(IsHiddenFile(prefix, "res0000.bmp"));
  EXPECT_TRUE(IsHiddenFile(prefix, "._" + name));
  EXPECT_FALSE(IsHiddenFile(prefix, name));
}

TEST(PlatformWin, FoldersAreCheckedAndEmptyOnlyWithoutEntries) {
  TempDir dir;
  // A Japanese name whose last byte is 0x5C: the pattern of its entries must not lose it.
  const std::string made = dir.File(kZuhyo);
  ASSERT_TRUE(CreateDirectoryA(made.c_str(), nullptr));
  Env& env = Env::Default();
  EXPECT_TRUE(env.CheckFolder(made).ok());
  EXPECT_TRUE(env.CheckFolder(dir.File("missing\\child")).IsNotFound());
  EXPECT_TRUE(env.CheckEmptyFolder(made).ok());
  EXPECT_TRUE(env.CheckEmptyFolder(made + "\\").ok());
  WriteBytes(made + "\\a.bmp", "BM");
  EXPECT_EQ(env.CheckEmptyFolder(made).reason(), "is a folder that is not empty");
  EXPECT_EQ(env.CheckEmptyFolder(made + "\\a.bmp").reason(), "is a file, not a folder");
  EXPECT_EQ(env.CheckFolder(made + "\\a.bmp").reason(), "is a file, not a folder");
  EXPECT_TRUE(env.CheckEmptyFolder(dir.File("missing")).IsNotFound());
}

// The private work folder of a make: a new name each time, removed with what it holds;
// a rename replaces the file of the target's name in one step.
TEST(PlatformWin, PrivateFoldersAreNewAndRemovedWithTheirFiles) {
  TempDir dir;
  Env& env = Env::Default();
  std::string first, second;
  ASSERT_TRUE(env.MakePrivateFolder(dir.File(".make-"), &first).ok());
  ASSERT_TRUE(env.MakePrivateFolder(dir.File(".make-"), &second).ok());
  EXPECT_NE(first, second);
  EXPECT_EQ(first.size(), dir.File(".make-").size() + 6);
  std::vector<std::string> folders;
  ASSERT_TRUE(env.ListFolders(dir.path(), &folders).ok());
  EXPECT_EQ(folders.size(), 2u);
  EXPECT_FALSE(env.MakePrivateFolder(dir.File("missing\\.make-"), &first).ok());

  WriteBytes(first + "\\res0000.bmp", "BM");
  WriteBytes(dir.File("Cat.klv"), "earlier");
  WriteBytes(first + "\\Cat.klv", "package");
  ASSERT_TRUE(env.RenameFile(first + "\\Cat.klv", dir.File("Cat.klv")).ok());
  EXPECT_EQ(ReadBytes(dir.File("Cat.klv")), "package");
  EXPECT_FALSE(env.RenameFile(first + "\\missing", dir.File("x")).ok());
  EXPECT_FALSE(env.RenameFile(first + "\\res0000.bmp", second).ok());  // a folder is in the way
  ASSERT_TRUE(env.RemovePrivateFolder(first).ok());
  EXPECT_TRUE(env.CheckFolder(first).IsNotFound());
  std::vector<std::string> names;
  ASSERT_TRUE(env.ListFiles(dir.path(), &names).ok());
  EXPECT_EQ(names, std::vector<std::string>{"Cat.klv"});
}

// A lock file's lock is taken only while no one holds it; its content comes with it.
TEST(PlatformWin, FileLocksAreTakenOnlyWhenFree) {
  TempDir dir;
  Env& env = Env::Default();
  std::unique_ptr<FileLock> held, taken;
  std::string content;
  ASSERT_TRUE(env.CreateLockedFile(dir.File("make.lock"), "held", &held).ok());
  EXPECT_FALSE(env.CreateLockedFile(dir.File("make.lock"), "again", &taken).ok());
  EXPECT_FALSE(env.TakeFileLock(dir.File("make.lock"), 10, &content, &taken).ok());
  held.reset();
  ASSERT_TRUE(env.TakeFileLock(dir.File("make.lock"), 10, &content, &taken).ok());
  EXPECT_EQ(content, "held");
  EXPECT_TRUE(env.TakeFileLock(dir.File("missing"), 10, &content, &held).IsNotFound());
}

// Outputs a person names: a file is replaced whole (no temporary file stays), a device is
// written in place, a folder is refused as a file; a folder output is a new name or an
// empty folder, and of two runs that place one, only the first succeeds.
TEST(PlatformWin, NamedOutputsFollowOneRule) {
  TempDir dir;
  WriteBytes(dir.File("old.bmp"), "old");
  ASSERT_TRUE(CreateDirectoryA(dir.File("sub").c_str(), nullptr));
  const struct {
    std::string path;
    NamedOutput::Kind kind;
  } files[] = {{dir.File("new.bmp"), NamedOutput::Kind::kNewFile},
               {dir.File("old.bmp"), NamedOutput::Kind::kFile},
               {"NUL", NamedOutput::Kind::kInPlace}};
  for (const auto& f : files) {
    NamedOutput output;
    ASSERT_TRUE(NamedOutput::ForFile(f.path, NamedOutput::Access::kShared, &output).ok()) << f.path;
    EXPECT_EQ(output.kind(), f.kind) << f.path;
    EXPECT_TRUE(output.Write({'n', 'e', 'w'}).ok()) << f.path;
  }
  EXPECT_EQ(ReadBytes(dir.File("old.bmp")), "new");
  NamedOutput refused;
  EXPECT_EQ(NamedOutput::ForFile(dir.File("sub"), NamedOutput::Access::kShared, &refused).reason(),
            "is a folder");
  EXPECT_EQ(NamedOutput::ForFolder(dir.File("old.bmp"), &refused).reason(),
            "is a file, not a folder");

  NamedOutput first, second;
  ASSERT_TRUE(NamedOutput::ForFolder(dir.File("sub"), &first).ok());
  ASSERT_TRUE(NamedOutput::ForFolder(dir.File("sub") + "\\", &second).ok());
  EXPECT_EQ(first.kind(), NamedOutput::Kind::kEmptyFolder);
  std::string mine, theirs;
  ASSERT_TRUE(first.MakeFolderBeside(&mine).ok());
  ASSERT_TRUE(second.MakeFolderBeside(&theirs).ok());
  WriteBytes(mine + "\\a.bmp", "a");
  EXPECT_TRUE(first.PlaceFolder(mine).ok());
  EXPECT_FALSE(second.PlaceFolder(theirs).ok());
  EXPECT_TRUE(Env::Default().RemovePrivateFolder(theirs).ok());
  EXPECT_EQ(ListedFiles(dir.File("sub")), std::vector<std::string>{"a.bmp"});
  std::vector<std::string> names = ListedFiles(dir.path());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"new.bmp", "old.bmp"}));
}

// A loaded picture lives in a movable, zero-filled block of global memory, locked while
// the block lives; a move hands the block over.
TEST(PlatformWin, PictureMemoryIsALockedMovableGlobalBlock) {
  MemoryBlock block(4096);
  ASSERT_NE(block.data(), nullptr);
  EXPECT_EQ(block.size(), 4096u);
  // The system finds the block's handle from its locked address.
  const HGLOBAL handle = GlobalHandle(block.data());
  ASSERT_NE(handle, nullptr);
  EXPECT_GE(GlobalSize(handle), 4096u);
  EXPECT_EQ(GlobalFlags(handle) & GMEM_LOCKCOUNT, 1u);
  EXPECT_TRUE(std::all_of(block.data(), block.data() + 4096, [](uint8_t b) { return b == 0; }));

  block.data()[0] = 7;
  uint8_t* const data = block.data();
  MemoryBlock moved(std::move(block));
  EXPECT_EQ(moved.data(), data);
  EXPECT_EQ(moved.data()[0], 7);
  EXPECT_EQ(block.data(), nullptr);
  EXPECT_EQ(block.size(), 0u);
  EXPECT_EQ(MemoryBlock(0).data(), nullptr) << "an empty block takes no memory";
}

TEST(PlatformWin, MessagesGoToTheInstalledSink) {
  std::vector<std::string> received;
  SetMessageSink([&received](const std::string& text) { received.push_back(text); });
  Env::Default().ShowMessage(kJapanese);
  SetMessageSink(nullptr);
  EXPECT_EQ(received, std::vector<std::string>{kJapanese});
}

TEST(PlatformWin, TheLibraryLoadsByItsBareNameFromTheProgramsFolder) {
  const std::string folder = ProgramFolder();
  EXPECT_FALSE(EndsWithSeparator(folder));
  EXPECT_NE(ReadBytes(folder + "\\KLVUtils.dll"), "<missing>");
  std::unique_ptr<SharedLibrary> library;
  ASSERT_TRUE(Env::Default().LoadSharedLibrary("KLVUtils", &library).ok());
  EXPECT_NE(library->FindEntry("FileConv"), nullptr);
  EXPECT_NE(library->FindEntry("KLVSetMessageHandler"), nullptr);
  // Undecorated: no "_FileConv@4" or "FileConv@4".
  EXPECT_EQ(library->FindEntry("FileConv@4"), nullptr);
  std::unique_ptr<SharedLibrary> missing;
  const Status status = Env::Default().LoadSharedLibrary("NoSuchLibrary", &missing);
  EXPECT_EQ(missing, nullptr);
  EXPECT_EQ(status.context(), "NoSuchLibrary");
  EXPECT_TRUE(HasTheSystemsText(status)) << status.ToString();
}

}  // namespace
}  // namespace klv
