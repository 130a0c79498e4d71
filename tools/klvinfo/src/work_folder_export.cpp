// The work folder of a package: Puzzle.ini written with the same profile rules the
// converter reads it with, and read back through them to find every text that would not
// come back the same; the pictures are the chunks' bytes, which the converter takes as
// they are. The files go into a private folder that takes the output's name at the end.
#include "klvinfo/work_folder_export.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "base/codepage.h"
#include "base/platform.h"
#include "base/profile.h"
#include "base/work_folder.h"
#include "klvinfo/package_report.h"
#include "maker/make.h"

namespace klv {
namespace {

// A text key as the converter reads it: its default and the field it goes into.
struct TextKey {
  const char* key;
  const char* what;  // for warnings
  const char* fallback;
  std::string PackageHeader::*member;
  size_t width;
};
constexpr TextKey kTextKeys[] = {
    {kPuzzleNameKey, "the puzzle name", kDefaultPuzzleText, &PackageHeader::PuzzleName,
     kPuzzleNameWidth},
    {kPassWordKey, "the password", "", &PackageHeader::PassWord, kPassWordWidth},
    {kPuzzleSetNameKey, "the puzzle-set name", kDefaultPuzzleText, &PackageHeader::PuzzleSetName,
     kPuzzleSetNameWidth},
    {kLongPuzzleNameKey, "the comment", kDefaultPuzzleText, &PackageHeader::LongPuzzleName,
     kLongPuzzleNameWidth},
    {kPrevPassWordKey, "the previous password", "", &PackageHeader::PrevPassWord,
     kPrevPassWordWidth},
};

std::string PuzzleIniText(const PackageHeader& h) {
  char color[8];
  std::snprintf(color, sizeof color, "%02X%02X%02X", h.backColor[0], h.backColor[1],
                h.backColor[2]);
  // In the order the maker writes its keys; PrevPassWord, which it never writes, last.
  const std::pair<const char*, std::string> keys[] = {
      {kXMaxKey, std::to_string(h.xMax)},
      {kYMaxKey, std::to_string(h.yMax)},
      {kBackColorKey, color},
      {kPuzzleNameKey, h.PuzzleName},
      {kPassWordKey, h.PassWord},
      {kPuzzleSetNameKey, h.PuzzleSetName},
      {kLongPuzzleNameKey, h.LongPuzzleName},
      {kDifficultyKey, std::to_string(h.Difficulty)},
      {kFileVersionKey, std::to_string(h.fileVersion)},
      {kPrevPassWordKey, h.PrevPassWord},
  };
  std::string ini;
  for (const auto& [key, value] : keys)
    ini = SetProfileValueInText(ini, kPuzzleSection, key, value);
  return ini;
}

std::string Quoted(const std::string& cp932) {
  std::string quoted = "\"";
  quoted += DisplayText(cp932, true);
  quoted += '"';
  return quoted;
}

std::string TileName(const PackagePicture& tile) {
  return "tile " + std::to_string(tile.index) + " (row " + std::to_string(tile.row) + ", column " +
         std::to_string(tile.column) + ")";
}

}  // namespace

std::optional<WorkFolderExport> ExportWorkFolder(const Package& package, std::string* cause) {
  if (!package.header) {
    *cause = "the package has no header; there is no work folder to write";
    return std::nullopt;
  }
  const int64_t grid = package.GridTileCount();
  if (grid > kMaxPackageTiles) {
    *cause = "the grid holds " + std::to_string(grid) + " tiles, more than a package holds (" +
             std::to_string(kMaxPackageTiles) + ")";
    return std::nullopt;
  }
  WorkFolderExport out;
  const PackageHeader& header = *package.header;
  const std::string ini = PuzzleIniText(header);
  out.files.push_back({kDescriptionFileName, std::vector<uint8_t>(ini.begin(), ini.end())});
  for (const TextKey& k : kTextKeys) {
    // Read back as the converter reads it: the profile rules, then the field's limit.
    const std::string back = std::string(CutToByteLimit(
        GetProfileStringFromText(ini, kPuzzleSection, k.key, k.fallback, k.width), k.width - 1));
    const std::string& text = header.*k.member;
    if (back != text) {
      out.warnings.push_back(std::string(k.what) + " " + Quoted(text) +
                             " comes back from Puzzle.ini as " + Quoted(back) +
                             " (blanks at either end, enclosing quotes and line breaks are lost)");
    }
  }

  if (package.base) {
    out.files.push_back({kBaseFileName, package.base->bmp});
  } else {
    out.warnings.push_back("the base picture is missing");
  }
  std::vector<bool> present(static_cast<size_t>(std::max<int64_t>(grid, 0)), false);
  for (const PackagePicture& tile : package.tiles) {
    if (tile.row < 0) continue;  // beyond the grid: no file name to give it
    out.files.push_back({TileFileName(tile.row, tile.column), tile.bmp});
    if (tile.index < static_cast<int64_t>(present.size())) {
      present[static_cast<size_t>(tile.index)] = true;
    }
  }
  for (size_t i = 0; i < present.size(); ++i) {
    if (!present[i]) {
      PackagePicture missing;
      missing.index = static_cast<int64_t>(i);
      // The grid holds tiles, so xMax is at least 1.
      const auto columns = static_cast<size_t>(header.xMax);
      missing.row = static_cast<int>(i / columns);
      missing.column = static_cast<int>(i % columns);
      out.warnings.push_back(TileName(missing) + " is missing");
    }
  }
  return out;
}

bool WriteWorkFolder(const NamedOutput& folder, const std::vector<ExportedFile>& files,
                     std::string* cause) {
  Env& env = Env::Default();
  std::string own;
  Status status = folder.MakeFolderBeside(&own);
  if (!status.ok()) {
    *cause = "cannot make a folder beside it: " + status.ToString();
    return false;
  }
  const std::string prefix = own + kPathSeparator;
  for (const ExportedFile& file : files) {
    status = env.WriteWholeFile(prefix + file.name, file.bytes);
    if (!status.ok()) {
      *cause = "cannot write " + file.name + ": " + status.reason();
      break;
    }
  }
  if (status.ok()) {
    status = folder.PlaceFolder(own);
    if (!status.ok()) *cause = status.reason();
  }
  if (!status.ok()) env.RemovePrivateFolder(own);
  return status.ok();
}

}  // namespace klv
