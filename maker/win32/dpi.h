// The Windows windows' geometry at the monitor's DPI: the form's places and sizes are
// designed for 96 DPI and scaled, so that the window keeps its layout at 150 % and 200 %.
#ifndef KLV_MAKER_WIN32_DPI_H_
#define KLV_MAKER_WIN32_DPI_H_

#include <windows.h>

#include "form/control_table.h"

namespace klv::win32 {

// `design` pixels at 96 DPI, at `dpi`.
inline int ScaleForDpi(int design, UINT dpi) {
  return MulDiv(design, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI);
}

// The place `place` of the design, at `dpi`, as a rectangle of its edges.
inline RECT ScaleForDpi(const form::Rect& place, UINT dpi) {
  return {ScaleForDpi(place.x, dpi), ScaleForDpi(place.y, dpi),
          ScaleForDpi(place.x + place.width, dpi), ScaleForDpi(place.y + place.height, dpi)};
}

}  // namespace klv::win32

#endif  // KLV_MAKER_WIN32_DPI_H_
