// The texts a make writes to Puzzle.ini, made safe before they are written: the puzzle
// name, which also names the package file, and the other texts, which must stay one
// profile value each. The window and klvmake check by these one rules.
#ifndef KLV_MAKER_PUZZLE_TEXTS_H_
#define KLV_MAKER_PUZZLE_TEXTS_H_

#include <string>
#include <string_view>

namespace klv {

// Why a puzzle name cannot be used.
enum class NameFault {
  kNone,
  kEmpty,             // nothing is left once the blanks are dropped
  kControlCharacter,  // a byte below 0x20, or 0x7F (a tab, a line break)
  kEnclosingQuotes,   // wrapped in one pair of '"' or '\'', which the profile reader drops
  kFolderSeparator,   // "/" (on Windows also "\" and ":"): the package would go elsewhere
};

struct PuzzleNameCheck {
  std::string name;  // the name without its leading and trailing spaces
  bool blanksDropped = false;
  NameFault fault = NameFault::kNone;
};

// Checks the code page 932 puzzle name `cp932`. Leading and trailing spaces are dropped
// (the profile reader would drop them, so the package could not keep them); the rest
// must be a name the package file can have and the profile reader gives back unchanged.
PuzzleNameCheck CheckPuzzleName(std::string_view cp932);

// `text` up to its first line break (CR or LF) or zero byte: a profile value ends at its
// line, so this is all of it that the package can keep, and no later line can add a key.
std::string_view FirstLine(std::string_view text);

}  // namespace klv

#endif  // KLV_MAKER_PUZZLE_TEXTS_H_
