// The QBColor palette, its texts for Puzzle.ini, and the background choices by name.
#include "maker/colors.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace klv {
namespace {

// The palette as colour numbers: blue in the high byte, red in the low.
constexpr uint32_t kQBColorNumbers[kPaletteSize] = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

uint32_t ColorNumber(int index) {
  if (index < 0 || index >= kPaletteSize) return 0;
  return kQBColorNumbers[index];
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

uint32_t QBColor(int index) {
  const uint32_t number = ColorNumber(index);
  // Colour number 0xBBGGRR to raster pixel 0xRRGGBB.
  return ((number & 0xFF) << 16) | (number & 0xFF00) | ((number >> 16) & 0xFF);
}

std::string BackColorText(int index) {
  static constexpr char kHexDigits[] = "0123456789ABCDEF";
  uint32_t number = ColorNumber(index);
  if (number == 0) return "0";
  std::string text;
  while (number != 0) {
    text.insert(text.begin(), kHexDigits[number & 0xF]);
    number >>= 4;
  }
  return text;
}

std::optional<int16_t> BackgroundIndexByName(std::string_view name) {
  for (const BackgroundChoice& choice : kBackgroundChoices) {
    if (SameIgnoringAsciiCase(name, choice.name)) return choice.paletteIndex;
  }
  return std::nullopt;
}

}  // namespace klv
