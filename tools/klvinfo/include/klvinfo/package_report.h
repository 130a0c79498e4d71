// What klvinfo says about a package: its texts in UTF-8, its colour by name, its
// problems one line each, the readable summary and the JSON object. Pure functions over
// what the package reader and the picture decoder found.
#ifndef KLV_KLVINFO_PACKAGE_REPORT_H_
#define KLV_KLVINFO_PACKAGE_REPORT_H_

#include <cstdint>
#include <string>
#include <vector>

#include "format/package_reader.h"
#include "maker/package_pictures.h"

namespace klv {

// The code page 932 text `cp932` in UTF-8. A byte that does not start a code page 932
// character becomes "\xNN" (its hexadecimal value); with `one_line`, so do the control
// characters (below 0x20, and 0x7F), so that the text keeps to one line.
std::string DisplayText(const std::string& cp932, bool one_line);

// The name of a colour 0xRRGGBB of the 16-colour palette the maker chooses from
// ("magenta", "dark blue", ...), or "custom".
std::string ColorName(uint32_t rgb);

// "#RRGGBB".
std::string ColorHex(uint32_t rgb);

// What klvinfo says of a file that does not begin as a package (BeginsAsPackage).
inline constexpr char kNotAPackage[] =
    "not a puzzle package (a package begins with a RIFF form \"DATA\" whose first chunk is "
    "the 592-byte header \"KLVZ\")";

// Every problem found in the package and its pictures, one line each: the reader's
// problems in file order, a grid that holds no tile (no puzzle, though its file is
// well-formed), the pictures that do not decode, and a header that names another
// background colour than the tiles are painted in: earlier makers wrote blue and green as
// texts that read as red, and cyan as one that reads as yellow, and the player keys out
// the header's colour and shows the true one as specks. That fault is found when the
// header is red or yellow and the colour it stood for covers at least an eighth of the
// tiles' pixels and more than four times as many as the header's colour.
std::vector<std::string> ProblemLines(const Package& package, const PackagePictures& pictures);

// The readable summary of the package shown as `name`: one line with the name, then one
// indented line per header field, the tile chunks, the file size and the problems.
std::string SummaryText(const std::string& name, const Package& package,
                        const std::vector<std::string>& problems);

// One JSON object with exactly the keys fileVersion, xMax, yMax, tileWidth, tileHeight,
// pictureWidth, pictureHeight, difficulty (numbers as stored; null without a header),
// backColor ("#RRGGBB"), password, prevPassword, puzzleSetName, puzzleName, comment
// (UTF-8 strings as DisplayText gives them), tiles (the tile chunks), bytes (the file's
// size) and problems (strings), followed by a line break.
std::string JsonText(const Package& package, const std::vector<std::string>& problems);

}  // namespace klv

#endif  // KLV_KLVINFO_PACKAGE_REPORT_H_
