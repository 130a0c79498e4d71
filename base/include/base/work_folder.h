// The work folder: the files through which the maker hands one make to the package
// library (Puzzle.ini, base.bmp and one tile file per tile), the section and keys of
// Puzzle.ini with what the library reads for an absent key, the bytes it keeps of each
// text, and the bitmap header sizes of the pictures. The maker writes and the library
// reads by these one definitions, so the two sides cannot drift apart.
#ifndef KLV_BASE_WORK_FOLDER_H_
#define KLV_BASE_WORK_FOLDER_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace klv {

// The files of the work folder, each joined to the folder's path with one separator.
inline constexpr char kDescriptionFileName[] = "Puzzle.ini";
inline constexpr char kBaseFileName[] = "base.bmp";
// The package is written beside them, named after the PuzzleName text plus this.
inline constexpr char kPackageExtension[] = ".klv";

// The tile file of tile row `row`, column `column`: "res", the row and the column in
// decimal with at least two digits each, ".bmp" (row 1, column 10 is res0110.bmp).
// Requires row >= 0 and column >= 0.
std::string TileFileName(int row, int column);

// True for the names that the pattern "res????.bmp" matches: "res", four characters,
// ".bmp". Characters are counted in the platform's file-name encoding (UTF-8 on Linux,
// where a byte that starts no well-formed character counts as one; code page 932 on
// Windows, where the affixes also match without regard to case).
bool IsTileFileName(std::string_view name);

// Puzzle.ini holds one section. Keys match without regard to case; each has one spelling
// here, the one the maker writes.
inline constexpr char kPuzzleSection[] = "PuzzleData";
inline constexpr char kXMaxKey[] = "xMax";
inline constexpr char kYMaxKey[] = "yMax";
inline constexpr char kBackColorKey[] = "backColor";
inline constexpr char kPuzzleNameKey[] = "PuzzleName";
inline constexpr char kPassWordKey[] = "PassWord";
inline constexpr char kPrevPassWordKey[] = "PrevPassWord";  // written only by a chained set
inline constexpr char kPuzzleSetNameKey[] = "PuzzleSetName";
inline constexpr char kLongPuzzleNameKey[] = "LongPuzzleName";
inline constexpr char kDifficultyKey[] = "Difficulty";
inline constexpr char kFileVersionKey[] = "FileVersion";

// What the library reads when Puzzle.ini or a key is absent. PuzzleName, PuzzleSetName
// and LongPuzzleName share kDefaultPuzzleText (exactly 10 bytes, so it fits the shortest
// field whole); PassWord and PrevPassWord default to "".
inline constexpr int32_t kDefaultXMax = -1;
inline constexpr int32_t kDefaultYMax = 8;
inline constexpr char kDefaultBackColor[] = "FF00FF";
inline constexpr char kDefaultPuzzleText[] = "the Puzzle";
inline constexpr int32_t kDefaultDifficulty = 1;
inline constexpr int32_t kDefaultFileVersion = 2;

// What the maker writes for the two keys that do not come from the user.
inline constexpr char kMadeDifficulty[] = "5";
inline constexpr char kMadeFileVersion[] = "2";

// The most bytes the library keeps of each text value (its read buffer less the zero
// terminator). A longer value is cut to this, never inside a double-byte character.
inline constexpr size_t kPassWordBytes = 10;
inline constexpr size_t kPrevPassWordBytes = 10;
inline constexpr size_t kPuzzleSetNameBytes = 10;
inline constexpr size_t kPuzzleNameBytes = 15;
inline constexpr size_t kLongPuzzleNameBytes = 255;
inline constexpr size_t kBackColorBytes = 39;

// The pictures are Windows BMP files (format/bmp_header.h). The maker saves its surfaces
// at 24 bits per pixel.
inline constexpr uint16_t kWorkBitmapBitCount = 24;

}  // namespace klv

#endif  // KLV_BASE_WORK_FOLDER_H_
