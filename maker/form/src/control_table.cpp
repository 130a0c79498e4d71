// The form's table of controls, places and texts, and the work canvas's arrangement.
#include "form/control_table.h"

#include "base/work_folder.h"
#include "maker/grid.h"

namespace klv::form {
namespace {

using enum ControlId;
using enum ControlKind;

constexpr UiText kNoText{"SourceScr", ""};

// clang-format off
constexpr Control kControls[] = {
    {kSourceScr,     "SourceScr",     0, kWindow,      {  0,   0, 683, 551}, KLV_TEXT("SourceScr", "モーベルパズルメーカー"), 0},
    {kSrcPic,        "SrcPic",        0, kPicture,     { 10,  10, 288, 288}, kNoText, 0},

    {kFrame1,        "Frame1",        0, kFrame,       {  1, 336, 345, 209}, KLV_TEXT("SourceScr", "ビットマップを選択"), 0},
    {kDir1,          "Dir1",          0, kFolderList,  {  7, 352, 166, 160}, kNoText, 0},
    {kFile1,         "File1",         0, kFileList,    {177, 352, 161, 186}, kNoText, 0},
    {kDrive1,        "Drive1",        0, kDriveList,   {  7, 520, 166,  20}, kNoText, 0},
    {kLabel1,        "Label1",        0, kStatusLine,  {353, 371, 137,  17}, kStatusAtStart, 0},

    {kFrame2,        "Frame2",        0, kFrame,       {353, 454, 137,  89}, KLV_TEXT("SourceScr", "背景色の選択"), 0},
    {kOption1,       "Option1",       0, kOption,      {362, 468,  53,  17}, KLV_TEXT("SourceScr", "黒"), 0},
    {kOption1,       "Option1",       1, kOption,      {362, 484,  77,  17}, KLV_TEXT("SourceScr", "青"), 0},
    {kOption1,       "Option1",       2, kOption,      {362, 500,  77,  17}, KLV_TEXT("SourceScr", "緑"), 0},
    {kOption1,       "Option1",       3, kOption,      {362, 516,  77,  17}, KLV_TEXT("SourceScr", "シアン"), 0},
    {kOption1,       "Option1",       4, kOption,      {417, 468,  53,  17}, KLV_TEXT("SourceScr", "赤"), 0},
    {kOption1,       "Option1",       5, kOption,      {417, 484,  69,  17}, KLV_TEXT("SourceScr", "マゼンダ"), 0},
    {kOption1,       "Option1",       6, kOption,      {417, 500,  61,  17}, KLV_TEXT("SourceScr", "黄色"), 0},
    {kOption1,       "Option1",       7, kOption,      {417, 516,  53,  17}, KLV_TEXT("SourceScr", "白"), 0},

    {kFrame3,        "Frame3",        0, kFrame,       {496,   8, 185, 154}, KLV_TEXT("SourceScr", "保存先を選択"), 0},
    {kDir3,          "Dir3",          0, kFolderList,  {504,  24, 169, 104}, kNoText, 0},
    {kDrive3,        "Drive3",        0, kDriveList,   {505, 134, 169,  20}, kNoText, 0},

    {kFrame4,        "Frame4",        0, kFrame,       {495, 168, 185, 183}, KLV_TEXT("SourceScr", "パズル情報"), 0},
    {kLabel7,        "Label7",        0, kLabel,       {503, 192, 169,  17}, KLV_TEXT("SourceScr", "ﾊﾟｽﾞﾙｾｯﾄの名前（10ﾊﾞｲﾄまで）"), 0},
    {kPuzzleSetName, "PuzzleSetName", 0, kTextBox,     {503, 208, 169,  18}, kNoText, kPuzzleSetNameBytes},
    {kLabel6,        "Label6",        0, kLabel,       {503, 240, 145,  17}, KLV_TEXT("SourceScr", "パズルの名前（15文字まで）"), 0},
    {kPuzzleName,    "PuzzleName",    0, kTextBox,     {503, 256, 169,  18}, kNoText, kPuzzleNameBytes},
    {kLabel5,        "Label5",        0, kLabel,       {503, 288, 153,  17}, KLV_TEXT("SourceScr", "画像の説明　（255文字まで）"), 0},
    {kComment,       "Comment",       0, kMultiLineBox,{503, 304, 169,  40}, kNoText, kLongPuzzleNameBytes},

    {kFrame5,        "Frame5",        0, kFrame,       {494, 355, 185, 112}, KLV_TEXT("SourceScr", "難易度調整"), 0},
    {kLabel4,        "Label4",        0, kLabel,       {503, 371, 153,  17}, KLV_TEXT("SourceScr", "ピースの濃度"), 0},
    {kText1,         "Text1",         0, kTextBox,     {507, 391,  33,  17}, kNoText, 3},
    {kSlider1,       "Slider1",       0, kSlider,      {542, 386, 121,  25}, kNoText, 0},
    {kLabel3,        "Label3",        0, kLabel,       {503, 417, 145,  17}, KLV_TEXT("SourceScr", "背景の濃度"), 0},
    {kText2,         "Text2",         0, kTextBox,     {506, 437,  33,  17}, kNoText, 3},
    {kSlider2,       "Slider2",       0, kSlider,      {543, 434, 121,  25}, kNoText, 0},

    {kMakeIt,        "MakeIt",        0, kButton,      {495, 473, 184,  35}, KLV_TEXT("SourceScr", "分解"), 0},
    {kCommand2,      "Command2",      0, kButton,      {495, 513, 185,  33}, KLV_TEXT("SourceScr", "終了"), 0},
};
// clang-format on

constexpr int kMargin = 5;
constexpr int kTilePitchOnScreen = kTileSize + 1;
constexpr int kUpperColumns = 14;
constexpr int kUpperRows = 5;
constexpr int kLowerTop = kMargin + kUpperRows * kTilePitchOnScreen + 5;
constexpr int kLowerLeft = 350;
constexpr int kLowerColumns = 9;

}  // namespace

std::span<const Control> SourceScrControls() { return kControls; }

const Control& FindControl(ControlId id, int index) {
  const Control* first = nullptr;
  for (const Control& control : kControls) {
    if (control.id != id) continue;
    if (control.index == index) return control;
    if (first == nullptr) first = &control;
  }
  return *first;  // every id is in the table
}

Rect DesPicPlace(int index) {
  const int upper_count = kUpperColumns * kUpperRows;
  if (index < upper_count) {
    return {kMargin + (index % kUpperColumns) * kTilePitchOnScreen,
            kMargin + (index / kUpperColumns) * kTilePitchOnScreen, kTileSize, kTileSize};
  }
  const int lower = index - upper_count;
  return {kLowerLeft + (lower % kLowerColumns) * kTilePitchOnScreen,
          kLowerTop + (lower / kLowerColumns) * kTilePitchOnScreen, kTileSize, kTileSize};
}

Rect BasePicPlace() { return {kMargin, kLowerTop, kBaseDesignSide, kBaseDesignSide}; }

}  // namespace klv::form
