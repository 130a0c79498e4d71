// The puzzle name's rules and the one-line rule of the texts in Puzzle.ini.
#include "maker/puzzle_texts.h"

#include "base/text.h"

namespace klv {

PuzzleNameCheck CheckPuzzleName(std::string_view cp932) {
  PuzzleNameCheck check;
  const size_t first = cp932.find_first_not_of(' ');
  const std::string_view kept = first == std::string_view::npos
                                    ? std::string_view()
                                    : cp932.substr(first, cp932.find_last_not_of(' ') - first + 1);
  check.name = std::string(kept);
  check.blanksDropped = kept.size() != cp932.size();
  if (kept.empty()) {
    check.fault = NameFault::kEmpty;
    return check;
  }
  // Byte by byte: a trail byte is never below 0x40, so no control byte hides in one.
  for (const char c : kept) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
      check.fault = NameFault::kControlCharacter;
      return check;
    }
  }
  if (kept.size() >= 2 && (kept.front() == '"' || kept.front() == '\'') &&
      kept.back() == kept.front()) {
    check.fault = NameFault::kEnclosingQuotes;
    return check;
  }
#if defined(_WIN32)
  // Whole characters: a trail byte 0x5C is no "\".
  for (size_t i = 0; i < kept.size(); i += Cp932CharacterWidth(kept, i)) {
    if (kept[i] == '\\' || kept[i] == '/' || kept[i] == ':') {
      check.fault = NameFault::kFolderSeparator;
      return check;
    }
  }
#else
  if (kept.find('/') != std::string_view::npos) check.fault = NameFault::kFolderSeparator;
#endif
  return check;
}

std::string_view FirstLine(std::string_view text) {
  return text.substr(0, text.find_first_of(std::string_view("\r\n\0", 3)));
}

}  // namespace klv
