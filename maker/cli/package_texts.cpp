// klvmake's texts: the conversion from UTF-8 that names the first character code page 932
// cannot write, the puzzle name proposed from the file name, and the warnings.
#include "package_texts.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/codepage.h"
#include "base/platform.h"
#include "base/text.h"
#include "base/work_folder.h"
#include "maker/grid.h"
#include "maker/make.h"
#include "maker/puzzle_texts.h"
#include "maker/settings.h"

namespace klv {
namespace {

// "U+" and the code point in at least four hexadecimal digits.
std::string CodePointText(char32_t code_point) {
  char text[16];
  std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(code_point));
  return text;
}

// The code page 932 form of `utf8`, the text called `label`. On failure *error names the
// first character that has no such form, or says that the text is not UTF-8.
std::optional<std::string> ToCp932(const std::string& utf8, const std::string& label,
                                   std::string* error) {
  if (std::optional<std::string> converted = Utf8ToCp932(utf8)) return converted;
  for (size_t i = 0; i < utf8.size();) {
    const std::optional<Utf8Character> character = DecodeUtf8(utf8, i);
    if (!character) {
      *error = label + ": the text is not valid UTF-8";
      return std::nullopt;
    }
    const std::string sequence = utf8.substr(i, character->length);
    if (!Utf8ToCp932(sequence)) {
      *error = label;
      *error += ": the character \"" + sequence + "\" (" + CodePointText(character->codePoint) +
                ") cannot be written in code page 932";
      return std::nullopt;
    }
    i += character->length;
  }
  *error = label + ": the text cannot be written in code page 932";
  return std::nullopt;
}

// Replaces *text with the code page 932 form of `given` when it is there; false, with
// *error set, when that form does not exist.
bool ReplaceWithGiven(const std::optional<std::string>& given, const char* option,
                      std::string* text, std::string* error) {
  if (!given) return true;
  std::optional<std::string> converted = ToCp932(*given, option, error);
  if (!converted) return false;
  *text = std::move(*converted);
  return true;
}

// Warns about what the package will not keep of the text `what`: everything after a line
// break (a profile value ends at its line) and the bytes beyond its field of `limit`.
void WarnAboutText(const std::string& what, const std::string& cp932, size_t limit,
                   std::vector<std::string>* warnings) {
  const std::string_view line = FirstLine(cp932);
  if (line.size() != cp932.size()) {
    warnings->push_back(what + " holds a line break; the package keeps its first line only");
  }
  if (line.size() > limit) {
    // The cut never splits a double-byte character, so it may keep one byte less.
    const size_t kept = CutToByteLimit(line, limit).size();
    warnings->push_back(what + " is " + std::to_string(line.size()) +
                        " bytes in code page 932; the package keeps its first " +
                        std::to_string(kept) + " bytes");
  }
}

// The file name of the picture argument without its folder, in UTF-8.
std::string FileNameUtf8(const std::string& utf8) {
#if defined(_WIN32)
  const size_t start = utf8.find_last_of("/\\");
#else
  const size_t start = utf8.find_last_of('/');
#endif
  return start == std::string::npos ? utf8 : utf8.substr(start + 1);
}

// Why the puzzle name cannot name the package, in one line; `name` is code page 932.
std::string NameFaultText(const std::string& name, NameFault fault) {
  std::string quoted = "the puzzle name \"" + Cp932ForDisplay(name) + "\"";
  switch (fault) {
    case NameFault::kNone: break;
    case NameFault::kEmpty: return "the puzzle name is empty; it names the package file";
    case NameFault::kControlCharacter:
      return quoted + " holds a control character (a tab or a line break); it names the " +
             "package file";
    case NameFault::kEnclosingQuotes:
      return quoted + " is enclosed in quotes, which the package would not keep";
    case NameFault::kFolderSeparator:
#if defined(_WIN32)
      return quoted + " contains a folder separator; it names the package file";
#else
      return quoted + " contains \"/\"; it names the package file";
#endif
  }
  return quoted;
}

}  // namespace

std::optional<PackageTexts> ReadSetTexts(const Options& options, std::string* error) {
  const Settings defaults = DefaultSettings();
  PackageTexts texts{"", defaults.puzzleSetName, defaults.longPuzzleName, {}};
  if (!ReplaceWithGiven(options.setName, "--set-name", &texts.puzzleSetName, error) ||
      !ReplaceWithGiven(options.comment, "--comment", &texts.comment, error)) {
    return std::nullopt;
  }
  return texts;
}

std::optional<PackageTexts> ReadPackageTexts(const Options& options, std::string* error,
                                             bool name_option) {
  std::optional<PackageTexts> texts = ReadSetTexts(options, error);
  if (!texts) return std::nullopt;
  // The puzzle name: given, or proposed from the picture's file name.
  if (options.name) {
    if (!ReplaceWithGiven(options.name, "--name", &texts->puzzleName, error)) return std::nullopt;
  } else {
    const std::optional<std::string> file_name = ToCp932(
        FileNameUtf8(options.picture.utf8), options.picture.utf8 + ": the file name", error);
    if (!file_name) {
      *error += name_option ? "; give the puzzle name with --name" : "; rename the picture";
      return std::nullopt;
    }
    texts->puzzleName = ProposePuzzleName(*file_name);
  }
  // What the package file is named after must come back from Puzzle.ini unchanged.
  PuzzleNameCheck check = CheckPuzzleName(texts->puzzleName);
  if (check.fault != NameFault::kNone) {
    *error = NameFaultText(check.name, check.fault);
    if (!options.name) {
      *error += name_option ? " (proposed from the picture's file name; give one with --name)"
                            : " (proposed from the picture's file name; rename the picture)";
    }
    return std::nullopt;
  }
  if (check.blanksDropped) {
    texts->warnings.push_back("the puzzle name \"" + Cp932ForDisplay(texts->puzzleName) +
                              "\" has leading or trailing blanks; they are dropped");
  }
  texts->puzzleName = std::move(check.name);
  WarnAboutText("the puzzle name", texts->puzzleName, kPuzzleNameBytes, &texts->warnings);
  WarnAboutText("the puzzle-set name", texts->puzzleSetName, kPuzzleSetNameBytes, &texts->warnings);
  WarnAboutText("the comment", texts->comment, kLongPuzzleNameBytes, &texts->warnings);
  return texts;
}

std::string Cp932ForDisplay(const std::string& cp932) { return Cp932ToUtf8(cp932).value_or(cp932); }

std::string DisplayText(const std::string& text) {
#if defined(_WIN32)
  return Cp932ForDisplay(text);
#else
  return text;
#endif
}

}  // namespace klv
