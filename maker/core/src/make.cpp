// The make's last stage and the whole make: the tiles, base.bmp and Puzzle.ini go into the
// work folder, the package library's FileConv turns them into the package, and the work
// files are removed again.
#include "maker/make.h"

#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "base/klvutils_client.h"
#include "base/platform.h"
#include "base/profile.h"
#include "base/text.h"
#include "base/work_folder.h"
#include "maker/bitmap_codec.h"
#include "maker/colors.h"
#include "maker/make_values.h"
#include "maker/tile_effect.h"

namespace klv {
namespace {

// The last component of `path` (in the platform's narrow encoding).
std::string FileNameOf(const std::string& path) {
  size_t start = 0;
#if defined(_WIN32)
  // Whole characters: a trail byte 0x5C is no separator.
  for (size_t i = 0; i < path.size(); i += Cp932CharacterWidth(path, i)) {
    if (path[i] == '\\' || path[i] == '/' || path[i] == ':') start = i + 1;
  }
#else
  for (size_t i = 0; i < path.size(); ++i) {
    if (path[i] == '/') start = i + 1;
  }
#endif
  return path.substr(start);
}

MakeResult Failure(MakeStatus status, std::string cause) {
  return MakeResult{status, std::move(cause)};
}

class LibraryConverter : public PackageConverter {
 public:
  LibraryConverter(Env& env, std::function<void(const std::string&)> message_handler)
      : env_(env), message_handler_(std::move(message_handler)) {}

  std::optional<int16_t> Convert(const std::string& folder_argument, std::string* cause) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (client_ == nullptr) {
      const Status loaded = KLVUtilsClient::Load(env_, &client_);
      if (!loaded.ok()) {
        if (cause != nullptr) *cause = "cannot load the package library " + loaded.ToString();
        return std::nullopt;
      }
      if (message_handler_) client_->SetMessageHandler(message_handler_);
    }
    return client_->FileConv(folder_argument);
  }

 private:
  Env& env_;
  std::function<void(const std::string&)> message_handler_;
  std::mutex mutex_;  // FileConv is not re-entrant; also guards the loading of client_
  std::unique_ptr<KLVUtilsClient> client_;
};

// Removes the work files of the folder: every "res????.bmp", base.bmp and Puzzle.ini.
// A file that is not there is not an error; nothing else is touched.
void RemoveWorkFiles(Env& env, const WorkPaths& paths) {
  // The prefix names the folder also at a root, where the folder argument ("" or "C:")
  // would not.
  std::vector<std::string> names;
  env.ListFiles(paths.filePrefix, &names);
  for (const std::string& name : names) {
    if (IsTileFileName(name)) env.RemoveFile(paths.filePrefix + name);
  }
  env.RemoveFile(paths.filePrefix + kBaseFileName);
  env.RemoveFile(paths.filePrefix + kDescriptionFileName);
}

}  // namespace

WorkPaths DeriveWorkPaths(const std::string& folder) {
  // On Windows a final byte 0x5C may be the trail of a double-byte character (表).
  if (EndsWithSeparator(folder)) {
    return WorkPaths{folder, folder.substr(0, folder.size() - 1)};
  }
  return WorkPaths{folder + kPathSeparator, folder};
}

std::optional<std::string> WorkFileOfPicture(const std::string& picture,
                                             const std::string& work_folder) {
  std::vector<std::string> names = {kBaseFileName, kDescriptionFileName};
  const std::string own_name = FileNameOf(picture);
  if (IsTileFileName(own_name)) names.push_back(own_name);
  const std::string prefix = DeriveWorkPaths(work_folder).filePrefix;
  for (const std::string& name : names) {
    if (SameFile(picture, prefix + name)) return name;
  }
  return std::nullopt;
}

std::unique_ptr<PackageConverter> MakeLibraryConverter(
    Env& env, std::function<void(const std::string& text)> message_handler) {
  return std::make_unique<LibraryConverter>(env, std::move(message_handler));
}

MakeResult FinishMake(Env& env, WorkCanvas canvas, const MakeRequest& request,
                      PackageConverter& converter, const AfterConversion& after_conversion) {
  const WorkPaths paths = DeriveWorkPaths(request.workFolder);
  const Grid grid = request.grid;

  // Each surface is released once its file is written, so that the library's loaded
  // pictures take the same memory again.
  for (int r = 0; r < grid.yMax; ++r) {
    for (int c = 0; c < grid.xMax; ++c) {
      const std::string path = paths.filePrefix + TileFileName(r, c);
      const size_t index = static_cast<size_t>(r) * static_cast<size_t>(grid.xMax) + c;
      if (index >= canvas.tiles.size()) {
        return Failure(MakeStatus::kWorkFileNotWritten,
                       path + ": the work canvas has no tile surface " + std::to_string(index));
      }
      const Status written = env.WriteWholeFile(path, EncodeBitmap24(canvas.tiles[index]));
      if (!written.ok()) {
        return Failure(MakeStatus::kWorkFileNotWritten,
                       path + ": cannot write the tile file: " + written.reason());
      }
      canvas.tiles[index] = Raster();
    }
  }

  const std::string base_path = paths.filePrefix + kBaseFileName;
  const Status base_written = env.WriteWholeFile(base_path, EncodeBitmap24(canvas.base));
  if (!base_written.ok()) {
    return Failure(MakeStatus::kWorkFileNotWritten,
                   base_path + ": cannot write the base picture: " + base_written.reason());
  }
  canvas = WorkCanvas();

  // Puzzle.ini is written key by key through the profile writer, so that an existing file
  // is updated and keys this make does not write (such as PrevPassWord) keep their values.
  // A key that cannot be written would leave the library reading a wrong or default
  // value, so it stops the make.
  const std::string description_path = paths.filePrefix + kDescriptionFileName;
  std::vector<std::pair<const char*, std::string>> keys = {
      {kXMaxKey, std::to_string(grid.xMax)},
      {kYMaxKey, std::to_string(grid.yMax)},
      {kBackColorKey, BackColorText(request.backColorIndex)},
      {kPuzzleNameKey, request.puzzleName},
      {kPassWordKey, request.password},
      {kPuzzleSetNameKey, request.puzzleSetName},
      {kLongPuzzleNameKey, request.comment},
      {kDifficultyKey, kMadeDifficulty},
      {kFileVersionKey, kMadeFileVersion},
  };
  if (request.prevPassword) keys.emplace_back(kPrevPassWordKey, *request.prevPassword);
  for (const auto& [key, value] : keys) {
    const Status written = env.WriteProfileString(description_path, kPuzzleSection, key, value);
    if (!written.ok()) {
      return Failure(MakeStatus::kWorkFileNotWritten,
                     description_path + ": cannot write the key " + key + ": " + written.reason());
    }
  }

  MakeResult result;
  std::string cause;
  const std::optional<int16_t> converted = converter.Convert(paths.folderArgument, &cause);
  if (!converted.has_value()) {
    // Without the library nothing was converted: the work files stay, so that the folder
    // can still be converted once the library is in place.
    return Failure(
        MakeStatus::kLibraryMissing,
        cause.empty() ? std::string("the package library KLVUtils was not found") : cause);
  }
  if (*converted != 1) {
    const std::string& folder_name =
        paths.folderArgument.empty() ? paths.filePrefix : paths.folderArgument;
    result = Failure(MakeStatus::kConversionFailed,
                     folder_name + ": the package library could not write the package");
  }

  if (after_conversion) after_conversion(result);
  if (!request.keepWorkFiles) RemoveWorkFiles(env, paths);
  return result;
}

MakeResult MakePuzzle(Env& env, const MakeRequest& request, PackageConverter& converter,
                      const AfterConversion& after_conversion,
                      const CanvasRendered& canvas_rendered) {
  if (!GridFits(request.grid)) {
    return Failure(MakeStatus::kGridTooLarge,
                   "the picture is too large: " + std::to_string(request.grid.xMax) + " x " +
                       std::to_string(request.grid.yMax) + " tiles, at most " +
                       std::to_string(kMaxGridSide) + " x " + std::to_string(kMaxGridSide));
  }
  if (request.workFolder.empty()) {
    return Failure(MakeStatus::kWorkFileNotWritten, "no work folder was given");
  }

  const double piece_density = BoxNumber(request.pieceDensityText) / 100;
  const double background_density = BoxNumber(request.backgroundDensityText) / 100;
  WorkCanvas canvas = PrepareWorkCanvas(request.source, request.grid, request.backColorIndex);
  RandomSource random(request.seed);
  RenderTileEffect(request.source, canvas, request.grid, piece_density, background_density, random);
  if (canvas_rendered) canvas_rendered(canvas);
  return FinishMake(env, std::move(canvas), request, converter, after_conversion);
}

}  // namespace klv
