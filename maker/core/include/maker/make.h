// The make: what the make button (or klvmake) runs once per puzzle. PrepareWorkCanvas,
// RenderTileEffect, then FinishMake: the work files (tiles, base.bmp, Puzzle.ini) are
// written to the work folder, handed to the package library's FileConv, and removed.
#ifndef KLV_MAKER_MAKE_H_
#define KLV_MAKER_MAKE_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "maker/grid.h"
#include "maker/raster.h"
#include "maker/work_canvas.h"

namespace klv {

class Env;
class KLVUtilsClient;

// Everything one make reads, as the window (or the command line) holds it.
struct MakeRequest {
  Raster source;              // the chosen picture, as decoded for the preview
  Grid grid;                  // from the picture click; must fit (GridFits)
  std::string workFolder;     // the destination folder's path, as the directory list shows it
  std::string puzzleName;     // code page 932, unchanged (the library cuts it)
  std::string puzzleSetName;  // code page 932
  std::string comment;        // code page 932; written as LongPuzzleName
  std::string password;       // the run's puzzle password
  // Written as PrevPassWord when given (a set's chain; the first puzzle's is empty);
  // nothing leaves the key as the folder's Puzzle.ini has it.
  std::optional<std::string> prevPassword;
  std::string pieceDensityText = "30";       // the piece density box's text
  std::string backgroundDensityText = "15";  // the background density box's text
  int backColorIndex = 13;                   // QBColor palette index
  uint32_t seed = 0;                         // seeds the tile effect's random source
  bool keepWorkFiles = false;                // leave the work files for inspection
};

// The two forms of the work folder's path P: the prefix put in front of every file name
// (P plus one separator, or P itself when it ends in one) and the argument for FileConv
// (P, or P without its last character when it ends in a separator). On Linux "/" gives
// "/" and ""; on Windows "C:\" gives "C:\" and "C:".
struct WorkPaths {
  std::string filePrefix;
  std::string folderArgument;
};
WorkPaths DeriveWorkPaths(const std::string& folder);

// The make writes base.bmp, Puzzle.ini and its tile files into the work folder and then
// removes them with every other "res????.bmp" there, so a picture that is one of those
// files would be overwritten and deleted. The name of the work file that `picture` (a
// path in the platform's narrow encoding) is in `work_folder`, or nothing.
std::optional<std::string> WorkFileOfPicture(const std::string& picture,
                                             const std::string& work_folder);

// How a make reaches FileConv. The default loads KLVUtils at the first call.
class PackageConverter {
 public:
  virtual ~PackageConverter() = default;
  // FileConv's result (1 or 0), or nothing when the library or its entry cannot be
  // found (*cause says which).
  virtual std::optional<int16_t> Convert(const std::string& folder_argument,
                                         std::string* cause) = 0;
};

// Loads KLVUtils by its bare name at the first Convert and keeps it loaded. Every message
// of the library goes to `message_handler` when one is given (platform's narrow encoding);
// it runs on the thread that called Convert. Convert may be called from several threads:
// the calls run one at a time, since FileConv keeps process-wide state.
std::unique_ptr<PackageConverter> MakeLibraryConverter(
    Env& env, std::function<void(const std::string& text)> message_handler = nullptr);

enum class MakeStatus {
  kPackageWritten,      // FileConv returned 1
  kConversionFailed,    // FileConv returned 0 (its messages said why)
  kLibraryMissing,      // KLVUtils or its FileConv entry was not found
  kWorkFileNotWritten,  // a tile, base.bmp or Puzzle.ini could not be written
  kGridTooLarge,        // the request's grid does not fit; nothing was written
};

struct MakeResult {
  MakeStatus status = MakeStatus::kPackageWritten;
  std::string cause;  // for failures: what failed, naming the file (UTF-8 on Linux)
};

// Runs between the conversion and the removal of the work files: the window shows its
// completion (or failure) message and saves its settings here.
using AfterConversion = std::function<void(const MakeResult& conversion)>;

// Writes the work files of `canvas` for `request`, writes Puzzle.ini (updating an
// existing one), calls FileConv, runs `after_conversion`, then removes every
// "res????.bmp", base.bmp and Puzzle.ini of the folder unless request.keepWorkFiles.
// Each surface is freed once its file is written. A work file that cannot be written
// stops the make before the conversion; the files written so far stay. When KLVUtils or
// its FileConv cannot be found, the make returns kLibraryMissing at once:
// `after_conversion` is not run and the work files stay. Finding no tile file to remove
// is not an error.
MakeResult FinishMake(Env& env, WorkCanvas canvas, const MakeRequest& request,
                      PackageConverter& converter, const AfterConversion& after_conversion);

// Runs once the surfaces are rendered, before they are saved: the window shows the work
// canvas here.
using CanvasRendered = std::function<void(const WorkCanvas& canvas)>;

// The whole make: densities from the boxes' texts, PrepareWorkCanvas, RenderTileEffect
// with a RandomSource seeded by request.seed, `canvas_rendered`, FinishMake.
MakeResult MakePuzzle(Env& env, const MakeRequest& request, PackageConverter& converter,
                      const AfterConversion& after_conversion = nullptr,
                      const CanvasRendered& canvas_rendered = nullptr);

}  // namespace klv

#endif  // KLV_MAKER_MAKE_H_
