// The package's three texts as klvmake takes them: UTF-8 arguments turned into code page
// 932, the defaults and the name proposed from the picture's file name, and warnings
// about what the package will not keep. One place for the rules of all three texts.
#ifndef KLV_MAKER_CLI_PACKAGE_TEXTS_H_
#define KLV_MAKER_CLI_PACKAGE_TEXTS_H_

#include <optional>
#include <string>
#include <vector>

#include "options.h"

namespace klv {

struct PackageTexts {
  std::string puzzleName;     // code page 932, uncut: the library cuts it to its field
  std::string puzzleSetName;  // code page 932, uncut
  std::string comment;        // code page 932, uncut
  // One line each, without the program's name: a puzzle name that lost blanks, a text
  // longer than its field (naming the bytes the package keeps), a text with a line break.
  std::vector<std::string> warnings;
};

// The texts of `options`: --name, --set-name and --comment converted from UTF-8, the
// defaults of the maker's settings for those not given, and without --name the puzzle
// name proposed from the picture's file name as the window proposes it. The puzzle name
// loses its leading and trailing blanks (with a warning). Returns nothing and sets
// *error (one line) when a text is not valid UTF-8, holds a character that code page 932
// cannot write (naming it and its code point), or when the puzzle name cannot name the
// package (CheckPuzzleName: empty, a control character, enclosing quotes, a separator);
// --set-name and --comment are checked first. An error about a name proposed from the
// file name says what to do: give one with --name, or (without `name_option`, in a set of
// several pictures) rename the picture.
std::optional<PackageTexts> ReadPackageTexts(const Options& options, std::string* error,
                                             bool name_option = true);

// The puzzle-set name and the comment of `options` as ReadPackageTexts takes them, with no
// puzzle name and no warnings: what every puzzle of a set shares.
std::optional<PackageTexts> ReadSetTexts(const Options& options, std::string* error);

// `cp932` in UTF-8 for messages; the bytes as they are when they are not code page 932.
std::string Cp932ForDisplay(const std::string& cp932);

// A text in the platform's narrow encoding (a path, a library message) for the terminal:
// on Windows it is in the system's code page (932) and the console takes UTF-8; on Linux
// it is UTF-8 already.
std::string DisplayText(const std::string& text);

}  // namespace klv

#endif  // KLV_MAKER_CLI_PACKAGE_TEXTS_H_
