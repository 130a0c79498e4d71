// The picture boxes of the Windows windows: the preview SrcPic and the work canvas's
// surfaces DesPic and BasePic. A box shows one picture at 1:1 from its top-left corner,
// on a plain background; a box that follows its picture takes the picture's size.
#ifndef KLV_MAKER_WIN32_PICTURE_BOX_H_
#define KLV_MAKER_WIN32_PICTURE_BOX_H_

#include <windows.h>

#include "maker/raster.h"

namespace klv::win32 {

// Registers the window class once per process. False when it cannot be registered.
bool RegisterPictureBox(HINSTANCE instance);

// A picture box, a child of `parent` with the control id `id`, at `place` (client pixels).
// `follows_picture`: the box takes the size of each picture it shows.
HWND CreatePictureBox(HWND parent, int id, const RECT& place, COLORREF background,
                      bool follows_picture);

// Shows `picture` (0xRRGGBB pixels) in `box`, replacing what it showed.
void ShowPicture(HWND box, const Raster& picture);

// Draws `picture` (0xRRGGBB pixels; the top byte is ignored) on `dc` with its top-left
// corner at (x, y), each pixel as a square of `zoom` x `zoom` (zoom >= 1).
void DrawRaster(HDC dc, int x, int y, const Raster& picture, int zoom = 1);

}  // namespace klv::win32

#endif  // KLV_MAKER_WIN32_PICTURE_BOX_H_
