// The web page's module: the functions its script calls, in embind's terms. Each converts
// between JavaScript values and the page's C++ (the photo, the make, the package view,
// the texts and the form's box rules); the page's one photo and one package live here.
#include <emscripten/bind.h>
#include <emscripten/val.h>
#include <sys/stat.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/platform.h"
#include "form/control_table.h"
#include "form/source_form.h"
#include "form/text_boxes.h"
#include "format/package_reader.h"
#include "language/language.h"
#include "maker/colors.h"
#include "maker/grid.h"
#include "maker/make_values.h"
#include "maker/settings.h"
#include "maker/source_picture.h"
#include "web/package_view.h"
#include "web/page_make.h"
#include "web/page_photo.h"
#include "web/page_texts.h"

namespace klv::web {
namespace {

using emscripten::val;

// The destination of every make: a folder of the in-memory file system, empty between
// makes.
constexpr char kPuzzleFolder[] = "/puzzles";

struct Page {
  WindowLanguage language = WindowLanguage::kEnglish;
  std::optional<PagePhoto> photo;
  std::optional<PackageView> package;
};

Page& ThePage() {
  static Page page;
  return page;
}

val Object() { return val::object(); }

val Bytes(const std::vector<uint8_t>& bytes) {
  return val::global("Uint8Array").new_(emscripten::typed_memory_view(bytes.size(), bytes.data()));
}

val Picture(const Raster& raster, std::optional<uint32_t> transparent) {
  val picture = Object();
  picture.set("width", raster.width);
  picture.set("height", raster.height);
  picture.set("pixels", Bytes(CanvasBytes(raster, transparent)));
  return picture;
}

std::optional<CropRect> CropOf(const val& crop) {
  if (crop.isNull() || crop.isUndefined()) return std::nullopt;
  return CropRect{crop["width"].as<int>(), crop["height"].as<int>(), crop["x"].as<int>(),
                  crop["y"].as<int>()};
}

// The language of a reader of `languages` (navigator.languages), which the page then
// speaks: "ja" or "en".
std::string ChooseLanguage(const val& languages) {
  ThePage().language = ChooseWindowLanguage(emscripten::vecFromJSArray<std::string>(languages));
  return ThePage().language == WindowLanguage::kJapanese ? "ja" : "en";
}

val Texts() {
  val texts = Object();
  for (const auto& [key, text] : PageTexts(ThePage().language)) texts.set(key, text);
  return texts;
}

// What the page's form starts with and keeps to, as the window does: the boxes' byte
// limits, the colours of the options and the one chosen at start, the sliders' defaults.
val FormRules() {
  val rules = Object();
  val limits = Object();
  limits.set("puzzleSetName", form::FindControl(form::ControlId::kPuzzleSetName).byteLimit);
  limits.set("puzzleName", form::FindControl(form::ControlId::kPuzzleName).byteLimit);
  limits.set("comment", form::FindControl(form::ControlId::kComment).byteLimit);
  rules.set("byteLimits", limits);
  val colours = val::array();
  for (const BackgroundChoice& choice : kBackgroundChoices) {
    colours.call<void>("push", static_cast<uint32_t>(QBColor(choice.paletteIndex)));
  }
  rules.set("colours", colours);
  rules.set("startColour", kStartChoice);
  const Settings defaults = DefaultSettings();
  rules.set("slider1", defaults.slider1);
  rules.set("slider2", defaults.slider2);
  return rules;
}

// The puzzle name the window proposes for the picture file `file_name`.
std::string ProposeName(const std::string& file_name) {
  return form::FromCp932(ProposePuzzleName(form::ToCp932(file_name)));
}

// The message for a picture the browser could not decode or the page cannot take, naming
// the file `file_name` and the `cause`, as the window's.
std::string PictureRefusal(const std::string& file_name, const std::string& cause) {
  const SourceError error{SourceProblem::kUnreadable, cause};
  return form::PictureProblemText(ThePage().language, error.problem) + "\n" +
         SourceErrorMessage(file_name, error);
}

// True when the file whose first bytes are `head` is a puzzle package, whatever its name.
bool BeginsAsPackageFile(const val& head) {
  return BeginsAsPackage(emscripten::convertJSArrayToNumberVector<uint8_t>(head));
}

// The typing rule of a byte-limited box: the text the box keeps of the edit from
// `before` to `after`, and where its cursor goes (in UTF-16 units, as the script counts).
val LimitEdit(const std::string& before, const std::string& after, size_t limit,
              size_t line_break_bytes) {
  size_t cursor = 0;
  const std::u16string kept = form::LimitEdit(form::Utf8ToUtf16(before), form::Utf8ToUtf16(after),
                                              limit, line_break_bytes, &cursor);
  val result = Object();
  result.set("text", form::Utf16ToUtf8(kept));
  result.set("cursor", cursor);
  return result;
}

bool IsDensityText(const std::string& text) { return form::IsDensityText(text); }

// Room for a width x height photo: {pointer} to write its RGBA bytes at, or {cause}.
val NewPhoto(int width, int height) {
  Page& page = ThePage();
  page.photo.reset();
  std::string cause;
  page.photo = PagePhoto::Allocate(width, height, &cause);
  val result = Object();
  if (!page.photo) {
    result.set("cause", cause);
    return result;
  }
  result.set("pointer", reinterpret_cast<uintptr_t>(page.photo->PixelBytes()));
  return result;
}

void FinishPhoto() {
  if (ThePage().photo) ThePage().photo->Finish();
}

val ViewPhoto(const val& crop) {
  val result = Object();
  if (!ThePage().photo) return result;
  const PhotoView view = ThePage().photo->View(CropOf(crop), ThePage().language);
  result.set("usable", view.usable);
  result.set("status", view.status);
  result.set("keptX", view.keptX);
  result.set("keptY", view.keptY);
  result.set("keptWidth", view.keptWidth);
  result.set("keptHeight", view.keptHeight);
  result.set("cellWidth", view.cellWidth);
  result.set("cellHeight", view.cellHeight);
  result.set("columns", view.grid.xMax + 1);
  result.set("rows", view.grid.yMax + 1);
  return result;
}

// The make of the page's photo with the form's `values`.
val MakePhoto(const val& values) {
  Page& page = ThePage();
  val result = Object();
  if (!page.photo) return result;
  SourceError error;
  const std::optional<Raster> picture = page.photo->Fitted(CropOf(values["crop"]), &error);
  if (!picture) {
    result.set("message",
               form::PictureProblemText(page.language, error.problem) + "\n" + error.cause);
    return result;
  }
  PageValues page_values;
  page_values.puzzleSetName = values["puzzleSetName"].as<std::string>();
  page_values.puzzleName = values["puzzleName"].as<std::string>();
  page_values.comment = values["comment"].as<std::string>();
  page_values.colourOption = values["colour"].as<int>();
  page_values.slider1 = values["slider1"].as<int>();
  page_values.slider2 = values["slider2"].as<int>();
  if (!values["seed"].isNull() && !values["seed"].isUndefined()) {
    page_values.seed = values["seed"].as<uint32_t>();
  }
  ::mkdir(kPuzzleFolder, 0700);  // the first make's
  const PagePackage package =
      MakePagePuzzle(Env::Default(), kPuzzleFolder, *picture, page_values, page.language);
  result.set("message", package.message);
  if (package.status == MakeStatus::kPackageWritten) {
    result.set("fileName", package.fileName);
    result.set("bytes", Bytes(package.bytes));
  }
  return result;
}

// The make of the page's photo with the form's `values`: {fileName, bytes} of the package
// and the message to show. Nothing is thrown back into the page: memory running out is a
// failed make like any other.
val Make(const val& values) {
  try {
    return MakePhoto(values);
  } catch (const std::exception& error) {
    MakeResult failed;
    failed.status = MakeStatus::kWorkFileNotWritten;
    failed.cause = error.what();
    val result = Object();
    result.set("message", form::MakeOutcomeText(ThePage().language, failed));
    return result;
  }
}

// The package whose file is `bytes`: its information and pictures, or nothing (null) when
// the file is no package.
val OpenPackageFile(const val& bytes, const std::string& file_name) {
  Page& page = ThePage();
  RandomSource random(RandomSource::ClockSeed());
  page.package = PackageView::Open(emscripten::convertJSArrayToNumberVector<uint8_t>(bytes),
                                   file_name, page.language, random);
  if (!page.package) return val::null();
  const PackageView& view = *page.package;
  val rows = val::array();
  for (const InfoRow& row : view.rows()) {
    val entry = Object();
    entry.set("key", row.key);
    entry.set("label", row.label);
    entry.set("value", row.value);
    rows.call<void>("push", entry);
  }
  val problems = val::array();
  for (const std::string& problem : view.problems()) problems.call<void>("push", problem);
  val tiles = val::array();
  for (const TileRaster& tile : view.tiles()) {
    tiles.call<void>("push", Picture(tile.raster, view.back_color()));
  }
  val result = Object();
  result.set("rows", rows);
  result.set("problemsHeading", view.problems_heading());
  result.set("problems", problems);
  result.set("base", view.base() ? Picture(*view.base(), std::nullopt) : val::null());
  result.set("tiles", tiles);
  return result;
}

// OpenPackageFile, or {message} when memory runs out: nothing is thrown back into the page.
val OpenPackage(const val& bytes, const std::string& file_name) {
  try {
    return OpenPackageFile(bytes, file_name);
  } catch (const std::exception& error) {
    ThePage().package.reset();
    val result = Object();
    result.set("message", file_name + ": " + error.what());
    return result;
  }
}

// The trial play as the script draws it: the table, and each tile's place in drawing order.
val TrialState() {
  val state = Object();
  if (!ThePage().package) return state;
  const TrialPlay& play = ThePage().package->play();
  state.set("tableWidth", play.TableWidth());
  state.set("tableHeight", play.TableHeight());
  state.set("boardWidth", play.BoardWidth());
  state.set("boardHeight", play.BoardHeight());
  val order = val::array();
  for (const size_t index : play.Order()) {
    const TrialTile& tile = play.Tiles()[index];
    val entry = Object();
    entry.set("tile", index);
    entry.set("x", tile.x);
    entry.set("y", tile.y);
    entry.set("placed", tile.placed);
    entry.set("homeX", tile.HomeX());
    entry.set("homeY", tile.HomeY());
    order.call<void>("push", entry);
  }
  state.set("order", order);
  state.set("placed", play.PlacedCount());
  state.set("count", play.TileCount());
  state.set("complete", play.Complete());
  return state;
}

// The tile a press at table point (x, y) takes, lifted to the top; -1 for none.
int TakeTile(int x, int y) {
  if (!ThePage().package) return -1;
  TrialPlay& play = ThePage().package->play();
  const std::optional<size_t> tile = play.TileAt(x, y);
  if (!tile) return -1;
  play.Lift(*tile);
  return static_cast<int>(*tile);
}

bool ValidTile(int tile) {
  return ThePage().package && tile >= 0 &&
         static_cast<size_t>(tile) < ThePage().package->play().Tiles().size();
}

void MoveTile(int tile, int x, int y) {
  if (ValidTile(tile)) ThePage().package->play().MoveTo(static_cast<size_t>(tile), x, y);
}

bool DropTile(int tile, int x, int y) {
  return ValidTile(tile) && ThePage().package->play().Drop(static_cast<size_t>(tile), x, y);
}

void Scatter() {
  if (!ThePage().package) return;
  RandomSource random(RandomSource::ClockSeed());
  ThePage().package->play().Scatter(random);
}

void ClosePackage() { ThePage().package.reset(); }

}  // namespace
}  // namespace klv::web

EMSCRIPTEN_BINDINGS(klvmaker) {
  using namespace klv::web;
  emscripten::function("chooseLanguage", &ChooseLanguage);
  emscripten::function("texts", &Texts);
  emscripten::function("formRules", &FormRules);
  emscripten::function("proposeName", &ProposeName);
  emscripten::function("pictureRefusal", &PictureRefusal);
  emscripten::function("beginsAsPackage", &BeginsAsPackageFile);
  emscripten::function("limitEdit", &LimitEdit);
  emscripten::function("isDensityText", &IsDensityText);
  emscripten::function("newPhoto", &NewPhoto);
  emscripten::function("finishPhoto", &FinishPhoto);
  emscripten::function("viewPhoto", &ViewPhoto);
  emscripten::function("make", &Make);
  emscripten::function("openPackage", &OpenPackage);
  emscripten::function("trialState", &TrialState);
  emscripten::function("takeTile", &TakeTile);
  emscripten::function("moveTile", &MoveTile);
  emscripten::function("dropTile", &DropTile);
  emscripten::function("scatter", &Scatter);
  emscripten::function("closePackage", &ClosePackage);
}
