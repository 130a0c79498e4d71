// FileConv's algorithm over the platform seam: read Puzzle.ini into the header, check
// every picture (a bad picture is reported and loading goes on), then write the package
// loading one picture at a time, to a temporary file that replaces the target only when
// it is complete and every file read is still as it was.
#include "conversion/file_conv.h"

#include <algorithm>
#include <span>
#include <vector>

#include "base/codepage.h"
#include "base/limits.h"
#include "base/platform.h"
#include "base/profile.h"
#include "base/profile_encoding.h"
#include "base/work_folder.h"
#include "conversion/messages.h"

namespace klv {
namespace {

// Opens the work-folder file `name` of `folder` into *file and sets *path to the path it
// was opened by: the exact name, and only when nothing has it, the spelling FindWorkFile
// finds (a folder from Windows may spell "puzzle.ini", "RES0000.BMP").
Status OpenWorkFile(Env& env, const std::string& folder, const std::string& name, std::string* path,
                    std::unique_ptr<InputFile>* file) {
  *path = JoinPath(folder, name);
  Status opened = env.OpenForSharedRead(*path, file);
  if (!opened.IsNotFound()) return opened;
  const std::string found = env.FindWorkFile(folder, name);
  if (found == *path) return opened;
  *path = found;
  return env.OpenForSharedRead(*path, file);
}

// The text of Puzzle.ini, read once from the open file `file` (null when there is none):
// what the profile reader reads. A file that cannot be read whole, or that is larger than
// a profile file, reads as an empty one, every key at its default.
std::string DescriptionText(InputFile* file) {
  uint64_t length = 0;
  if (file == nullptr || !file->Length(&length).ok() || length > kMaxProfileFileBytes) return "";
  std::string bytes(static_cast<size_t>(length), '\0');
  size_t got = 0;
  if (!file->Read(reinterpret_cast<uint8_t*>(bytes.data()), bytes.size(), &got).ok() ||
      got != bytes.size()) {
    return "";
  }
  return DecodeProfileForReading(bytes);
}

// A text value of Puzzle.ini's text `ini`: at most `limit` bytes.
std::string ReadText(const std::string& ini, const char* key, const char* fallback, size_t limit) {
  std::string value = GetProfileStringFromText(ini, kPuzzleSection, key, fallback, limit + 1);
  return std::string(CutToByteLimit(value, limit));
}

// A picture of the folder between its check and its chunk: the file stays open, so that
// its body is read from the very file that was checked.
struct OpenPicture {
  std::string path;
  std::unique_ptr<InputFile> file;
  uint64_t length = 0;
  Status failure;  // why it could not be opened or read, where there is a reason to give
};

// Opens and checks the picture `name` of `folder`: its head (the info header) goes into
// `slot`, reporting an invalid size (4) and a failed load (5) as loading the whole
// picture would; the file of a picture that passes stays open in `open`.
void CheckPicture(Env& env, const std::string& folder, const std::string& name, PictureSlot& slot,
                  OpenPicture& open) {
  slot.reset();
  open = OpenPicture{};
  bool valid = true;
  {
    // The file is closed again before a message waits for the user.
    std::unique_ptr<InputFile> file;
    open.failure = OpenWorkFile(env, folder, name, &open.path, &file);
    if (open.failure.ok()) {
      StatusOr<PictureBlock> head = ReadBitmapHead(*file, &open.length);
      if (head.ok()) {
        slot = *std::move(head);
      } else {
        open.failure = head.status();
      }
    }
    valid = CheckBitmap(slot);
    if (slot) open.file = std::move(file);
  }
  if (!valid) ShowLibraryMessage(env, Message::kInvalidSize, open.path);
  if (!slot) ShowLibraryMessage(env, Message::kLoadFailed, open.path);
}

// True when `path`, absent when first opened (`first`), is there now.
bool AppearedSince(Env& env, const std::string& path, const Status& first) {
  if (!first.IsNotFound()) return false;
  std::unique_ptr<InputFile> again;
  return !env.OpenForSharedRead(path, &again).IsNotFound();
}

}  // namespace

int64_t TileCount(int32_t x_max, int32_t y_max) { return PackageTileCount(x_max, y_max); }

std::string JoinPath(const std::string& folder, const std::string& name) {
  return folder + kPathSeparator + name;
}

// One pass through the conversion's steps in their order; each step is a call.
// NOLINTNEXTLINE(readability-function-cognitive-complexity)
int16_t ConvertWorkFolder(Env& env, ConversionState& state, const std::string& folder) {
  for (PictureSlot& slot : state.tiles) slot.reset();
  state.base.reset();
  state.header = PackageHeader{};

  // Read once, and held open while the conversion runs, so that a change to it can be
  // noticed.
  std::string ini;
  std::unique_ptr<InputFile> ini_file;
  const Status ini_opened = OpenWorkFile(env, folder, kDescriptionFileName, &ini, &ini_file);
  const std::string text = DescriptionText(ini_file.get());
  state.xMax = GetProfileIntFromText(text, kPuzzleSection, kXMaxKey, kDefaultXMax);
  state.yMax = GetProfileIntFromText(text, kPuzzleSection, kYMaxKey, kDefaultYMax);
  const int64_t tile_count = TileCount(state.xMax, state.yMax);
  if (tile_count > static_cast<int64_t>(kTileSlots)) {
    ShowLibraryMessage(env, Message::kGridRefused, ini);
    return 0;
  }

  PackageHeader& header = state.header;
  header = NewPackageHeader(state.xMax, state.yMax);
  header.PassWord = ReadText(text, kPassWordKey, "", kPassWordBytes);
  header.PrevPassWord = ReadText(text, kPrevPassWordKey, "", kPrevPassWordBytes);
  header.backColor =
      ParseBackColor(ReadText(text, kBackColorKey, kDefaultBackColor, kBackColorBytes));
  header.Difficulty = static_cast<int16_t>(static_cast<uint16_t>(
      GetProfileIntFromText(text, kPuzzleSection, kDifficultyKey, kDefaultDifficulty)));
  header.PuzzleName = ReadText(text, kPuzzleNameKey, kDefaultPuzzleText, kPuzzleNameBytes);
  header.LongPuzzleName =
      ReadText(text, kLongPuzzleNameKey, kDefaultPuzzleText, kLongPuzzleNameBytes);
  header.PuzzleSetName = ReadText(text, kPuzzleSetNameKey, kDefaultPuzzleText, kPuzzleSetNameBytes);
  header.fileVersion =
      GetProfileIntFromText(text, kPuzzleSection, kFileVersionKey, kDefaultFileVersion);

  // Every picture is checked, whatever happened to the ones before it. Only its head is
  // read now; its body is read when its chunk is written, one picture at a time.
  std::vector<OpenPicture> open_tiles(static_cast<size_t>(std::max<int64_t>(tile_count, 0)));
  for (int32_t r = 0; tile_count > 0 && r < state.yMax; ++r) {
    for (int32_t c = 0; c < state.xMax; ++c) {
      const size_t slot = static_cast<size_t>(r) * static_cast<size_t>(state.xMax) +
                          static_cast<size_t>(c);  // below kTileSlots: checked above
      CheckPicture(env, folder, TileFileName(r, c), state.tiles[slot], open_tiles[slot]);
    }
  }
  OpenPicture open_base;
  CheckPicture(env, folder, kBaseFileName, state.base, open_base);

  const std::string package = JoinPath(folder, PackageFileName(header.PuzzleName));
  std::unique_ptr<RiffFile> out;
  const Status created = env.CreateRiffFile(package, &out);
  if (!created.ok()) {
    ShowLibraryMessage(env, Message::kSaveFailed, package, SaveCause::kCannotCreate, "",
                       created.reason());
    return 0;
  }
  // The one picture body held at a time; the previous one goes before the next is read.
  PictureSlot body;
  std::string changed;  // a file found changed under the conversion
  const auto supply = [&](int picture) -> const PictureSlot& {
    body.reset();
    const bool is_base = picture == PackageWriteResult::kBasePicture;
    const PictureSlot& head = is_base ? state.base : state.tiles[static_cast<size_t>(picture)];
    OpenPicture& open = is_base ? open_base : open_tiles[static_cast<size_t>(picture)];
    if (!head) return body;
    StatusOr<PictureBlock> read = LoadBitmapFile(*open.file, open.length, *head);
    if (read.ok()) {
      body = *std::move(read);
    } else if (open.file->Unchanged().ok()) {
      open.failure = read.status();
      ShowLibraryMessage(env, Message::kLoadFailed, open.path);
    } else {
      changed = open.path;
    }
    return body;
  };
  PackageWriteResult result = WritePackage(*out, header, static_cast<size_t>(tile_count), supply);
  body.reset();
  // A package mixed from two states of the folder is never committed: every file read
  // must still be the one that was opened, as it was then.
  if (result.ok() || !changed.empty()) {
    if (ini_file ? !ini_file->Unchanged().ok() : AppearedSince(env, ini, ini_opened)) {
      changed = ini;
    }
    const auto note_change = [&changed](const OpenPicture& open) {
      if (changed.empty() && open.file && !open.file->Unchanged().ok()) changed = open.path;
    };
    for (const OpenPicture& open : open_tiles) note_change(open);
    note_change(open_base);
    if (!changed.empty()) result = {SaveCause::kFolderChanged, PackageWriteResult::kNoPicture, {}};
  }
  if (result.ok()) {
    result.error = out->Commit();
    if (!result.error.ok()) result.cause = SaveCause::kWriteFailed;
  }
  // Without a commit this removes the temporary file before the user is told.
  out.reset();
  if (result.ok()) return 1;

  std::string picture;
  std::string reason = result.error.reason();
  if (result.picture == PackageWriteResult::kBasePicture || result.picture >= 0) {
    const OpenPicture& open = result.picture == PackageWriteResult::kBasePicture
                                  ? open_base
                                  : open_tiles[static_cast<size_t>(result.picture)];
    picture = open.path;
    // Why the picture is missing, where the system or the file said why.
    if (result.cause == SaveCause::kPictureMissing) reason = open.failure.reason();
  }
  if (result.cause == SaveCause::kFolderChanged) picture = changed;
  ShowLibraryMessage(env, Message::kSaveFailed, package, result.cause, picture, reason);
  return 0;
}

}  // namespace klv
