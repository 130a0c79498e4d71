// The Windows window's font: a Japanese UI font chosen by name, at the designed 12 pixels
// scaled to the window's DPI so that the text stays sharp at 150 % and 200 %.
#ifndef KLV_MAKER_WIN32_UI_FONT_H_
#define KLV_MAKER_WIN32_UI_FONT_H_

#include <windows.h>

namespace klv::win32 {

// The designed size of the window's text, and the smallest it may take where a text (a
// translated one, or in a wide font) would not fit its control otherwise.
inline constexpr int kDesignedFontPixels = 12;
inline constexpr int kSmallestFontPixels = 9;

// A new font of `pixels` (at 96 DPI) for a window at `dpi`: the first of the Japanese UI fonts (Yu
// Gothic UI, Meiryo UI, MS UI Gothic) that the system has by that name (directly or through its
// font substitutes, as a Wine prefix gives a CJK font), otherwise the system's message
// font. The caller deletes it (DeleteObject).
HFONT CreateUiFont(UINT dpi, int pixels = kDesignedFontPixels);

}  // namespace klv::win32

#endif  // KLV_MAKER_WIN32_UI_FONT_H_
