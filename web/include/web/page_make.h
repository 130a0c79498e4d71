// The web page's make: the MakePuzzle of the windows and klvmake, on the browser's
// in-memory file system through the same private work folder and FileConv, with the
// package library linked into the page (a page loads no library), and the package handed
// back as bytes for the download.
#ifndef KLV_WEB_PAGE_MAKE_H_
#define KLV_WEB_PAGE_MAKE_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "conversion/file_conv.h"
#include "language/language.h"
#include "maker/colors.h"
#include "maker/make.h"
#include "maker/raster.h"

namespace klv::web {

// FileConv's conversion linked in: ConvertWorkFolder on the calling thread with its own
// state, as the library keeps it between calls, and the library's messages kept for the
// page instead of shown.
class LinkedConverter : public PackageConverter {
 public:
  explicit LinkedConverter(Env& env) : env_(env) {}
  // Always gives FileConv's result: the conversion cannot be missing.
  StatusOr<int16_t> Convert(const std::string& folder_argument) override;
  // The messages of the last Convert, in the platform's narrow encoding.
  const std::vector<std::string>& messages() const { return messages_; }

 private:
  Env& env_;
  ConversionState state_;
  std::vector<std::string> messages_;
};

// What the page's form holds when its make button is pressed. Texts are UTF-8 as the boxes
// hold them (line breaks "\n").
struct PageValues {
  std::string puzzleSetName;
  std::string puzzleName;
  std::string comment;
  int colourOption = kStartChoice;  // Option1 index, 0 to 7
  int slider1 = 70;                 // the density sliders: the densities are 100 minus them
  int slider2 = 85;
  std::optional<uint32_t> seed;  // seeds the make as klvmake's --seed; nothing: the clock
};

struct PagePackage {
  MakeStatus status = MakeStatus::kPackageWritten;
  std::string message;   // what the page says: the completion, or why nothing was made
  std::string fileName;  // kPackageWritten: "<puzzle name>.klv", UTF-8
  std::vector<uint8_t> bytes;
};

// Makes the puzzle of the fitted picture `picture` as the window's make does, in the
// folder `folder` of `env`: texts in code page 932, densities 100 minus the sliders, the
// colour option's palette index, and the password and the tile effect seeded by
// values.seed as klvmake --seed N seeds them, or by the clock (a fresh password each
// make). A puzzle name that cannot name the package is refused before anything is
// written. The package is read back and removed, so the folder holds afterwards what it
// held before. Messages are in `language`; the library's follow the outcome's.
PagePackage MakePagePuzzle(Env& env, const std::string& folder, const Raster& picture,
                           const PageValues& values, WindowLanguage language);

}  // namespace klv::web

#endif  // KLV_WEB_PAGE_MAKE_H_
