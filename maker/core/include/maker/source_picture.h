// The make's source picture from a picture file: the one way in that klvmake and the window
// both take. Reads the file, turns it upright, applies a person's crop, and either fits it
// to the grid or checks that it fits as it is (at most 335 x 335 pixels), so that a small
// bitmap gives exactly the raster it always has.
#ifndef KLV_MAKER_SOURCE_PICTURE_H_
#define KLV_MAKER_SOURCE_PICTURE_H_

#include <optional>
#include <string>

#include "maker/picture_fit.h"
#include "maker/raster.h"

namespace klv {

class Env;

struct SourceOptions {
  bool fit = false;              // fit the picture to the grid (--fit)
  std::optional<CropRect> crop;  // cut this first, in the upright picture's pixels (--crop)
  // Without fit: false takes the picture whatever its size, for a window that shows a
  // picture it will not make (its decoders' own limits still hold).
  bool checkSize = true;
};

enum class SourceProblem {
  kUnreadable,     // the file cannot be read, or holds no picture this build reads
  kCropOutside,    // the crop reaches outside the picture: a usage error
  kTooLarge,       // over 335 pixels on a side without fit
  kTooSmallToFit,  // fit asked of a picture under 64 pixels on a side
  kTooSmall,       // without fit, a grid without a tile (a side under 49 pixels)
};

struct SourceError {
  SourceProblem problem = SourceProblem::kUnreadable;
  std::string cause;  // English, without the file's name
  // The upright picture's size (the crop's, when there is one), where it is known: with
  // kTooLarge and kTooSmall and the limits of grid.h, what a front end words in its
  // user's language.
  int width = 0;
  int height = 0;
};

// The source Raster for the picture file at `path` (the platform's narrow encoding):
// the picture upright, over white, cut to options.crop when given; then with options.fit
// scaled and cut by PlanFit, so that its sides are multiples of 32 from 64 to 320;
// without it unchanged, and (with options.checkSize) refused when its grid does not fit
// (GridFits), and otherwise when a side is under one tile (kTileSize). Sizes are
// checked before pixels are decoded, which DecodeFittedPicture then crops and fits as
// they are decoded (a JPEG fitted without a crop reduced in its DCT). On failure returns
// nothing and fills *error (when not null).
std::optional<Raster> ReadSourcePicture(Env& env, const std::string& path,
                                        const SourceOptions& options, SourceError* error);

// The one-line message for `error` in English that names the file as `display_name`
// (UTF-8): "NAME: cannot read the picture: CAUSE", "NAME: the picture is too large: W x H
// pixels; ...", "NAME: the crop WxH+X+Y reaches outside the W x H picture", ...
std::string SourceErrorMessage(const std::string& display_name, const SourceError& error);

}  // namespace klv

#endif  // KLV_MAKER_SOURCE_PICTURE_H_
