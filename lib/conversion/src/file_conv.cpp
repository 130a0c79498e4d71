// FileConv's algorithm over the platform seam: read Puzzle.ini into the header, load
// and check every picture (a bad picture is reported and loading goes on), then write
// the package to a temporary file that replaces the target only when it is complete.
#include "conversion/file_conv.h"

#include <span>

#include "base/codepage.h"
#include "base/platform.h"
#include "base/work_folder.h"
#include "conversion/messages.h"

namespace klv {
namespace {

// A text value of Puzzle.ini: at most `limit` bytes, whatever the profile reader returns.
std::string ReadText(Env& env, const std::string& ini, const char* key, const char* fallback,
                     size_t limit) {
  std::string value = env.GetProfileString(ini, kPuzzleSection, key, fallback, limit + 1);
  return std::string(CutToByteLimit(value, limit));
}

// Loads one picture into `slot`, reporting an invalid size (4) and a failed load (5).
void LoadPicture(Env& env, const std::string& path, PictureSlot& slot) {
  slot.reset();
  {
    // The file is closed again before a message waits for the user.
    std::unique_ptr<InputFile> file;
    if (env.OpenForSharedRead(path, &file).ok()) slot = LoadBitmapFile(*file);
  }
  if (!CheckBitmap(slot)) ShowLibraryMessage(env, Message::kInvalidSize, path);
  if (!slot) ShowLibraryMessage(env, Message::kLoadFailed, path);
}

}  // namespace

int64_t TileCount(int32_t x_max, int32_t y_max) { return PackageTileCount(x_max, y_max); }

std::string JoinPath(const std::string& folder, const std::string& name) {
  return folder + kPathSeparator + name;
}

int16_t ConvertWorkFolder(Env& env, ConversionState& state, const std::string& folder) {
  for (PictureSlot& slot : state.tiles) slot.reset();
  state.base.reset();
  state.header = PackageHeader{};

  const std::string ini = JoinPath(folder, kDescriptionFileName);
  state.xMax = env.GetProfileInt(ini, kPuzzleSection, kXMaxKey, kDefaultXMax);
  state.yMax = env.GetProfileInt(ini, kPuzzleSection, kYMaxKey, kDefaultYMax);
  const int64_t tile_count = TileCount(state.xMax, state.yMax);
  if (tile_count > static_cast<int64_t>(kTileSlots)) {
    ShowLibraryMessage(env, Message::kGridRefused, ini);
    return 0;
  }

  PackageHeader& header = state.header;
  header = NewPackageHeader(state.xMax, state.yMax);
  header.PassWord = ReadText(env, ini, kPassWordKey, "", kPassWordBytes);
  header.PrevPassWord = ReadText(env, ini, kPrevPassWordKey, "", kPrevPassWordBytes);
  header.backColor =
      ParseBackColor(ReadText(env, ini, kBackColorKey, kDefaultBackColor, kBackColorBytes));
  header.Difficulty = static_cast<int16_t>(static_cast<uint16_t>(
      env.GetProfileInt(ini, kPuzzleSection, kDifficultyKey, kDefaultDifficulty)));
  header.PuzzleName = ReadText(env, ini, kPuzzleNameKey, kDefaultPuzzleText, kPuzzleNameBytes);
  header.LongPuzzleName =
      ReadText(env, ini, kLongPuzzleNameKey, kDefaultPuzzleText, kLongPuzzleNameBytes);
  header.PuzzleSetName =
      ReadText(env, ini, kPuzzleSetNameKey, kDefaultPuzzleText, kPuzzleSetNameBytes);
  header.fileVersion = env.GetProfileInt(ini, kPuzzleSection, kFileVersionKey, kDefaultFileVersion);

  // Every picture is tried, whatever happened to the ones before it.
  for (int32_t r = 0; tile_count > 0 && r < state.yMax; ++r) {
    for (int32_t c = 0; c < state.xMax; ++c) {
      LoadPicture(env, JoinPath(folder, TileFileName(r, c)), state.tiles[r * state.xMax + c]);
    }
  }
  const std::string base_path = JoinPath(folder, kBaseFileName);
  LoadPicture(env, base_path, state.base);

  const std::string package = JoinPath(folder, PackageFileName(header.PuzzleName));
  std::unique_ptr<RiffFile> out;
  const Status created = env.CreateRiffFile(package, &out);
  if (!created.ok()) {
    ShowLibraryMessage(env, Message::kSaveFailed, package, SaveCause::kCannotCreate, "",
                       created.reason());
    return 0;
  }
  PackageWriteResult result = WritePackage(
      *out, header, state.base,
      std::span<const PictureSlot>(state.tiles.data(), static_cast<size_t>(tile_count)));
  if (result.ok()) {
    result.error = out->Commit();
    if (!result.error.ok()) result.cause = SaveCause::kWriteFailed;
  }
  // Without a commit this removes the temporary file before the user is told.
  out.reset();
  if (result.ok()) return 1;

  std::string picture;
  if (result.picture == PackageWriteResult::kBasePicture) {
    picture = base_path;
  } else if (result.picture >= 0) {
    picture =
        JoinPath(folder, TileFileName(result.picture / state.xMax, result.picture % state.xMax));
  }
  ShowLibraryMessage(env, Message::kSaveFailed, package, result.cause, picture,
                     result.error.reason());
  return 0;
}

}  // namespace klv
