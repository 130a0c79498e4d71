// klvmake's Japanese texts with their English in language/translations/klvmaker_en.ts, and
// the library's messages translated as they arrive.
#include "user_messages.h"

#include "base/text.h"
#include "language/library_messages.h"
#include "language/ui_text.h"
#include "package_texts.h"

namespace klv {
namespace {

constexpr UiText kPieceCount = KLV_TEXT("klvmake", "ピース数： x = %1 , y = %2");
// %1 x %2: the picture's size; %3: the limit of either side.
constexpr UiText kTooLarge = KLV_TEXT(
    "klvmake",
    "画像が大きすぎです (%1 x %2 pixels; a picture may be at most %3 x %3 pixels; --fit fits it "
    "to the grid)");
constexpr UiText kTooSmall = KLV_TEXT(
    "klvmake",
    "画像が小さすぎです (%1 x %2 pixels; a picture needs at least %3 x %3 pixels, one tile)");

}  // namespace

std::string PieceCountText(WindowLanguage language, Grid grid) {
  return FormatText(Translate(language, kPieceCount),
                    {std::to_string(grid.xMax), std::to_string(grid.yMax)});
}

std::string SourceProblemText(WindowLanguage language, const SourceError& error) {
  if (error.problem == SourceProblem::kTooLarge || error.problem == SourceProblem::kTooSmall) {
    const bool large = error.problem == SourceProblem::kTooLarge;
    return FormatText(Translate(language, large ? kTooLarge : kTooSmall),
                      {std::to_string(error.width), std::to_string(error.height),
                       std::to_string(large ? kMaxPictureSide : kMinPictureSide)});
  }
  const std::string message = SourceErrorMessage("", error);
  return message.starts_with(": ") ? message.substr(2) : message;
}

std::string LibraryMessageLine(WindowLanguage language, const std::string& text) {
  return "KLVUtils: " + OneLine(DisplayText(LibraryMessageIn(language, text)));
}

}  // namespace klv
