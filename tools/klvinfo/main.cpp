// klvinfo PACKAGE...: looks inside puzzle packages with the package reader: a summary,
// a JSON object, a check, the work folder unpacked, the solved picture or a sheet of all
// pictures. Exit status 0 sound, 1 damaged or failed, 2 usage; messages on stderr, one
// line each, naming the file.
#include <csignal>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/named_output.h"
#include "base/platform.h"
#include "base/version.h"
#include "format/package_reader.h"
#include "klvinfo/package_report.h"
#include "klvinfo/picture_file.h"
#include "klvinfo/work_folder_export.h"
#include "maker/package_pictures.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace klv {
namespace {

constexpr int kSound = 0;
constexpr int kDamaged = 1;
constexpr int kUsageError = 2;

constexpr const char* kUsage =
    "Usage: klvinfo [OPTION] [--] PACKAGE...\n"
    "Shows what puzzle packages (.klv) hold: the texts, the grid, the picture size, the\n"
    "background colour, the difficulty, the file version, the password and the previous\n"
    "password, the tile count, the file size, and any damage found. Texts are shown in\n"
    "UTF-8, converted from the package's code page 932; a byte that is not code page 932\n"
    "is shown as \\xNN.\n"
    "\n"
    "Options:\n"
    "      --json           print one JSON object for PACKAGE with the keys fileVersion,\n"
    "                       xMax, yMax, tileWidth, tileHeight, pictureWidth,\n"
    "                       pictureHeight, difficulty, backColor, password, prevPassword,\n"
    "                       puzzleSetName, puzzleName, comment, tiles, bytes and problems\n"
    "      --check          check every PACKAGE: print \"PACKAGE: sound\" for a sound one,\n"
    "                       and each problem of a damaged one on standard error\n"
    "      --extract DIR    write the work folder of PACKAGE into DIR, a new name or an\n"
    "                       empty folder: Puzzle.ini, base.bmp and the tiles resRRCC.bmp,\n"
    "                       from which 'klvconv DIR' makes the same package again; a text\n"
    "                       that Puzzle.ini cannot keep as it is (blanks at either end,\n"
    "                       enclosing quotes) is warned about; a grid of more than 144\n"
    "                       tiles, more than a package holds, is refused\n"
    "      --picture FILE   draw the picture of PACKAGE put back together from its tiles,\n"
    "                       as the player shows the solved puzzle: pixels of the\n"
    "                       background colour are transparent\n"
    "      --sheet FILE     draw the base picture and every tile in its grid place\n"
    "  -h, --help           show this help and exit\n"
    "      --version        show the version and exit\n"
    "\n"
    "FILE is written as PNG (8-bit RGBA) when its name ends in .png, otherwise as a 24-bit\n"
    "BMP, in which transparent pixels keep the background colour.\n"
    "\n"
    "Outputs: what FILE or DIR names is decided when klvinfo starts. A new name or a\n"
    "regular file is written whole beside it and renamed over it at the end (a replaced\n"
    "file keeps its mode); a link to a regular file is replaced, never followed. A pipe or\n"
    "a device (or a link to one, such as /dev/stdout) is written where it is. DIR is\n"
    "filled as a folder of its own beside it and renamed into place at the end; a link is\n"
    "refused. A failed write leaves nothing half-written under the name.\n"
    "\n"
    "Problems are printed on standard error, one per line: \"klvinfo: PACKAGE: CHUNK at\n"
    "offset N: what is wrong\".\n"
    "\n"
    "Exit status: 0 when every PACKAGE is sound and every output was written, 1 when a\n"
    "package is damaged or cannot be read or an output cannot be written, 2 for a usage\n"
    "error.\n";

enum class Action { kSummary, kJson, kCheck, kExtract, kPicture, kSheet };

struct Options {
  Action action = Action::kSummary;
  const char* action_name = nullptr;      // the option that chose the action
  std::optional<ProgramArgument> target;  // DIR or FILE
  std::vector<ProgramArgument> packages;
};

// One line: line breaks inside (a file name may hold them) become spaces.
std::string OneLine(std::string text) {
  for (char& c : text) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  return text;
}

void Say(const std::string& about, const std::string& what) {
  std::fprintf(stderr, "klvinfo: %s: %s\n", OneLine(about).c_str(), OneLine(what).c_str());
}

int UsageError(const std::string& problem) {
  std::fprintf(stderr, "klvinfo: %s\nTry 'klvinfo --help'.\n", OneLine(problem).c_str());
  return kUsageError;
}

// Parses the arguments; on a usage error returns its exit status.
// NOLINTNEXTLINE(readability-function-cognitive-complexity)
std::optional<int> ParseArguments(const std::vector<ProgramArgument>& args, Options& options) {
  struct Choice {
    const char* name;
    Action action;
    bool takes_value;
  };
  static constexpr Choice kChoices[] = {
      {"--json", Action::kJson, false},      {"--check", Action::kCheck, false},
      {"--extract", Action::kExtract, true}, {"--picture", Action::kPicture, true},
      {"--sheet", Action::kSheet, true},
  };
  bool options_done = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i].utf8;
    if (options_done || arg.size() < 2 || arg[0] != '-') {
      options.packages.push_back(args[i]);
      continue;
    }
    if (arg == "--") {
      options_done = true;
      continue;
    }
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return kSound;
    }
    if (arg == "--version") {
      std::fputs(VersionText("klvinfo").c_str(), stdout);
      return kSound;
    }
    const size_t equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    const Choice* choice = nullptr;
    for (const Choice& c : kChoices) {
      if (name == c.name) choice = &c;
    }
    if (choice == nullptr) return UsageError("unknown option '" + name + "'");
    if (options.action_name != nullptr) {
      return UsageError("one of --json, --check, --extract, --picture and --sheet only");
    }
    options.action = choice->action;
    options.action_name = choice->name;
    if (!choice->takes_value) {
      if (equals != std::string::npos) return UsageError(name + " takes no value");
      continue;
    }
    if (equals != std::string::npos) {
      // The platform's form of the value: the whole argument's, after the same "=".
      ProgramArgument value{arg.substr(equals + 1), std::nullopt};
      if (args[i].path) value.path = args[i].path->substr(args[i].path->find('=') + 1);
      options.target = value;
    } else if (i + 1 < args.size()) {
      options.target = args[++i];
    } else {
      return UsageError(name + " needs a value");
    }
    if (options.target->utf8.empty()) return UsageError(name + " needs a non-empty value");
  }
  if (options.packages.empty()) return UsageError("missing PACKAGE");
  if (options.packages.size() > 1 && options.action != Action::kSummary &&
      options.action != Action::kCheck) {
    return UsageError(std::string(options.action_name) + " takes one PACKAGE");
  }
  for (const ProgramArgument& argument : options.packages) {
    if (!argument.path) {
      return UsageError("the name '" + argument.utf8 +
                        "' has characters that the system's code page cannot hold");
    }
  }
  if (options.target && !options.target->path) {
    return UsageError("the name '" + options.target->utf8 +
                      "' has characters that the system's code page cannot hold");
  }
  return std::nullopt;
}

// A package as read, with its pictures decoded and every problem as one line.
struct Inspected {
  Package package;
  PackagePictures pictures;
  std::vector<std::string> problems;
};

std::optional<Inspected> Inspect(const ProgramArgument& argument) {
  std::string cause;
  std::optional<std::vector<uint8_t>> bytes =
      ReadPackageFile(Env::Default(), *argument.path, &cause);
  if (!bytes) {
    Say(argument.utf8, cause);
    return std::nullopt;
  }
  if (!BeginsAsPackage(*bytes)) {
    Say(argument.utf8, kNotAPackage);
    return std::nullopt;
  }
  Inspected inspected;
  inspected.package = ReadPackage(*bytes);
  inspected.pictures = DecodePackagePictures(inspected.package);
  inspected.problems = ProblemLines(inspected.package, inspected.pictures);
  return inspected;
}

int ReportProblems(const ProgramArgument& argument, const Inspected& inspected) {
  for (const std::string& problem : inspected.problems) Say(argument.utf8, problem);
  return inspected.problems.empty() ? kSound : kDamaged;
}

int Extract(const ProgramArgument& package, const Inspected& inspected, const ProgramArgument& dir,
            const NamedOutput& output) {
  std::string cause;
  const std::optional<WorkFolderExport> work = ExportWorkFolder(inspected.package, &cause);
  if (!work) {
    Say(package.utf8, cause);
    return kDamaged;
  }
  if (!WriteWorkFolder(output, work->files, &cause)) {
    Say(dir.utf8, cause);
    return kDamaged;
  }
  for (const std::string& warning : work->warnings) {
    Say(package.utf8, "warning: " + warning + "; klvconv will not give back the same package");
  }
  return kSound;
}

int Draw(const ProgramArgument& package, const Inspected& inspected, const ProgramArgument& file,
         const NamedOutput& output, bool sheet) {
  if (SameFile(*file.path, *package.path)) {
    Say(file.utf8, "is the package itself; it is not overwritten");
    return kDamaged;
  }
  if (!inspected.package.header) {
    Say(package.utf8, "the package has no header; there is no grid to draw");
    return kDamaged;
  }
  const PackageHeader& header = *inspected.package.header;
  const StatusOr<Raster> picture = sheet ? PackageSheet(header, inspected.pictures)
                                         : ReassemblePicture(header, inspected.pictures.tiles);
  if (!picture.ok()) {
    Say(package.utf8, "cannot draw: " + picture.status().reason());
    return kDamaged;
  }
  std::string cause;
  const std::optional<uint32_t> transparent =
      sheet ? std::nullopt : std::optional<uint32_t>(BackColorRgb(header));
  const std::vector<uint8_t> bytes = EncodePictureFile(*file.path, *picture, transparent, &cause);
  if (bytes.empty()) {
    Say(file.utf8, cause);
    return kDamaged;
  }
  const Status written = output.Write(bytes);
  if (!written.ok()) {
    Say(file.utf8, "cannot be written: " + written.reason());
    return kDamaged;
  }
  return kSound;
}

// Decides what the output of --extract, --picture or --sheet names, before anything is
// read, into *output (nothing without an output). False, after a message, when it cannot
// be written.
bool DecideOutput(const Options& options, std::optional<NamedOutput>* output) {
  if (!options.target) return true;
  NamedOutput decided;
  const Status status =
      options.action == Action::kExtract
          ? NamedOutput::ForFolder(*options.target->path, &decided)
          : NamedOutput::ForFile(*options.target->path, NamedOutput::Access::kShared, &decided);
  if (!status.ok()) {
    Say(options.target->utf8, status.reason());
    return false;
  }
  *output = decided;
  return true;
}

int Run(const Options& options) {
  std::optional<NamedOutput> output;
  if (!DecideOutput(options, &output)) return kDamaged;
  int status = kSound;
  bool first = true;
  for (const ProgramArgument& argument : options.packages) {
    std::optional<Inspected> inspected = Inspect(argument);
    if (!inspected) {
      status = kDamaged;
      continue;
    }
    // The summary and the JSON object list the problems themselves.
    const int problems = options.action == Action::kSummary || options.action == Action::kJson
                             ? (inspected->problems.empty() ? kSound : kDamaged)
                             : ReportProblems(argument, *inspected);
    if (problems != kSound) status = problems;
    int done = kSound;
    switch (options.action) {
      case Action::kSummary:
        std::fputs(first ? "" : "\n", stdout);
        std::fputs(SummaryText(argument.utf8, inspected->package, inspected->problems).c_str(),
                   stdout);
        break;
      case Action::kJson:
        std::fputs(JsonText(inspected->package, inspected->problems).c_str(), stdout);
        break;
      case Action::kCheck:
        if (problems == kSound) std::printf("%s: sound\n", OneLine(argument.utf8).c_str());
        break;
      case Action::kExtract: done = Extract(argument, *inspected, *options.target, *output); break;
      case Action::kPicture:
        done = Draw(argument, *inspected, *options.target, *output, false);
        break;
      case Action::kSheet: done = Draw(argument, *inspected, *options.target, *output, true); break;
    }
    if (done != kSound) status = done;
    first = false;
  }
  // With SIGPIPE ignored, a closed or full output reports its error here.
  if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
    std::fprintf(stderr, "klvinfo: cannot write to the standard output\n");
    return kDamaged;
  }
  return status;
}

}  // namespace
}  // namespace klv

int main(int argc, char** argv) {
#if defined(_WIN32)
  SetConsoleOutputCP(CP_UTF8);
#else
  // A write past the file-size limit or into a closed pipe fails with its error (EFBIG,
  // EPIPE), which is reported, instead of ending the program half-way.
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
#endif
  klv::Options options;
  if (std::optional<int> status = klv::ParseArguments(klv::ProgramArguments(argc, argv), options)) {
    return *status;
  }
  return klv::Run(options);
}
