// Unpacking a package into the work folder it could have been made from: Puzzle.ini with
// every key the header holds, base.bmp and the tile pictures resRRCC.bmp, so that
// klvconv gives the same package back. What cannot come back the same is said; a grid
// that no package can hold is refused before anything is written.
#ifndef KLV_KLVINFO_WORK_FOLDER_EXPORT_H_
#define KLV_KLVINFO_WORK_FOLDER_EXPORT_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/named_output.h"
#include "format/package_reader.h"

namespace klv {

struct ExportedFile {
  std::string name;  // without folder
  std::vector<uint8_t> bytes;
};

struct WorkFolderExport {
  std::vector<ExportedFile> files;
  // One line each (UTF-8): what klvconv would not give back as it is in the package.
  std::vector<std::string> warnings;
};

// The work folder of `package`: Puzzle.ini (section PuzzleData: xMax, yMax, backColor,
// PuzzleName, PassWord, PuzzleSetName, LongPuzzleName, Difficulty, FileVersion and
// PrevPassWord, lines ending in CRLF, texts in code page 932), then base.bmp and one
// "res%02d%02d.bmp" per tile in the grid, each the picture chunk's bytes as stored; the
// tile names never collide, since a grid of at most kMaxPackageTiles has fewer than 100
// rows or fewer than 100 columns. For a sound package klvconv makes a byte-identical
// package of it, except where a warning says otherwise: a text that Puzzle.ini does not
// give back as it is (blanks at either end, enclosing quotes, line breaks), and a picture
// the package lacks. Nothing, with *cause set (UTF-8), for a package without a header or
// with a grid of more than kMaxPackageTiles tiles.
std::optional<WorkFolderExport> ExportWorkFolder(const Package& package, std::string* cause);

// Writes `files` into a private folder beside the folder output `folder` (decided with
// NamedOutput::ForFolder) and gives it that name at the end, so that nothing half-written
// is ever under the name. On failure returns false with *cause saying why (UTF-8, without
// the folder's name) and removes the private folder; nothing else is touched.
bool WriteWorkFolder(const NamedOutput& folder, const std::vector<ExportedFile>& files,
                     std::string* cause);

}  // namespace klv

#endif  // KLV_KLVINFO_WORK_FOLDER_EXPORT_H_
