// Reading klvmake's options: one pass over the arguments, a table of the options that
// take a value, and no output; the caller reports the error.
#include "options.h"

#include <algorithm>
#include <charconv>
#include <csignal>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "base/platform.h"
#include "interrupt.h"
#include "maker/grid.h"
#include "maker/make_values.h"
#include "maker/settings.h"

namespace klv {
namespace {

// False, with *error set, when the platform cannot name the path `argument` stands for.
bool HasPath(const ProgramArgument& argument, const std::string& what, std::string* error) {
  if (argument.path) return true;
  *error =
      what + " \"" + argument.utf8 + "\" has characters that the system's code page cannot hold";
  return false;
}

// A whole decimal number from 0 to 4294967295, without sign or blanks.
std::optional<uint32_t> ParseSeed(std::string_view text) {
  uint32_t value = 0;
  const char* end = text.data() + text.size();
  const std::from_chars_result parsed = std::from_chars(text.data(), end, value);
  if (parsed.ec != std::errc() || parsed.ptr != end) return std::nullopt;
  return value;
}

// Sets *density to `text` when it is a plain decimal number from 0 to kMaxDensity:
// digits with at most one decimal point among them ("30", "55.5", ".5"), no sign,
// exponent or blanks. The make reads the text as the window reads its boxes.
bool TakeDensity(const char* option, const std::string& text, std::string* density,
                 std::string* error) {
  const bool digits_only = std::all_of(text.begin(), text.end(),
                                       [](char c) { return (c >= '0' && c <= '9') || c == '.'; });
  const bool plain = digits_only && std::count(text.begin(), text.end(), '.') <= 1 &&
                     std::any_of(text.begin(), text.end(), [](char c) { return c != '.'; });
  if (!plain || BoxNumber(text) > kMaxDensity) {
    *error = std::string(option) + ": \"" + text + "\" is not a number from 0 to " +
             std::to_string(kMaxDensity) + " (a percentage such as 30 or 55.5)";
    return false;
  }
  *density = text;
  return true;
}

std::string ColourNames() {
  std::string names;
  for (const BackgroundChoice& choice : kBackgroundChoices) {
    if (!names.empty()) names += ", ";
    names += choice.name;
  }
  return names;
}

std::string Number(int64_t value) { return std::to_string(value); }

std::string Side(int side) { return Number(side) + " x " + Number(side); }

// A text of the maker's defaults, for the help.
std::string DefaultText(const std::string& cp932) { return Cp932ToUtf8(cp932).value_or(cp932); }

// Stores `value` into `options`; false, with *error set, when the value is not allowed.
using ApplyValue = bool (*)(const ProgramArgument& value, Options& options, std::string* error);

struct ValueOption {
  std::string_view name;
  ApplyValue apply;
};

constexpr ValueOption kValueOptions[] = {
    {"--out",
     [](const ProgramArgument& value, Options& options, std::string* error) {
       if (!HasPath(value, "--out: the folder", error)) return false;
       if (value.path->empty()) {
         *error = "--out: the folder name is empty";
         return false;
       }
       options.out = *value.path;
       return true;
     }},
    {"--name",
     [](const ProgramArgument& value, Options& options, std::string*) {
       options.name = value.utf8;
       return true;
     }},
    {"--set-name",
     [](const ProgramArgument& value, Options& options, std::string*) {
       options.setName = value.utf8;
       return true;
     }},
    {"--comment",
     [](const ProgramArgument& value, Options& options, std::string*) {
       options.comment = value.utf8;
       return true;
     }},
    {"--color",
     [](const ProgramArgument& value, Options& options, std::string* error) {
       const std::optional<int16_t> index = BackgroundIndexByName(value.utf8);
       if (!index) {
         *error = "--color: unknown colour \"" + value.utf8 + "\"; one of " + ColourNames();
         return false;
       }
       options.colorIndex = *index;
       return true;
     }},
    {"--piece-density",
     [](const ProgramArgument& value, Options& options, std::string* error) {
       return TakeDensity("--piece-density", value.utf8, &options.pieceDensity, error);
     }},
    {"--background-density",
     [](const ProgramArgument& value, Options& options, std::string* error) {
       return TakeDensity("--background-density", value.utf8, &options.backgroundDensity, error);
     }},
    {"--crop",
     [](const ProgramArgument& value, Options& options, std::string* error) {
       const StatusOr<CropRect> crop = ParseCrop(value.utf8);
       if (!crop.ok()) {
         *error = "--crop: \"" + value.utf8 + "\": " + crop.status().reason();
         return false;
       }
       options.crop = *crop;
       return true;
     }},
    {"--seed",
     [](const ProgramArgument& value, Options& options, std::string* error) {
       options.seed = ParseSeed(value.utf8);
       if (!options.seed) {
         *error = "--seed: \"" + value.utf8 + "\" is not a number from 0 to 4294967295";
         return false;
       }
       return true;
     }},
    {"--manifest",
     [](const ProgramArgument& value, Options& options, std::string* error) {
       if (!HasPath(value, "--manifest: the file", error)) return false;
       options.manifest = *value.path;
       return true;
     }},
    {"--jobs",
     [](const ProgramArgument& value, Options& options, std::string* error) {
       const std::optional<uint32_t> jobs = ParseSeed(value.utf8);
       if (!jobs || *jobs < 1 || *jobs > kMaxJobs) {
         *error =
             "--jobs: \"" + value.utf8 + "\" is not a number from 1 to " + std::to_string(kMaxJobs);
         return false;
       }
       options.jobs = *jobs;
       return true;
     }},
};

const ValueOption* FindValueOption(std::string_view name) {
  for (const ValueOption& option : kValueOptions) {
    if (option.name == name) return &option;
  }
  return nullptr;
}

// "--option=VALUE" split at its first "=": the value in both forms (the path form split
// the same way), or nothing when there is no "=".
std::optional<ProgramArgument> InlineValue(const ProgramArgument& argument) {
  const size_t equals = argument.utf8.find('=');
  if (equals == std::string::npos) return std::nullopt;
  ProgramArgument value{argument.utf8.substr(equals + 1), std::nullopt};
  if (argument.path) {
    const size_t path_equals = argument.path->find('=');
    value.path = argument.path->substr(path_equals + 1);
  }
  return value;
}

}  // namespace

// One loop over the arguments, one branch per kind of argument.
// NOLINTNEXTLINE(readability-function-cognitive-complexity)
std::optional<Options> ParseOptions(const std::vector<ProgramArgument>& args, std::string* error) {
  Options options;
  bool have_picture = false;
  bool options_ended = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i].utf8;
    if (!options_ended && arg.starts_with("-j")) {  // "-j N" and "-jN" are --jobs
      ProgramArgument value{arg.substr(2), arg.substr(2)};
      if (arg.size() == 2) {
        if (i + 1 == args.size()) {
          *error = "-j needs a value";
          return std::nullopt;
        }
        value = args[++i];
      }
      if (!FindValueOption("--jobs")->apply(value, options, error)) return std::nullopt;
      continue;
    }
    if (options_ended || !arg.starts_with("--")) {
      if (!options_ended && arg.starts_with('-')) {
        *error = "unknown option \"" + arg + "\" (see klvmake --help)";
        return std::nullopt;
      }
      if (!HasPath(args[i], "the picture", error)) return std::nullopt;
      if (!have_picture) options.picture = args[i];
      options.pictures.push_back(args[i]);
      have_picture = true;
      continue;
    }
    if (arg == "--") {
      options_ended = true;
      continue;
    }

    const std::optional<ProgramArgument> inline_value = InlineValue(args[i]);
    const std::string option = inline_value ? arg.substr(0, arg.find('=')) : arg;
    if (bool* flag = option == "--help"              ? &options.help
                     : option == "--version"         ? &options.version
                     : option == "--keep-work-files" ? &options.keepWorkFiles
                     : option == "--fit"             ? &options.fit
                     : option == "--chain"           ? &options.chain
                                                     : nullptr) {
      if (inline_value) {
        *error = option + " takes no value";
        return std::nullopt;
      }
      *flag = true;
      continue;
    }
    const ValueOption* value_option = FindValueOption(option);
    if (value_option == nullptr) {
      *error = "unknown option \"" + option + "\" (see klvmake --help)";
      return std::nullopt;
    }
    ProgramArgument value;
    if (inline_value) {
      value = *inline_value;
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      *error = option + " needs a value";
      return std::nullopt;
    }
    if (!value_option->apply(value, options, error)) return std::nullopt;
  }
  if (!options.help && !options.version && !have_picture) {
    *error = "no picture given (see klvmake --help)";
    return std::nullopt;
  }
  return options;
}

std::string UsageText() {
  const Options defaults;
  const Settings settings = DefaultSettings();
  return "Usage: klvmake PICTURE... [options]   or   klvmake FOLDER [options]\n"
         "Makes one puzzle package (.klv) per picture: BMP, PNG, JPEG or WebP (on Windows BMP,\n"
         "PNG, JPEG, GIF and TIFF). Without --fit a picture may be at most " +
         Side(kMaxPictureSide) + " pixels and\nmust be at least " + Side(kMinPictureSide) +
         ".\n"
         "\n"
         "  --fit                     scale the picture down and cut it evenly to the largest\n"
         "                            grid that keeps at least " +
         Number(kFitKeptPercent) + "% of it (at most " + Side(kMaxFitSide) +
         ")\n"
         "  --crop WxH+X+Y            first cut the W x H pixels at X, Y from the picture (as a\n"
         "                            photo viewer shows it upright)\n"
         "  --out DIR                 destination folder (default: the current folder)\n"
         "  --name TEXT               puzzle name, also the package's file name (default: the\n"
         "                            picture's file name up to its first \".\", " +
         Number(kProposedNameCharacters) +
         " characters)\n"
         "  --set-name TEXT           puzzle-set name (default \"" +
         DefaultText(settings.puzzleSetName) +
         "\")\n"
         "  --comment TEXT            description of the picture (default \"" +
         DefaultText(settings.longPuzzleName) +
         "\")\n"
         "  --color NAME              tile background (default " +
         std::string(kBackgroundChoices[kStartChoice].name) +
         "):\n"
         "                            " +
         ColourNames() +
         "\n"
         "  --piece-density N         piece density, 0 to " +
         Number(kMaxDensity) + " percent (default " + defaults.pieceDensity +
         ")\n"
         "  --background-density N    background density, 0 to " +
         Number(kMaxDensity) + " percent (default " + defaults.backgroundDensity +
         ")\n"
         "  --seed N                  seed the random source with N (0 to " +
         Number(UINT32_MAX) +
         ") instead of\n"
         "                            the clock: the same picture, options and seed give the\n"
         "                            same package\n"
         "  --keep-work-files         keep the make's work folder (tile files, base.bmp,\n"
         "                            Puzzle.ini) in DIR and print its path, ready for klvconv\n"
         "                            (one picture only)\n"
         "\n"
         "A set: klvmake PICTURE PICTURE... [options] or klvmake FOLDER [options] (every\n"
         "picture in FOLDER but hidden files, in name order) makes one package per picture,\n"
         "with the same set name, comment and options; each is named after its picture's\n"
         "file name. Every picture is read before any package is made; a picture that\n"
         "cannot be used is reported and left out, and the others are made.\n"
         "  --chain                   each package's previous password is the password of\n"
         "                            the package made before it in the set\n"
         "  --manifest FILE           write a tab-separated line per package made: picture,\n"
         "                            package, puzzle name, password, previous password, grid\n"
         "                            (a new FILE is readable by its owner alone)\n"
         "  -j N, --jobs N            make N pictures at once, 1 to " +
         Number(kMaxJobs) +
         " (default: the\n"
         "                            processors)\n"
         "  With --seed N, puzzle i of the set gets a seed derived from N and its place i\n"
         "  among the pictures given.\n"
         "\n"
         "  --help                    show this text\n"
         "  --version                 show the version\n"
         "\n"
         "The manifest: what FILE names is decided when klvmake starts. A new name or a\n"
         "regular file is written whole beside it and renamed over it at the end (a replaced\n"
         "file keeps its mode); a link to a regular file is replaced, never followed. A pipe or\n"
         "a device (or a link to one, such as /dev/stdout) is written where it is. A failed\n"
         "write leaves nothing half-written under the name.\n"
         "\n"
         "The grid line, a picture too large or too small, and the messages of the package\n"
         "library are in Japanese when the user's language is Japanese, otherwise in English;\n"
         "the language never changes a package.\n"
         "\n"
         "Exit status: 0 every package written, 1 a make failed, 2 usage error, " +
         Number(InterruptedStatus(SIGINT)) + " interrupted\n(Ctrl-C), " +
         Number(InterruptedStatus(SIGTERM)) + " terminated (SIGTERM).\n";
}

}  // namespace klv
