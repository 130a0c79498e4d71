// The package window's form: the package read through the platform seam and the package
// reader, described field by field in the window's language; the trial play's drag on
// TrialPlay's rules; and the trial table painted as plain pixels for a window that draws
// pictures only.
#include "form/package_form.h"

#include <algorithm>
#include <utility>

#include "base/platform.h"
#include "base/work_folder.h"
#include "form/text_boxes.h"
#include "format/package_reader.h"
#include "language/ui_text.h"
#include "maker/make_values.h"
#include "path_names.h"

namespace klv::form {
namespace {

constexpr UiText kTitle = KLV_TEXT("PackageWindow", "パッケージ");
constexpr UiText kCannotOpen = KLV_TEXT("PackageWindow", "パズルファイルを開けません");
constexpr UiText kNotAPackage = KLV_TEXT("PackageWindow", "パズルファイルではありません");
constexpr UiText kNotInCodePage =
    KLV_TEXT("PackageWindow", "%1 にはシステムのコードページで表せない文字があります");
constexpr UiText kUnreadable = KLV_TEXT("PackageWindow", "（読めませんでした）");
constexpr UiText kCounter = KLV_TEXT("PackageWindow", "はめたピース： %1 / %2");

std::string Hex(uint32_t rgb) {
  constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text = "#";
  for (int shift = 20; shift >= 0; shift -= 4) text += kDigits[(rgb >> shift) & 0xFu];
  return text;
}

// The fields of the information page.
std::vector<PackageField> Fields(const std::string& path, const Package& package,
                                 WindowLanguage language) {
  const auto say = [language](UiText text) { return std::string(Translate(language, text)); };
  const auto number = [](int64_t value) { return std::to_string(value); };
  const auto times = [](int64_t a, int64_t b) {
    return std::to_string(a) + " × " + std::to_string(b);
  };
  std::vector<PackageField> fields;
  fields.push_back({"File", say(KLV_TEXT("PackageWindow", "ファイル")), path});
  if (const std::optional<PackageHeader>& h = package.header) {
    const PackageField header_fields[] = {
        {"fileVersion", say(KLV_TEXT("PackageWindow", "ファイルのバージョン")),
         number(h->fileVersion)},
        {"xMax", say(KLV_TEXT("PackageWindow", "横のピース数")), number(h->xMax)},
        {"yMax", say(KLV_TEXT("PackageWindow", "縦のピース数")), number(h->yMax)},
        {"tileSize", say(KLV_TEXT("PackageWindow", "ピースの大きさ")),
         times(h->tileWidth, h->tileHeight)},
        {"pictureSize", say(KLV_TEXT("PackageWindow", "画像の大きさ")),
         times(h->pictureWidth, h->pictureHeight)},
        {"Difficulty", say(KLV_TEXT("PackageWindow", "難易度")), number(h->Difficulty)},
        {"backColor", say(KLV_TEXT("PackageWindow", "背景色")), Hex(BackColorRgb(*h))},
        {"PassWord", say(KLV_TEXT("PackageWindow", "パスワード")), FromCp932(h->PassWord)},
        {"PrevPassWord", say(KLV_TEXT("PackageWindow", "前のパスワード")),
         FromCp932(h->PrevPassWord)},
        {"PuzzleSetName", say(KLV_TEXT("PackageWindow", "パズルセットの名前")),
         FromCp932(h->PuzzleSetName)},
        {"PuzzleName", say(KLV_TEXT("PackageWindow", "パズルの名前")), FromCp932(h->PuzzleName)},
        {"LongPuzzleName", say(KLV_TEXT("PackageWindow", "画像の説明")),
         MultiLineFromCp932(h->LongPuzzleName)},
    };
    fields.insert(fields.end(), std::begin(header_fields), std::end(header_fields));
  }
  std::string tiles = number(package.tileChunks);
  if (package.header && package.GridTileCount() != package.tileChunks) {
    tiles += FormatText(say(KLV_TEXT("PackageWindow", "（グリッドでは %1）")),
                        {number(package.GridTileCount())});
  }
  fields.push_back({"tiles", say(KLV_TEXT("PackageWindow", "ピースの数")), tiles});
  fields.push_back({"bytes", say(KLV_TEXT("PackageWindow", "ファイルの大きさ")),
                    FormatText(say(KLV_TEXT("PackageWindow", "%1 バイト")),
                               {std::to_string(package.fileSize)})});
  return fields;
}

// The base, every picture in its grid, and the solved picture.
std::array<ShownPicture, 3> Pictures(const Package& package, const PackagePictures& pictures,
                                     WindowLanguage language) {
  const auto say = [language](UiText text) { return std::string(Translate(language, text)); };
  std::optional<Raster> sheet;
  std::optional<Raster> solved;
  if (package.header) {
    // A picture that cannot be made says so in its place.
    StatusOr<Raster> made = PackageSheet(*package.header, pictures);
    if (made.ok()) sheet = *std::move(made);
    made = ReassemblePicture(*package.header, pictures.tiles);
    if (made.ok()) solved = *std::move(made);
  }
  return {{
      {"BasePicture", say(KLV_TEXT("PackageWindow", "台紙")), pictures.base, say(kUnreadable)},
      {"TileSheet", say(KLV_TEXT("PackageWindow", "台紙とピース（並び順）")), std::move(sheet),
       say(kUnreadable)},
      {"SolvedPicture", say(KLV_TEXT("PackageWindow", "完成図")), std::move(solved),
       say(KLV_TEXT("PackageWindow", "（ピースがありません）")), true},
  }};
}

}  // namespace

bool IsPackageName(std::string_view name) {
  constexpr std::string_view kExtension = kPackageExtension;
  if (name.size() < kExtension.size()) return false;
  for (size_t i = 0; i < kExtension.size(); ++i) {
    const char c = name[name.size() - kExtension.size() + i];
    const char lower = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    if (lower != kExtension[i]) return false;
  }
  return true;
}

std::vector<std::string> PackagesOfDrop(const std::vector<std::string>& paths) {
  const bool all = std::all_of(paths.begin(), paths.end(),
                               [](const std::string& path) { return IsPackageName(path); });
  return all ? paths : std::vector<std::string>();
}

std::optional<PackageContents> ReadPackageContents(Env& env, const std::string& path,
                                                   WindowLanguage language, std::string* message) {
  const auto say = [language](UiText text) { return std::string(Translate(language, text)); };
  const auto refuse = [&](const std::string& cause) {
    *message = say(kCannotOpen) + "\n" + cause;
    return std::nullopt;
  };
  const std::optional<std::string> native = Utf8ToNativePath(path);
  if (!native) return refuse(FormatText(say(kNotInCodePage), {path}));
  std::string cause;
  const std::optional<std::vector<uint8_t>> bytes = ReadPackageFile(env, *native, &cause);
  if (!bytes) return refuse(path + ": " + NativeToUtf8(cause));
  if (!BeginsAsPackage(*bytes)) return refuse(path + ": " + say(kNotAPackage));

  const Package package = ReadPackage(*bytes);
  PackagePictures pictures = DecodePackagePictures(package);
  PackageContents contents;
  contents.path = path;
  contents.title = say(kTitle) + " - " + path.substr(FileNameStart(path));
  contents.tabs = {say(KLV_TEXT("PackageWindow", "情報")), say(KLV_TEXT("PackageWindow", "画像")),
                   say(KLV_TEXT("PackageWindow", "試しに遊ぶ"))};
  contents.fields = Fields(path, package, language);
  contents.backColor = package.header ? BackColorRgb(*package.header) : 0;
  for (const PackageProblem& problem : package.problems) {
    contents.problems.push_back(DescribeProblem(problem));
  }
  for (const PackageProblem& problem : pictures.problems) {
    contents.problems.push_back(DescribeProblem(problem));
  }
  contents.problemsHeading =
      contents.problems.empty() ? say(KLV_TEXT("PackageWindow", "問題はありません"))
                                : FormatText(say(KLV_TEXT("PackageWindow", "問題が %1 件あります")),
                                             {std::to_string(contents.problems.size())});
  contents.pictures = Pictures(package, pictures, language);
  contents.base = std::move(pictures.base);
  contents.tiles = std::move(pictures.tiles);
  contents.scatterText = say(KLV_TEXT("PackageWindow", "ピースをちらし直す"));
  contents.completeText = say(KLV_TEXT("PackageWindow", "パズルが完成しました"));
  return contents;
}

PackageForm::PackageForm(PackageContents contents, WindowLanguage language, PackageView& view)
    : contents_(std::move(contents)),
      language_(language),
      view_(view),
      play_(contents_.tiles, contents_.backColor, contents_.base ? contents_.base->width : 0,
            contents_.base ? contents_.base->height : 0) {}

void PackageForm::Start() { ScatterClicked(); }

void PackageForm::Pressed(int x, int y) {
  held_ = play_.TileAt(x, y);
  if (!held_) return;
  const TrialTile& tile = play_.Tiles()[*held_];
  grab_x_ = x - tile.x;
  grab_y_ = y - tile.y;
  play_.Lift(*held_);
  view_.TableChanged();
}

void PackageForm::Moved(int x, int y) {
  if (!held_) return;
  play_.MoveTo(*held_, x - grab_x_, y - grab_y_);
  view_.TableChanged();
}

void PackageForm::Released(int x, int y) {
  if (!held_) return;
  play_.Drop(*held_, x - grab_x_, y - grab_y_);
  held_.reset();
  view_.TableChanged();
  ShowCount();
}

void PackageForm::ScatterClicked() { Scatter(RandomSource::ClockSeed()); }

void PackageForm::ScatterForTests(uint32_t seed) { Scatter(seed); }

void PackageForm::Scatter(uint32_t seed) {
  RandomSource random(seed);
  play_.Scatter(random);
  held_.reset();
  view_.TableChanged();
  ShowCount();
}

void PackageForm::ShowCount() {
  const std::string placed = std::to_string(play_.PlacedCount());
  const std::string tiles = std::to_string(play_.TileCount());
  view_.ShowCount(FormatText(Translate(language_, kCounter), {placed, tiles}), play_.Complete());
}

Raster PaintTable(const PackageForm& form, int left, int top, int width, int height,
                  const TableColors& colors) {
  const TrialPlay& play = form.Play();
  Raster table = Raster::Filled(std::max(width, 0), std::max(height, 0), colors.table);
  // Paints the pixels of `source`, whose top-left corner lies at table point (x, y), that
  // `keep` lets through.
  const auto paint = [&](int x, int y, int source_width, int source_height, auto pixel_at,
                         auto keep) {
    const int first_row = std::max(top, y);
    const int end_row = std::min(top + table.height, y + source_height);
    const int first_column = std::max(left, x);
    const int end_column = std::min(left + table.width, x + source_width);
    for (int row = first_row; row < end_row; ++row) {
      for (int column = first_column; column < end_column; ++column) {
        const int u = column - x;
        const int v = row - y;
        if (keep(u, v)) table.Set(column - left, row - top, pixel_at(u, v));
      }
    }
  };
  const auto everywhere = [](int, int) { return true; };
  const auto plain = [](uint32_t color) { return [color](int, int) { return color; }; };
  paint(0, 0, play.BoardWidth(), play.BoardHeight(), plain(colors.board), everywhere);
  if (const std::optional<Raster>& base = form.contents().base) {
    paint(
        0, 0, base->width, base->height, [&](int u, int v) { return base->At(u, v); }, everywhere);
  }
  const int scatter_left = play.BoardWidth() + TrialPlay::kScatterGap;
  paint(scatter_left, 0, play.TableWidth() - scatter_left, play.TableHeight(),
        plain(colors.scatter), everywhere);
  for (const size_t index : play.Order()) {
    const TrialTile& tile = play.Tiles()[index];
    const Raster& pixels = form.contents().tiles[index].raster;
    paint(
        tile.x, tile.y, tile.width, tile.height, [&](int u, int v) { return pixels.At(u, v); },
        [&](int u, int v) { return tile.OpaqueAt(u, v); });
  }
  return table;
}

}  // namespace klv::form
