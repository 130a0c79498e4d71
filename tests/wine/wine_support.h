// Helpers of the Wine tests: running a Linux program and a Windows program of the
// mingw-w64 build under Wine (with the tests' own prefix, in the Japanese code page 932
// setting), Windows names for Linux paths, side-by-side comparison of two folders, and
// the bitmaps and temporary folders the tests are made of.
#ifndef KLV_TESTS_WINE_WINE_SUPPORT_H_
#define KLV_TESTS_WINE_WINE_SUPPORT_H_

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace klv::winetest {

using Bytes = std::vector<uint8_t>;

// A BMP file given field by field; the file header's size and offset fields follow from
// what is written. The colour table and the pixels are patterns that differ with `seed`.
struct BitmapFields {
  uint32_t header_size = 40;  // 12 writes the short core header; above 40 pads with 0
  int32_t width = 64;
  int32_t height = 64;
  uint16_t bit_count = 24;
  uint32_t compression = 0;
  uint32_t image_size = 0;
  uint32_t used_colors = 0;
  // Colour-table entries; nothing: used_colors, else 2, 16 or 256 for 1, 4 or 8 bits.
  std::optional<uint32_t> table_entries = std::nullopt;
  // Pixel bytes; nothing: the padded rows of width x |height|.
  std::optional<size_t> pixel_bytes = std::nullopt;
  uint8_t seed = 1;
};
Bytes MakeBitmap(const BitmapFields& fields);

// True when `file` is a well-formed RIFF form: its size field is the file's length less
// 8, and its chunks fill it exactly, each odd-sized one followed by a zero pad byte.
bool IsWellFormedRiff(const Bytes& file);

// A fresh folder under the system's temporary folder, removed with its contents.
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

// Creates or replaces a file; a failure fails the test that asked.
void WriteFile(const std::string& path, const Bytes& bytes);
void WriteText(const std::string& path, const std::string& text);

struct RunResult {
  int exit_code = -1;  // the program's exit status; -1 when it did not end normally
  std::string out;     // standard output
  std::string err;     // standard error
  bool timed_out = false;
};

// Runs `program` of the Linux build (bin/NAME) with `args`.
RunResult RunLinux(const std::string& program, const std::vector<std::string>& args);

// Runs `program` of the Windows build (NAME.exe) under Wine with `args`, in the tests'
// prefix. The locale sets the system's code page: ja_JP.UTF-8 gives 932, the product's
// setting; C.UTF-8 gives 1252. The arguments travel as UTF-8 and reach the program as its
// wide command line.
RunResult RunWine(const std::string& program, const std::vector<std::string>& args,
                  const std::string& locale = "ja_JP.UTF-8");

// The Windows name of a Linux path through Wine's drive Z: ("/tmp/a" -> "Z:\tmp\a").
std::string WindowsPath(const std::string& linux_path);

// Points the Wine drive `letter` (a lower-case letter) of the tests' prefix at `folder`.
// False when the link cannot be made.
bool MapWineDrive(char letter, const std::string& folder);
void UnmapWineDrive(char letter);

// Every regular file of `folder` by name, with its bytes.
std::map<std::string, Bytes> FolderFiles(const std::string& folder);

// A readable account of how two folders differ: names present in only one, and for
// files in both, their sizes and the first differing offset. Empty when equal.
std::string FolderDifference(const std::map<std::string, Bytes>& linux_files,
                             const std::map<std::string, Bytes>& windows_files);

// A program's run in a failure message.
std::string Describe(const RunResult& run);

}  // namespace klv::winetest

#endif  // KLV_TESTS_WINE_WINE_SUPPORT_H_
