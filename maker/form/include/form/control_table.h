// The maker window's form: every control of SourceScr with its given name, its kind, its
// place in the 683 x 551 client area and its Japanese text, and the work canvas DestScr
// with the places of its surfaces. Every window of the maker builds itself from these one
// tables, so the windows cannot drift apart.
#ifndef KLV_MAKER_FORM_CONTROL_TABLE_H_
#define KLV_MAKER_FORM_CONTROL_TABLE_H_

#include <cstddef>
#include <span>
#include <string_view>

#include "language/ui_text.h"

namespace klv::form {

// A place in a client area: pixels from its top-left corner.
struct Rect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

enum class ControlId {
  kSourceScr,
  kSrcPic,
  kFrame1,
  kDir1,
  kFile1,
  kDrive1,
  kLabel1,
  kFrame2,
  kOption1,
  kFrame3,
  kDir3,
  kDrive3,
  kFrame4,
  kLabel7,
  kPuzzleSetName,
  kLabel6,
  kPuzzleName,
  kLabel5,
  kComment,
  kFrame5,
  kLabel4,
  kText1,
  kSlider1,
  kLabel3,
  kText2,
  kSlider2,
  kMakeIt,
  kCommand2,
};

enum class ControlKind {
  kWindow,
  kPicture,     // SrcPic
  kFrame,       // draws a captioned border only
  kDriveList,   // a drop-down list of drives
  kFolderList,  // the folder list: the path down to the folder and its subfolders
  kFileList,    // the picture files of a folder
  kStatusLine,  // a read-only one-line text
  kOption,      // one of the group Option1
  kLabel,
  kTextBox,       // one line
  kMultiLineBox,  // the comment
  kSlider,        // horizontal, 0 to 100
  kButton,
};

struct Control {
  ControlId id;
  std::string_view name;  // the given name ("SrcPic", "Option1")
  int index;              // tells the colour options Option1(0 to 7) apart; 0 otherwise
  ControlKind kind;
  Rect place;
  UiText text;       // what it shows (a source of "" for none); the window's caption
  size_t byteLimit;  // a text box's typing limit in code page 932 bytes; 0 for none
};

// The controls bottom to top: the preview lies under everything, a frame under the
// controls it holds. The order is also the order of the tab key.
std::span<const Control> SourceScrControls();

// The entry of `id` (and, for Option1, `index`). Every id has one; an index that Option1
// does not have gives option 0.
const Control& FindControl(ControlId id, int index = 0);

inline constexpr int kColourOptions = 8;

// The largest part of a picture that the preview shows: the side of the largest picture
// whose grid fits (a picture that fits is shown whole; a larger one is cut to this).
inline constexpr int kPreviewSide = 335;

// The status line's text before the first picture is chosen.
inline constexpr UiText kStatusAtStart = KLV_TEXT("SourceScr", "画像サイズ");

// The work canvas: a plain window that shows the make's surfaces. The tiles are laid out
// 14 to a row above the base surface and 9 to a row beside it; the arrangement is for
// watching only and affects no output.
inline constexpr UiText kDestScrCaption = KLV_TEXT("DestScr", "ピーステーブル");
inline constexpr int kDestScrWidth = 970;
inline constexpr int kDestScrHeight = 682;
inline constexpr int kBaseDesignSide = 288;  // the base surface before a picture is shown

// The place of tile surface DesPic(`index`), 0 to 114 (64 x 64 pixels).
Rect DesPicPlace(int index);
// The place of BasePic as designed; it takes the size of the base picture it shows.
Rect BasePicPlace();

}  // namespace klv::form

#endif  // KLV_MAKER_FORM_CONTROL_TABLE_H_
