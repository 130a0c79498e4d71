// The web page's make: the window's request from the page's values, MakePuzzle with the
// conversion linked in, and the package read back out of the in-memory folder.
#include "web/page_make.h"

#include <utility>

#include "base/platform.h"
#include "form/source_form.h"
#include "form/text_boxes.h"
#include "format/package_reader.h"
#include "maker/grid.h"
#include "maker/make_values.h"
#include "maker/puzzle_texts.h"

namespace klv::web {
namespace {

PagePackage Refused(MakeStatus status, std::string message) {
  PagePackage package;
  package.status = status;
  package.message = std::move(message);
  return package;
}

}  // namespace

StatusOr<int16_t> LinkedConverter::Convert(const std::string& folder_argument) {
  messages_.clear();
  SetMessageSink([this](const std::string& text) { messages_.push_back(text); });
  const int16_t converted = ConvertWorkFolder(env_, state_, folder_argument);
  SetMessageSink(nullptr);
  return converted;
}

PagePackage MakePagePuzzle(Env& env, const std::string& folder, const Raster& picture,
                           const PageValues& values, WindowLanguage language) {
  const PuzzleNameCheck name = CheckPuzzleName(form::ToCp932(values.puzzleName));
  if (name.fault != NameFault::kNone) {
    return Refused(MakeStatus::kNameRefused, form::NameRefusalText(language, name.fault));
  }
  // As klvmake seeds them: the password's source and the tile effect's from one seed.
  const uint32_t seed = values.seed.value_or(RandomSource::ClockSeed());
  RandomSource password_source(seed);
  MakeRequest request;
  request.source = picture;
  request.grid = GridForPicture(picture.width, picture.height);
  request.destination = folder;
  request.puzzleName = name.name;
  request.puzzleSetName = form::ToCp932(values.puzzleSetName);
  request.comment = form::MultiLineToCp932(values.comment);
  request.password = MakePuzzlePassword(password_source);
  request.pieceDensity = Percent{static_cast<double>(100 - values.slider1)};
  request.backgroundDensity = Percent{static_cast<double>(100 - values.slider2)};
  const size_t option = static_cast<size_t>(values.colourOption);
  request.backColorIndex =
      kBackgroundChoices[option < kBackgroundChoices.size() ? option : 0].paletteIndex;
  request.seed = values.seed.value_or(RandomSource::ClockSeed());

  LinkedConverter converter(env);
  const MakeResult result = MakePuzzle(env, request, converter);
  PagePackage package;
  package.status = result.status;
  std::string cause;
  if (result.status == MakeStatus::kPackageWritten) {
    std::optional<std::vector<uint8_t>> bytes = ReadPackageFile(env, result.packagePath, &cause);
    env.RemoveFile(result.packagePath);
    if (bytes) {
      package.bytes = std::move(*bytes);
      package.fileName = result.packagePath.substr(DeriveWorkPaths(folder).filePrefix.size());
    } else {
      package.status = MakeStatus::kPackageNotMoved;
      cause = result.packagePath + ": " + cause;
    }
  }
  MakeResult shown = result;
  shown.status = package.status;
  if (!cause.empty()) shown.cause = cause;
  package.message = form::MakeOutcomeText(language, shown);
  for (const std::string& message : converter.messages()) {
    package.message += "\n" + NativeToUtf8(message);
  }
  return package;
}

}  // namespace klv::web
