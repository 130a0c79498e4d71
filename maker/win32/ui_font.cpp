// Choosing the UI font: a face is taken when the font mapper gives that face back for it.
#include "ui_font.h"

#include <cwchar>

#include "dpi.h"

namespace klv::win32 {
namespace {

constexpr const wchar_t* kJapaneseUiFaces[] = {L"Yu Gothic UI", L"Meiryo UI", L"MS UI Gothic"};

// True when the system maps the face `face` to a font of that name (its own, or the one a
// font substitute names for it).
bool HasFace(const LOGFONTW& wanted) {
  HFONT font = CreateFontIndirectW(&wanted);
  if (font == nullptr) return false;
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  wchar_t face[LF_FACESIZE] = {};
  GetTextFaceW(dc, LF_FACESIZE, face);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(font);
  return _wcsicmp(face, wanted.lfFaceName) == 0;
}

}  // namespace

HFONT CreateUiFont(UINT dpi, int pixels) {
  LOGFONTW font{};
  font.lfHeight = -ScaleForDpi(pixels, dpi);
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfQuality = CLEARTYPE_QUALITY;
  for (const wchar_t* face : kJapaneseUiFaces) {
    wcsncpy(font.lfFaceName, face, LF_FACESIZE - 1);
    if (HasFace(font)) return CreateFontIndirectW(&font);
  }
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi)) {
    metrics.lfMessageFont.lfHeight = font.lfHeight;
    return CreateFontIndirectW(&metrics.lfMessageFont);
  }
  wcsncpy(font.lfFaceName, L"MS Shell Dlg 2", LF_FACESIZE - 1);
  return CreateFontIndirectW(&font);
}

}  // namespace klv::win32
