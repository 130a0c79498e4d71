// klvmake's command line: the options as one plain struct, read from the arguments
// without any output, so that the reading can be tested apart from the make.
#ifndef KLV_MAKER_CLI_OPTIONS_H_
#define KLV_MAKER_CLI_OPTIONS_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/platform.h"
#include "maker/colors.h"
#include "maker/picture_fit.h"

namespace klv {

struct Options {
  ProgramArgument picture;                            // the one argument that is no option
  std::string out;                                    // platform's path encoding; empty: here
  std::optional<std::string> name, setName, comment;  // UTF-8, as given
  int16_t colorIndex = kBackgroundChoices[kStartChoice].paletteIndex;
  std::string pieceDensity = "30";       // the densities' texts, read as the window reads
  std::string backgroundDensity = "15";  // its boxes
  std::optional<uint32_t> seed;          // nothing: seeded from the clock
  bool fit = false;                      // fit the picture to the grid
  std::optional<CropRect> crop;          // cut first, in the upright picture's pixels
  bool keepWorkFiles = false;
  bool help = false;
  bool version = false;

  // Puzzle sets: every argument that is no option, in order (`picture` is the first).
  std::vector<ProgramArgument> pictures;
  bool chain = false;                   // PrevPassWord = the password of the puzzle before
  std::optional<std::string> manifest;  // platform's path encoding
  std::optional<unsigned> jobs;         // -j N, 1 to kMaxJobs; nothing: the processors
};

inline constexpr unsigned kMaxJobs = 64;
// The densities are percentages: plain decimal numbers from 0 to kMaxDensity.
inline constexpr int kMaxDensity = 100;

// Reads `args` (the arguments after the program's name). Options take their value as the
// next argument or after "=" ("--out DIR", "--out=DIR"); "--" ends the options. On a usage
// error returns nothing and sets *error to one line without the program's name: an
// unknown option, a missing or extra value, no picture (unless --help or --version),
// a path that the platform cannot name, an unknown colour, a density that is not a plain
// decimal number from 0 to kMaxDensity (digits and at most one ".", as "30" or "55.5"),
// a seed that is not a whole number from 0 to 4294967295, a crop that is not WxH+X+Y (a
// crop outside the picture is found when the picture is read), a job count that is not
// from 1 to kMaxJobs. "-j N" and "-jN" are --jobs.
std::optional<Options> ParseOptions(const std::vector<ProgramArgument>& args, std::string* error);

// The text that --help prints (and the manual page is made from), every limit in it
// formatted from the constant the program checks.
std::string UsageText();

}  // namespace klv

#endif  // KLV_MAKER_CLI_OPTIONS_H_
