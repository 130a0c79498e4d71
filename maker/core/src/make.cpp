// The make's last stage and the whole make: the tiles, base.bmp and Puzzle.ini go into a
// private work folder of this make, the package library's FileConv turns them into the
// package, one rename puts it into the destination, and the private folder goes again.
// The destination's own files are never read, written or removed.
#include "maker/make.h"

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/platform.h"
#include "base/profile.h"
#include "base/text.h"
#include "base/work_folder.h"
#include "client/klvutils_client.h"
#include "maker/bitmap_codec.h"
#include "maker/colors.h"
#include "maker/make_values.h"
#include "maker/puzzle_texts.h"
#include "maker/tile_effect.h"

namespace klv {
namespace {

MakeResult Failure(MakeStatus status, std::string cause) {
  MakeResult result;
  result.status = status;
  result.cause = std::move(cause);
  return result;
}

bool StopRequested(const MakeRequest& request) {
  return request.stopRequested && request.stopRequested();
}

MakeResult Stopped() { return Failure(MakeStatus::kStopped, "the make was stopped"); }

class LibraryConverter : public PackageConverter {
 public:
  LibraryConverter(Env& env, std::function<void(const std::string&)> message_handler)
      : env_(env), message_handler_(std::move(message_handler)) {}

  StatusOr<int16_t> Convert(const std::string& folder_argument) override {
    KLVUtilsClient* client = nullptr;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (client_ == nullptr) {
        const Status loaded = KLVUtilsClient::Load(env_, &client_);
        if (!loaded.ok()) {
          return Status::IOError({}, "cannot load the package library " + loaded.ToString());
        }
        if (message_handler_) client_->SetMessageHandler(message_handler_);
      }
      client = client_.get();
    }
    // FileConv keeps its state per thread, so makes on several threads convert at once.
    return client->FileConv(folder_argument);
  }

 private:
  Env& env_;
  std::function<void(const std::string&)> message_handler_;
  std::mutex mutex_;  // guards the loading of client_
  std::unique_ptr<KLVUtilsClient> client_;
};

// The process number in the name of a private work folder, or nothing for any other name.
std::optional<uint64_t> PrivateFolderProcess(std::string_view name) {
  const std::string_view stem = kPrivateFolderStem;
  if (!name.starts_with(stem)) return std::nullopt;
  const std::string_view rest = name.substr(stem.size());
  const size_t dash = rest.find('-');
  // The number, a dash and the six characters MakePrivateFolder adds.
  if (dash == std::string_view::npos || dash == 0 || dash > 19 || rest.size() - dash - 1 != 6) {
    return std::nullopt;
  }
  uint64_t id = 0;
  for (const char c : rest.substr(0, dash)) {
    if (c < '0' || c > '9') return std::nullopt;
    id = id * 10 + static_cast<uint64_t>(c - '0');
  }
  return id;
}

// True when the private folder `path` shows that its make has ended without removing it:
// its lock file is this user's, holds kWorkLockText and has its lock free (a running make
// holds it until its folder is gone), and it holds no folder and no file but those a make
// writes there.
bool IsAbandonedWorkFolder(Env& env, const std::string& path) {
  std::unique_ptr<FileLock> lock;
  std::string text;
  const std::string_view expected = kWorkLockText;
  const std::string lock_file = DeriveWorkPaths(path).filePrefix + kWorkLockFileName;
  if (!env.TakeFileLock(lock_file, expected.size() + 1, &text, &lock).ok() || text != expected) {
    return false;
  }
  std::vector<std::string> names;
  if (!env.ListFolders(path, &names).ok() || !names.empty()) return false;
  if (!env.ListFiles(path, &names).ok()) return false;
  return std::all_of(names.begin(), names.end(), [](const std::string& name) {
    // A package's temporary files end in ".tmp" on both platforms.
    return name == kDescriptionFileName || name == kBaseFileName || name == kWorkLockFileName ||
           IsTileFileName(name) || name.ends_with(kPackageExtension) || name.ends_with(".tmp");
  });
}

// The name of the one package FileConv wrote into the private folder `folder`, or an
// error naming the folder. The library names it after the puzzle name as it reads it
// back, in the platform's file-name encoding; the make takes the name from the file itself.
StatusOr<std::string> PackageIn(Env& env, const std::string& folder) {
  std::vector<std::string> names;
  const Status listed = env.ListFiles(folder, &names);
  if (!listed.ok()) return listed;
  std::optional<std::string> package;
  const std::string_view extension = kPackageExtension;
  for (const std::string& name : names) {
    if (!name.ends_with(extension)) continue;
    if (package) return Status::Invalid(folder + ": more than one package in the work folder");
    package = name;
  }
  if (!package) return Status::Invalid(folder + ": the package library wrote no package");
  return *package;
}

// Writes the tiles, base.bmp and Puzzle.ini of `canvas` into the private folder whose
// file prefix is `prefix`. An error names the file.
MakeResult WriteWorkFiles(Env& env, WorkCanvas canvas, const MakeRequest& request,
                          const std::string& puzzle_name, const std::string& prefix) {
  const Grid grid = request.grid;
  // Each surface is released once its file is written, so that the library's loaded
  // pictures take the same memory again.
  for (int r = 0; r < grid.yMax; ++r) {
    for (int c = 0; c < grid.xMax; ++c) {
      const std::string path = prefix + TileFileName(r, c);
      const size_t index =
          static_cast<size_t>(r) * static_cast<size_t>(grid.xMax) + static_cast<size_t>(c);
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

  const std::string base_path = prefix + kBaseFileName;
  const Status base_written = env.WriteWholeFile(base_path, EncodeBitmap24(canvas.base));
  if (!base_written.ok()) {
    return Failure(MakeStatus::kWorkFileNotWritten,
                   base_path + ": cannot write the base picture: " + base_written.reason());
  }
  canvas = WorkCanvas();

  // The keys in the order the maker has always written them, one line each, in one
  // write of the new file: the bytes that writing them key by key through the profile
  // writer gives. A text is written up to its first line break: the rest could start a
  // key or a section.
  const std::string description_path = prefix + kDescriptionFileName;
  ProfileValues keys = {
      {kXMaxKey, std::to_string(grid.xMax)},
      {kYMaxKey, std::to_string(grid.yMax)},
      {kBackColorKey, BackColorText(request.backColorIndex)},
      {kPuzzleNameKey, puzzle_name},
      {kPassWordKey, std::string(FirstLine(request.password))},
      {kPuzzleSetNameKey, std::string(FirstLine(request.puzzleSetName))},
      {kLongPuzzleNameKey, std::string(FirstLine(request.comment))},
      {kDifficultyKey, kMadeDifficulty},
      {kFileVersionKey, kMadeFileVersion},
  };
  if (request.prevPassword) {
    keys.emplace_back(kPrevPassWordKey, std::string(FirstLine(*request.prevPassword)));
  }
  const std::string description = SetProfileValuesInText("", kPuzzleSection, keys);
  const Status written = env.WriteWholeFile(
      description_path, std::vector<uint8_t>(description.begin(), description.end()));
  if (!written.ok()) {
    return Failure(MakeStatus::kWorkFileNotWritten,
                   description_path + ": cannot write the puzzle description: " + written.reason());
  }
  return MakeResult{};
}

// Converts the private folder and renames its package into the destination, unless a
// stop is asked for before either.
MakeResult ConvertAndPlace(Env& env, const std::string& folder, const WorkPaths& destination,
                           const MakeRequest& request, PackageConverter& converter) {
  if (StopRequested(request)) return Stopped();
  const StatusOr<int16_t> converted = converter.Convert(folder);
  if (!converted.ok()) {
    const std::string cause = converted.status().ToString();
    return Failure(MakeStatus::kLibraryMissing,
                   cause.empty() ? "the package library KLVUtils was not found" : cause);
  }
  if (*converted != 1) {
    return Failure(MakeStatus::kConversionFailed,
                   folder + ": the package library could not write the package");
  }
  const StatusOr<std::string> package = PackageIn(env, folder);
  if (!package.ok()) return Failure(MakeStatus::kConversionFailed, package.status().ToString());
  if (StopRequested(request)) return Stopped();
  const std::string target = destination.filePrefix + *package;
  const Status renamed = env.RenameFile(DeriveWorkPaths(folder).filePrefix + *package, target);
  if (!renamed.ok()) {
    return Failure(MakeStatus::kPackageNotMoved,
                   target + ": could not write the package: " + renamed.reason());
  }
  MakeResult result;
  result.packagePath = target;
  return result;
}

}  // namespace

WorkPaths DeriveWorkPaths(const std::string& folder) {
  // On Windows a final byte 0x5C may be the trail of a double-byte character (表).
  if (EndsWithSeparator(folder)) {
    return WorkPaths{folder, folder.substr(0, folder.size() - 1)};
  }
  return WorkPaths{folder + kPathSeparator, folder};
}

Status HeldWorkFolder::Remove(Env& env) {
  // The lock goes first: Windows removes no file that is held open.
  lock_.reset();
  const Status removed = env.RemovePrivateFolder(path_);
  return removed.IsNotFound() ? Status::OK() : removed;
}

Status MakeHeldWorkFolder(Env& env, const std::string& destination, HeldWorkFolder* folder) {
  const std::string stem = DeriveWorkPaths(destination).filePrefix + kPrivateFolderStem +
                           std::to_string(CurrentProcessId()) + "-";
  std::string path;
  Status status = env.MakePrivateFolder(stem, &path);
  if (!status.ok()) return status;
  std::unique_ptr<FileLock> lock;
  status = env.CreateLockedFile(DeriveWorkPaths(path).filePrefix + kWorkLockFileName, kWorkLockText,
                                &lock);
  if (!status.ok()) {
    env.RemovePrivateFolder(path);
    return status;
  }
  folder->path_ = path;
  folder->lock_ = std::move(lock);
  return Status::OK();
}

void RemoveStalePrivateFolders(Env& env, const std::string& folder) {
  const std::string prefix = DeriveWorkPaths(folder).filePrefix;
  std::vector<std::string> names;
  if (!env.ListFolders(prefix, &names).ok()) return;
  const uint64_t own = CurrentProcessId();
  for (const std::string& name : names) {
    const std::optional<uint64_t> id = PrivateFolderProcess(name);
    // This process's folders are its other threads' makes.
    if (id && *id != own && IsAbandonedWorkFolder(env, prefix + name)) {
      env.RemovePrivateFolder(prefix + name);
    }
  }
}

std::unique_ptr<PackageConverter> MakeLibraryConverter(
    Env& env, std::function<void(const std::string& text)> message_handler) {
  return std::make_unique<LibraryConverter>(env, std::move(message_handler));
}

MakeResult FinishMake(Env& env, WorkCanvas canvas, const MakeRequest& request,
                      PackageConverter& converter, const AfterConversion& after_conversion) {
  const WorkPaths destination = DeriveWorkPaths(request.destination);
  const std::string puzzle_name = CheckPuzzleName(request.puzzleName).name;
  RemoveStalePrivateFolders(env, request.destination);

  // A kept folder is left for the person; no make removes it, so it needs no lock.
  HeldWorkFolder held;
  std::string folder;
  const Status made = request.keepWorkFiles
                          ? env.MakePrivateFolder(destination.filePrefix + kKeptFolderStem, &folder)
                          : MakeHeldWorkFolder(env, request.destination, &held);
  if (!made.ok()) {
    return Failure(MakeStatus::kWorkFileNotWritten,
                   made.context() + ": cannot make the work folder: " + made.reason());
  }
  if (!request.keepWorkFiles) folder = held.path();

  MakeResult result = StopRequested(request)
                          ? Stopped()
                          : WriteWorkFiles(env, std::move(canvas), request, puzzle_name,
                                           DeriveWorkPaths(folder).filePrefix);
  if (result.status == MakeStatus::kPackageWritten) {
    result = ConvertAndPlace(env, folder, destination, request, converter);
    if (after_conversion && result.status != MakeStatus::kLibraryMissing &&
        result.status != MakeStatus::kStopped) {
      after_conversion(result);
    }
  }
  if (request.keepWorkFiles && result.status != MakeStatus::kStopped) {
    result.keptFolder = folder;
    return result;
  }
  // A stopped make leaves nothing of itself, not even a folder it was asked to keep.
  const Status removed = request.keepWorkFiles ? env.RemovePrivateFolder(folder) : held.Remove(env);
  if (!removed.ok() && result.status == MakeStatus::kPackageWritten) {
    result.warning = "the work folder " + folder + " could not be removed: " + removed.ToString();
  }
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
  if (!GridHasTiles(request.grid)) {
    return Failure(MakeStatus::kGridTooSmall,
                   "the picture is too small for one tile: " + std::to_string(request.grid.xMax) +
                       " x " + std::to_string(request.grid.yMax) +
                       " tiles; a picture needs at least " + std::to_string(kMinPictureSide) +
                       " x " + std::to_string(kMinPictureSide) + " pixels");
  }
  if (CheckPuzzleName(request.puzzleName).fault != NameFault::kNone) {
    return Failure(MakeStatus::kNameRefused,
                   "the puzzle name \"" + request.puzzleName + "\" cannot name a package");
  }
  if (request.destination.empty()) {
    return Failure(MakeStatus::kWorkFileNotWritten, "no work folder was given");
  }
  if (StopRequested(request)) return Stopped();

  const double piece_density = request.pieceDensity.Fraction();
  const double background_density = request.backgroundDensity.Fraction();
  WorkCanvas canvas = PrepareWorkCanvas(request.source, request.grid, request.backColorIndex);
  RandomSource random(request.seed);
  RenderTileEffect(request.source, canvas, request.grid, piece_density, background_density, random);
  if (canvas_rendered) canvas_rendered(canvas);
  return FinishMake(env, std::move(canvas), request, converter, after_conversion);
}

}  // namespace klv
