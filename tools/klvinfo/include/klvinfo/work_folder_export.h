// Unpacking a package into the work folder it could have been made from: Puzzle.ini with
// every key the header holds, base.bmp and the tile pictures resRRCC.bmp, so that
// klvconv gives the same package back. What cannot come back the same is said.
#ifndef KLV_KLVINFO_WORK_FOLDER_EXPORT_H_
#define KLV_KLVINFO_WORK_FOLDER_EXPORT_H_

#include <cstdint>
#include <string>
#include <vector>

#include "base/package_reader.h"

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

// The work folder of `package`, which must have a header: Puzzle.ini (section
// PuzzleData: xMax, yMax, backColor, PuzzleName, PassWord, PuzzleSetName, LongPuzzleName,
// Difficulty, FileVersion and PrevPassWord, lines ending in CRLF, texts in code page 932),
// then base.bmp and one "res%02d%02d.bmp" per tile in the grid, each the picture chunk's
// bytes as stored. For a sound package klvconv makes a byte-identical package of it,
// except where a warning says otherwise: a text that Puzzle.ini does not give back as it
// is (blanks at either end, enclosing quotes, line breaks), a grid of more tiles than
// the converter takes, and a picture the package lacks.
WorkFolderExport ExportWorkFolder(const Package& package);

// Writes `files` into `folder`, which must not exist (it is made, in an existing
// parent) or be an empty folder, not a link to one. On failure returns false with
// *cause saying why (UTF-8, without the folder's name) and removes the files it wrote.
bool WriteWorkFolder(const std::string& folder, const std::vector<ExportedFile>& files,
                     std::string* cause);

}  // namespace klv

#endif  // KLV_KLVINFO_WORK_FOLDER_EXPORT_H_
