// Helpers of the Wine tests: running a Linux program and a Windows program of the
// mingw-w64 build under Wine (with the tests' own prefix, in the Japanese code page 932
// setting), Windows names for Linux paths and side-by-side comparison of two folders.
#ifndef KLV_TESTS_WINE_WINE_SUPPORT_H_
#define KLV_TESTS_WINE_WINE_SUPPORT_H_

#include <map>
#include <string>
#include <vector>

#include "klvtest/test_support.h"

namespace klv::winetest {

// The bitmaps, the RIFF reader, the temporary folders and the whole-file helpers are
// the library tests' own.
using test::BmpFields;
using test::Bytes;
using test::MakeBmp;
using test::PatternBytes;
using test::PuzzleIni;
using test::ReadDiskFile;
using test::ReadRiff;
using test::TempFolder;
using test::WriteDiskFile;
using test::WriteDiskText;

struct RunResult {
  int exit_code = -1;  // the program's exit status; -1 when it did not end normally
  std::string out;     // standard output
  std::string err;     // standard error
  bool timed_out = false;
};

// Runs `program` of the Linux build (bin/NAME) with `args`, its user's language
// `language` (LANGUAGE): Japanese, as the Windows programs speak in the Japanese locale.
RunResult RunLinux(const std::string& program, const std::vector<std::string>& args,
                   const std::string& language = "ja");

// Runs `program` of the Windows build (NAME.exe) under Wine with `args`, in the tests'
// prefix. The locale sets the system's code page: ja_JP.UTF-8 gives 932, the product's
// setting; C.UTF-8 gives 1252. It sets the user's language too, unless `ui_locale` is
// given (en_US.UTF-8: an English user on a system of that code page). The arguments
// travel as UTF-8 and reach the program as its wide command line.
RunResult RunWine(const std::string& program, const std::vector<std::string>& args,
                  const std::string& locale = "ja_JP.UTF-8", const std::string& ui_locale = "");

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
