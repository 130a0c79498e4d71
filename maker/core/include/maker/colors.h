// The colours of a make: the 16-colour QBColor palette and the eight background choices
// that the window's colour options and klvmake's --color offer. Defined once here, so
// that the window and the command line always offer the same colours in the same order.
#ifndef KLV_MAKER_COLORS_H_
#define KLV_MAKER_COLORS_H_

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace klv {

inline constexpr int kPaletteSize = 16;
inline constexpr int kWhiteIndex = 15;  // the base picture's background

// Entry `index` of the 16-colour QBColor palette as a raster pixel 0xRRGGBB; black for an
// index outside 0 to 15.
uint32_t QBColor(int index);

// The backColor text of Puzzle.ini for palette entry `index`: a text that the package
// library reads as that entry's colour (it takes up to three two-digit hexadecimal groups
// as red, green and blue). The colour number (blue in the high byte, red in the low) in
// upper-case hexadecimal without leading zeros where that reads so: "FF00FF" for magenta
// (13), "FF" for red (12), "FFFF" for yellow (14), "0" for black (0) and for an index
// outside 0 to 15; otherwise the six digits red, green, blue: "0000FF" for blue (9),
// "00FF00" for green (10), "00FFFF" for cyan (11).
std::string BackColorText(int index);

// One background colour a user may choose for the tiles.
struct BackgroundChoice {
  std::string_view name;  // klvmake's --color word
  int16_t paletteIndex;   // the QBColor entry
};

// The eight choices in the order of the window's colour options Option1(0 to 7). There
// is no choice for palette entries 1 to 8.
inline constexpr std::array<BackgroundChoice, 8> kBackgroundChoices = {{
    {"black", 0},
    {"blue", 9},
    {"green", 10},
    {"cyan", 11},
    {"red", 12},
    {"magenta", 13},
    {"yellow", 14},
    {"white", 15},
}};

// The choice the window selects at start-up and klvmake takes without --color: magenta.
inline constexpr int kStartChoice = 5;

// The palette index of the choice called `name`, matched without regard to ASCII case;
// nothing for a name that is not one of kBackgroundChoices.
std::optional<int16_t> BackgroundIndexByName(std::string_view name);

}  // namespace klv

#endif  // KLV_MAKER_COLORS_H_
