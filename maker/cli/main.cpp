// klvmake: makes one puzzle package from one picture without a window, exactly as the
// maker's make button does: the same grid, tile effect, work files and hand-off to KLVUtils.
// Texts arrive in UTF-8 and go to the package in code page 932; messages go to stderr.
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "base/codepage.h"
#include "base/platform.h"
#include "base/text.h"
#include "base/work_folder.h"
#include "maker/bitmap_codec.h"
#include "maker/grid.h"
#include "maker/make.h"
#include "maker/make_values.h"
#include "maker/settings.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace klv {
namespace {

constexpr int kExitWritten = 0;
constexpr int kExitMakeFailed = 1;
constexpr int kExitUsage = 2;

constexpr char kUsage[] =
    "usage: klvmake PICTURE [options]\n"
    "Makes one puzzle package (.klv) from one bitmap picture of at most 335 x 335 pixels.\n"
    "\n"
    "  --out DIR                 destination folder (default: the current folder)\n"
    "  --name TEXT               puzzle name, also the package's file name (default: the\n"
    "                            picture's file name up to its first \".\", 15 characters)\n"
    "  --set-name TEXT           puzzle-set name (default \"ﾊﾟｽﾞﾙｾｯﾄ名\")\n"
    "  --comment TEXT            description of the picture (default \"コメント\")\n"
    "  --color NAME              tile background: black, blue, green, cyan, red, magenta,\n"
    "                            yellow or white (default magenta)\n"
    "  --piece-density N         piece density box, in percent (default 30)\n"
    "  --background-density N    background density box, in percent (default 15)\n"
    "  --seed N                  seed the random source with N (0 to 4294967295) instead of\n"
    "                            the clock: the same picture, options and seed give the\n"
    "                            same package\n"
    "  --keep-work-files         leave the tile files, base.bmp and Puzzle.ini in DIR\n"
    "  --help                    show this text\n"
    "\n"
    "Exit status: 0 package written, 1 make failed, 2 usage error.\n";

struct ColorOption {
  const char* name;
  int index;
};
constexpr ColorOption kColors[] = {
    {"black", 0}, {"blue", 9},     {"green", 10},  {"cyan", 11},
    {"red", 12},  {"magenta", 13}, {"yellow", 14}, {"white", 15},
};

// One command-line argument in both forms: UTF-8 for texts, the platform's encoding for
// paths (they are the same on Linux).
struct Argument {
  std::string utf8;
  std::string path;
  bool has_path = true;  // false: the system's code page cannot spell it (Windows)
};

// The error for a path argument that this platform cannot name.
bool PathUnavailable(const Argument& argument, const std::string& what) {
  if (argument.has_path) return false;
  std::cerr << "klvmake: " << what << " \"" << argument.utf8
            << "\" has characters that the system's code page cannot hold\n";
  return true;
}

struct Options {
  Argument picture;
  std::string out;                                    // platform's path encoding
  std::optional<std::string> name, setName, comment;  // UTF-8
  int colorIndex = 13;
  std::string pieceDensity = "30";
  std::string backgroundDensity = "15";
  std::optional<uint32_t> seed;
  bool keepWorkFiles = false;
  bool help = false;
};

void PrintError(const std::string& text) { std::cerr << "klvmake: " << text << '\n'; }

void PrintWarning(const std::string& text) { std::cerr << "klvmake: warning: " << text << '\n'; }

std::string ToLowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

std::optional<uint32_t> ParseSeed(const std::string& text) {
  if (text.empty() || text.size() > 10) return std::nullopt;
  uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<uint64_t>(c - '0');
  }
  if (value > UINT32_MAX) return std::nullopt;
  return static_cast<uint32_t>(value);
}

// "U+" and the code point in at least four hexadecimal digits.
std::string CodePointText(char32_t code_point) {
  char text[16];
  std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(code_point));
  return text;
}

// The code page 932 form of the UTF-8 text `utf8` given for `what`; on failure *error
// names the character that has no such form.
std::optional<std::string> TextToCp932(const std::string& utf8, const std::string& what,
                                       std::string* error) {
  if (std::optional<std::string> converted = Utf8ToCp932(utf8)) return converted;
  for (size_t i = 0; i < utf8.size();) {
    const std::optional<Utf8Character> character = DecodeUtf8(utf8, i);
    if (!character) {
      *error = what + ": the text is not valid UTF-8";
      return std::nullopt;
    }
    const std::string sequence = utf8.substr(i, character->length);
    if (!Utf8ToCp932(sequence)) {
      *error = what + ": the character \"" + sequence + "\" (" +
               CodePointText(character->codePoint) + ") cannot be written in code page 932";
      return std::nullopt;
    }
    i += character->length;
  }
  *error = what + ": the text cannot be written in code page 932";
  return std::nullopt;
}

// Warns about what the package will not keep of a text: bytes beyond its field and
// everything after a line break (a profile value ends at its line).
void WarnAboutText(const std::string& what, const std::string& cp932, size_t limit) {
  if (cp932.find_first_of("\r\n") != std::string::npos) {
    PrintWarning(what + " holds a line break; the package keeps its first line only");
  }
  if (cp932.size() > limit) {
    // The cut never splits a double-byte character, so it may keep one byte less.
    const size_t kept = CutToByteLimit(cp932, limit).size();
    PrintWarning(what + " is " + std::to_string(cp932.size()) +
                 " bytes in code page 932; the package keeps its first " + std::to_string(kept) +
                 " bytes");
  }
}

// Reads the options; on a usage error prints it and returns nothing.
std::optional<Options> ParseOptions(const std::vector<Argument>& args) {
  Options options;
  bool have_picture = false;
  bool options_ended = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i].utf8;
    if (options_ended || arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
      if (!options_ended && !arg.empty() && arg[0] == '-') {
        PrintError("unknown option \"" + arg + "\" (see klvmake --help)");
        return std::nullopt;
      }
      if (have_picture) {
        PrintError("more than one picture given: \"" + args[i].path + "\" (see klvmake --help)");
        return std::nullopt;
      }
      if (PathUnavailable(args[i], "the picture")) return std::nullopt;
      options.picture = args[i];
      have_picture = true;
      continue;
    }
    if (arg == "--") {
      options_ended = true;
      continue;
    }

    // --option VALUE and --option=VALUE.
    std::string option = arg;
    std::optional<Argument> inline_value;
    const size_t equals = arg.find('=');
    if (equals != std::string::npos) {
      option = arg.substr(0, equals);
      const size_t path_equals = args[i].path.find('=');
      inline_value =
          Argument{arg.substr(equals + 1), args[i].path.substr(path_equals + 1), args[i].has_path};
    }
    if (option == "--help" || option == "--keep-work-files") {
      if (inline_value) {
        PrintError(option + " takes no value");
        return std::nullopt;
      }
      (option == "--help" ? options.help : options.keepWorkFiles) = true;
      continue;
    }
    static const char* const kValueOptions[] = {
        "--out",   "--name",          "--set-name",           "--comment",
        "--color", "--piece-density", "--background-density", "--seed"};
    bool known = false;
    for (const char* name : kValueOptions) known = known || option == name;
    if (!known) {
      PrintError("unknown option \"" + option + "\" (see klvmake --help)");
      return std::nullopt;
    }
    Argument value;
    if (inline_value) {
      value = *inline_value;
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      PrintError(option + " needs a value");
      return std::nullopt;
    }

    if (option == "--out") {
      if (PathUnavailable(value, "--out: the folder")) return std::nullopt;
      if (value.path.empty()) {
        PrintError("--out: the folder name is empty");
        return std::nullopt;
      }
      options.out = value.path;
    } else if (option == "--name") {
      options.name = value.utf8;
    } else if (option == "--set-name") {
      options.setName = value.utf8;
    } else if (option == "--comment") {
      options.comment = value.utf8;
    } else if (option == "--color") {
      bool found = false;
      for (const ColorOption& color : kColors) {
        if (ToLowerAscii(value.utf8) == color.name) {
          options.colorIndex = color.index;
          found = true;
        }
      }
      if (!found) {
        PrintError("--color: unknown colour \"" + value.utf8 +
                   "\"; one of black, blue, green, cyan, red, magenta, yellow, white");
        return std::nullopt;
      }
    } else if (option == "--piece-density") {
      options.pieceDensity = value.utf8;
    } else if (option == "--background-density") {
      options.backgroundDensity = value.utf8;
    } else if (option == "--seed") {
      options.seed = ParseSeed(value.utf8);
      if (!options.seed) {
        PrintError("--seed: \"" + value.utf8 + "\" is not a number from 0 to 4294967295");
        return std::nullopt;
      }
    }
  }
  if (!options.help && !have_picture) {
    PrintError("no picture given (see klvmake --help)");
    return std::nullopt;
  }
  return options;
}

// The file name of `path` without its folder, in UTF-8.
std::string FileNameUtf8(const Argument& picture) {
  const std::string& utf8 = picture.utf8;
  size_t start = utf8.find_last_of('/');
#if defined(_WIN32)
  const size_t backslash = utf8.find_last_of('\\');
  if (backslash != std::string::npos && (start == std::string::npos || backslash > start)) {
    start = backslash;
  }
#endif
  return start == std::string::npos ? utf8 : utf8.substr(start + 1);
}

std::string Cp932ForDisplay(const std::string& cp932) { return Cp932ToUtf8(cp932).value_or(cp932); }

int Run(const std::vector<Argument>& args) {
  const std::optional<Options> parsed = ParseOptions(args);
  if (!parsed) return kExitUsage;
  const Options& options = *parsed;
  if (options.help) {
    std::cout << kUsage;
    return kExitWritten;
  }

  // Texts first: a text that cannot be written is a usage error, found before any work.
  const Settings defaults = DefaultSettings();
  std::string error;
  std::string puzzle_name;
  if (options.name) {
    const std::optional<std::string> converted = TextToCp932(*options.name, "--name", &error);
    if (!converted) {
      PrintError(error);
      return kExitUsage;
    }
    puzzle_name = *converted;
  } else {
    const std::string file_name = FileNameUtf8(options.picture);
    const std::optional<std::string> converted =
        TextToCp932(file_name, options.picture.utf8 + ": the file name", &error);
    if (!converted) {
      PrintError(error + "; give the puzzle name with --name");
      return kExitUsage;
    }
    puzzle_name = ProposePuzzleName(*converted);
  }
  std::string set_name = defaults.puzzleSetName;
  if (options.setName) {
    const std::optional<std::string> converted =
        TextToCp932(*options.setName, "--set-name", &error);
    if (!converted) {
      PrintError(error);
      return kExitUsage;
    }
    set_name = *converted;
  }
  std::string comment = defaults.longPuzzleName;
  if (options.comment) {
    const std::optional<std::string> converted = TextToCp932(*options.comment, "--comment", &error);
    if (!converted) {
      PrintError(error);
      return kExitUsage;
    }
    comment = *converted;
  }
  // The puzzle name is also the package's file name: a folder separator would put the
  // package somewhere else.
  if (puzzle_name.find('/') != std::string::npos) {
    PrintError("the puzzle name \"" + Cp932ForDisplay(puzzle_name) +
               "\" contains \"/\"; it names the package file");
    return kExitUsage;
  }
#if defined(_WIN32)
  for (size_t i = 0; i < puzzle_name.size(); i += Cp932CharacterWidth(puzzle_name, i)) {
    if (puzzle_name[i] == '\\' || puzzle_name[i] == ':') {
      PrintError("the puzzle name \"" + Cp932ForDisplay(puzzle_name) +
                 "\" contains a folder separator; it names the package file");
      return kExitUsage;
    }
  }
#endif

  Env& env = Env::Default();
  std::string work_folder = options.out;
  if (work_folder.empty()) {
    const std::optional<std::string> current = CurrentFolder();
    if (!current) {
      PrintError("cannot find the current folder");
      return kExitMakeFailed;
    }
    work_folder = *current;
  }
  if (!IsFolder(work_folder)) {
    PrintError(work_folder + ": the destination folder does not exist");
    return kExitMakeFailed;
  }
  if (const std::optional<std::string> work_file =
          WorkFileOfPicture(options.picture.path, work_folder)) {
    PrintError(options.picture.utf8 + ": the picture is the work file " + *work_file +
               " of the destination folder, which the make overwrites and removes; "
               "choose another destination folder or rename the picture");
    return kExitMakeFailed;
  }

  std::string cause;
  std::optional<Raster> picture = LoadPicture(env, options.picture.path, &cause);
  if (!picture) {
    PrintError(options.picture.utf8 + ": cannot read the picture: " + cause);
    return kExitMakeFailed;
  }
  const Grid grid = GridForPicture(picture->width, picture->height);
  if (!GridFits(grid)) {
    PrintError(options.picture.utf8 + ": 画像が大きすぎです (" + std::to_string(picture->width) +
               " x " + std::to_string(picture->height) +
               " pixels; a picture may be at most 335 x 335 pixels)");
    return kExitMakeFailed;
  }
  if (puzzle_name.empty()) PrintWarning("the puzzle name is empty; the package is named \".klv\"");
  WarnAboutText("the puzzle name", puzzle_name, kPuzzleNameBytes);
  WarnAboutText("the puzzle-set name", set_name, kPuzzleSetNameBytes);
  WarnAboutText("the comment", comment, kLongPuzzleNameBytes);
  std::cout << Cp932ForDisplay(GridStatusText(grid)) << '\n';

  // Without --seed both seedings come from the clock, as in the window.
  RandomSource password_source(options.seed ? *options.seed : RandomSource::ClockSeed());
  MakeRequest request;
  request.source = std::move(*picture);
  request.grid = grid;
  request.workFolder = work_folder;
  request.puzzleName = puzzle_name;
  request.puzzleSetName = set_name;
  request.comment = comment;
  request.password = MakePuzzlePassword(password_source);
  request.pieceDensityText = options.pieceDensity;
  request.backgroundDensityText = options.backgroundDensity;
  request.backColorIndex = options.colorIndex;
  request.seed = options.seed ? *options.seed : RandomSource::ClockSeed();
  request.keepWorkFiles = options.keepWorkFiles;

  std::unique_ptr<PackageConverter> converter =
      MakeLibraryConverter(env, [](const std::string& text) {
        std::string line;
#if defined(_WIN32)
        line = Cp932ForDisplay(text);
#else
        line = text;
#endif
        std::cerr << "klvmake: KLVUtils: " << OneLine(line) << '\n';
      });
  const MakeResult result = MakePuzzle(env, request, *converter);
  if (result.status != MakeStatus::kPackageWritten) {
    PrintError(result.cause);
    return kExitMakeFailed;
  }
  const WorkPaths paths = DeriveWorkPaths(work_folder);
  std::cout << paths.filePrefix
            << Cp932ForDisplay(std::string(CutToByteLimit(puzzle_name, kPuzzleNameBytes)))
            << kPackageExtension << '\n';
  return kExitWritten;
}

}  // namespace
}  // namespace klv

// The arguments come from the platform seam: on Windows from the wide command line,
// texts as UTF-8 and paths in the system's code page, converted without look-alikes.
int main(int argc, char** argv) {
#if defined(_WIN32)
  SetConsoleOutputCP(CP_UTF8);
#endif
  std::vector<klv::Argument> args;
  for (const klv::ProgramArgument& argument : klv::ProgramArguments(argc, argv)) {
    args.push_back(klv::Argument{argument.utf8, argument.path.value_or(std::string()),
                                 argument.path.has_value()});
  }
  return klv::Run(args);
}
