// The QBColor palette, its texts for Puzzle.ini, and the background choices by name.
#include "maker/colors.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace klv {
namespace {

// The palette: each entry's pixel 0xRRGGBB and its backColor text. The library reads
// that text as up to three two-digit groups, red first, so the text is the colour number
// (blue in the high byte, red in the low) in hexadecimal where that reads back as the
// colour, as work folders have always held it; where it does not (blue, green, cyan and
// their dark forms), it is the six digits red, green, blue.
struct PaletteEntry {
  uint32_t rgb;
  std::string_view text;
};
constexpr PaletteEntry kPalette[kPaletteSize] = {
    {0x000000, "0"},      {0x000080, "000080"}, {0x008000, "008000"}, {0x008080, "008080"},
    {0x800000, "80"},     {0x800080, "800080"}, {0x808000, "8080"},   {0xC0C0C0, "C0C0C0"},
    {0x808080, "808080"}, {0x0000FF, "0000FF"}, {0x00FF00, "00FF00"}, {0x00FFFF, "00FFFF"},
    {0xFF0000, "FF"},     {0xFF00FF, "FF00FF"}, {0xFFFF00, "FFFF"},   {0xFFFFFF, "FFFFFF"},
};

// Entry `index`, or black for an index outside the palette.
const PaletteEntry& Entry(int index) {
  if (index < 0 || index >= kPaletteSize) return kPalette[0];
  return kPalette[index];
}

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

}  // namespace

uint32_t QBColor(int index) { return Entry(index).rgb; }

std::string BackColorText(int index) { return std::string(Entry(index).text); }

std::optional<int16_t> BackgroundIndexByName(std::string_view name) {
  for (const BackgroundChoice& choice : kBackgroundChoices) {
    if (SameIgnoringAsciiCase(name, choice.name)) return choice.paletteIndex;
  }
  return std::nullopt;
}

}  // namespace klv
