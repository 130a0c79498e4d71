// A package on the web page: the package reader's fields and problems as rows of text,
// the decoded pictures, and the trial play over them.
#include "web/package_view.h"

#include <cstdio>
#include <utility>

#include "form/text_boxes.h"
#include "format/package_reader.h"
#include "web/page_texts.h"

namespace klv::web {
namespace {

std::string HexColour(uint32_t rgb) {
  char text[8];
  std::snprintf(text, sizeof text, "#%06X", static_cast<unsigned>(rgb & 0xFFFFFF));
  return text;
}

std::vector<InfoRow> HeaderRows(const Package& package, const std::string& file_name,
                                WindowLanguage language) {
  const auto say = [language](UiText text) { return Say(language, text); };
  const auto times = [](int64_t a, int64_t b) {
    return std::to_string(a) + " × " + std::to_string(b);
  };
  std::vector<InfoRow> rows = {{"File", say(KLV_TEXT("WebPage", "ファイル")), file_name}};
  if (const std::optional<PackageHeader>& h = package.header) {
    const std::vector<InfoRow> fields = {
        {"fileVersion", say(KLV_TEXT("WebPage", "ファイルのバージョン")),
         std::to_string(h->fileVersion)},
        {"xMax", say(KLV_TEXT("WebPage", "横のピース数")), std::to_string(h->xMax)},
        {"yMax", say(KLV_TEXT("WebPage", "縦のピース数")), std::to_string(h->yMax)},
        {"tileSize", say(KLV_TEXT("WebPage", "ピースの大きさ")),
         times(h->tileWidth, h->tileHeight)},
        {"pictureSize", say(KLV_TEXT("WebPage", "画像の大きさ")),
         times(h->pictureWidth, h->pictureHeight)},
        {"Difficulty", say(KLV_TEXT("WebPage", "難易度")), std::to_string(h->Difficulty)},
        {"backColor", say(KLV_TEXT("WebPage", "背景色")), HexColour(BackColorRgb(*h))},
        {"PassWord", say(KLV_TEXT("WebPage", "パスワード")), form::FromCp932(h->PassWord)},
        {"PrevPassWord", say(KLV_TEXT("WebPage", "前のパスワード")),
         form::FromCp932(h->PrevPassWord)},
        {"PuzzleSetName", say(KLV_TEXT("WebPage", "パズルセットの名前")),
         form::FromCp932(h->PuzzleSetName)},
        {"PuzzleName", say(KLV_TEXT("WebPage", "パズルの名前")), form::FromCp932(h->PuzzleName)},
        {"LongPuzzleName", say(KLV_TEXT("WebPage", "画像の説明")),
         form::MultiLineFromCp932(h->LongPuzzleName)},
    };
    rows.insert(rows.end(), fields.begin(), fields.end());
  } else {
    rows.push_back({"NoHeader", say(KLV_TEXT("WebPage", "ヘッダー")),
                    say(KLV_TEXT("WebPage", "読めませんでした"))});
  }
  std::string tiles = std::to_string(package.tileChunks);
  if (package.header && package.GridTileCount() != package.tileChunks) {
    tiles += FormatText(say(KLV_TEXT("WebPage", "（グリッドでは %1）")),
                        {std::to_string(package.GridTileCount())});
  }
  rows.push_back({"tiles", say(KLV_TEXT("WebPage", "ピースの数")), tiles});
  rows.push_back(
      {"bytes", say(KLV_TEXT("WebPage", "ファイルの大きさ")),
       FormatText(say(KLV_TEXT("WebPage", "%1 バイト")), {std::to_string(package.fileSize)})});
  return rows;
}

}  // namespace

PackageView::PackageView(PackagePictures pictures, uint32_t back_color)
    : pictures_(std::move(pictures)),
      back_color_(back_color),
      play_(pictures_.tiles, back_color, pictures_.base ? pictures_.base->width : 0,
            pictures_.base ? pictures_.base->height : 0) {}

std::optional<PackageView> PackageView::Open(std::span<const uint8_t> file,
                                             const std::string& file_name, WindowLanguage language,
                                             UniformSource& random) {
  if (!BeginsAsPackage(file)) return std::nullopt;
  const Package package = ReadPackage(file);
  PackagePictures pictures = DecodePackagePictures(package);
  const uint32_t back_color = package.header ? BackColorRgb(*package.header) : 0;
  std::vector<std::string> problems;
  for (const PackageProblem& problem : package.problems)
    problems.push_back(DescribeProblem(problem));
  for (const PackageProblem& problem : pictures.problems) {
    problems.push_back(DescribeProblem(problem));
  }

  PackageView view(std::move(pictures), back_color);
  view.rows_ = HeaderRows(package, file_name, language);
  view.problems_heading_ =
      problems.empty() ? Say(language, KLV_TEXT("WebPage", "問題はありません"))
                       : FormatText(Say(language, KLV_TEXT("WebPage", "問題が %1 件あります")),
                                    {std::to_string(problems.size())});
  view.problems_ = std::move(problems);
  view.play_.Scatter(random);
  return view;
}

std::vector<uint8_t> CanvasBytes(const Raster& raster, std::optional<uint32_t> transparent) {
  std::vector<uint8_t> bytes;
  bytes.reserve(raster.pixels.size() * 4);
  for (const uint32_t pixel : raster.pixels) {
    bytes.push_back(static_cast<uint8_t>(pixel >> 16));
    bytes.push_back(static_cast<uint8_t>(pixel >> 8));
    bytes.push_back(static_cast<uint8_t>(pixel));
    bytes.push_back(transparent && (pixel & 0xFFFFFF) == (*transparent & 0xFFFFFF) ? 0 : 255);
  }
  return bytes;
}

}  // namespace klv::web
