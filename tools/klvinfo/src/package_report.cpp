// klvinfo's words about a package: the header's texts converted from code page 932, the
// colour named after the maker's palette, the summary laid out for reading and the JSON
// object built with nlohmann::json (never by hand).
#include "klvinfo/package_report.h"

#include <cstdint>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <optional>

#include "base/codepage.h"
#include "base/platform.h"
#include "maker/colors.h"
#include "maker/make_values.h"

namespace klv {
namespace {

std::string Escaped(uint8_t byte) {
  char text[8];
  std::snprintf(text, sizeof text, "\\x%02X", byte);
  return text;
}

bool IsControl(uint8_t byte) { return byte < 0x20 || byte == 0x7F; }

// Where the header record lies in a package: after "RIFF", its size, "DATA", "KLVZ" and
// the chunk's size.
constexpr uint64_t kHeaderRecordInFile = 20;

// The names of the palette entries 0 to 15, as QBColor numbers them.
constexpr const char* kColorNames[16] = {
    "black",       "dark blue",  "dark green", "dark cyan", "dark red", "dark magenta",
    "dark yellow", "light grey", "grey",       "blue",      "green",    "cyan",
    "red",         "magenta",    "yellow",     "white",
};

// The problem of a header whose colour is not the one the tiles are painted in, as
// ProblemLines describes it, or nothing.
std::optional<PackageProblem> BackColorMismatch(const PackageHeader& header,
                                                const std::vector<TileRaster>& tiles) {
  // The colours the fault gave the header, and the colours the tiles were painted in.
  static constexpr struct {
    uint32_t header, painted;
  } kMisread[] = {{0xFF0000, 0x0000FF}, {0xFF0000, 0x00FF00}, {0xFFFF00, 0x00FFFF}};
  const uint32_t named = BackColorRgb(header);
  for (const auto& misread : kMisread) {
    if (misread.header != named) continue;
    uint64_t all = 0, painted = 0, as_named = 0;
    for (const TileRaster& tile : tiles) {
      for (const uint32_t pixel : tile.raster.pixels) {
        ++all;
        painted += pixel == misread.painted;
        as_named += pixel == named;
      }
    }
    if (painted == 0 || painted * 8 < all || painted <= 4 * as_named) continue;
    return PackageProblem{
        std::string(kHeaderChunkId.begin(), kHeaderChunkId.end()),
        kHeaderRecordInFile + kBackColorOffset,
        "the background colour is " + ColorName(named) + " " + ColorHex(named) +
            ", but the tiles are painted " + ColorName(misread.painted) + " " +
            ColorHex(misread.painted) + ", which the player will show as specks (earlier " +
            "versions of klvmake and the maker wrote blue, green and cyan so); make the " +
            "package again"};
  }
  return std::nullopt;
}

// A grid without a tile is no puzzle, although the converter writes one from a folder
// without Puzzle.ini; the problem lies at the header's xMax field.
std::optional<PackageProblem> TilelessGrid(const Package& package) {
  if (!package.header || package.GridTileCount() > 0) return std::nullopt;
  constexpr uint64_t kHeaderRecordAt = 20;  // after "RIFF", its size, "DATA", "KLVZ", 592
  return PackageProblem{"KLVZ", kHeaderRecordAt + kXMaxOffset,
                        "the grid of xMax " + std::to_string(package.header->xMax) + " by yMax " +
                            std::to_string(package.header->yMax) + " holds no tile"};
}

}  // namespace

std::string DisplayText(const std::string& cp932, bool one_line) {
  std::string text;
  size_t i = 0;
  // Character by character, so that one bad byte does not hide the rest of the text.
  while (i < cp932.size()) {
    const uint8_t lead = static_cast<uint8_t>(cp932[i]);
    if (IsControl(lead)) {
      text += one_line ? Escaped(lead) : std::string(1, cp932[i]);
      ++i;
      continue;
    }
    const size_t length = IsCp932LeadByte(lead) && i + 1 < cp932.size() ? 2 : 1;
    std::optional<std::string> part = Cp932ToUtf8(cp932.substr(i, length));
    if (part && !part->empty()) {
      text += *part;
      i += length;
    } else {
      text += Escaped(lead);
      ++i;
    }
  }
  return text;
}

std::string ColorName(uint32_t rgb) {
  for (int index = 0; index < 16; ++index) {
    if (QBColor(index) == rgb) return kColorNames[index];
  }
  return "custom";
}

std::string ColorHex(uint32_t rgb) {
  char text[8];
  std::snprintf(text, sizeof text, "#%06X", static_cast<unsigned>(rgb & 0xFFFFFF));
  return text;
}

std::vector<std::string> ProblemLines(const Package& package, const PackagePictures& pictures) {
  std::vector<std::string> lines;
  for (const PackageProblem& problem : package.problems) lines.push_back(DescribeProblem(problem));
  if (const std::optional<PackageProblem> tileless = TilelessGrid(package)) {
    lines.push_back(DescribeProblem(*tileless));
  }
  for (const PackageProblem& problem : pictures.problems) {
    lines.push_back(DescribeProblem(problem));
  }
  if (package.header) {
    if (std::optional<PackageProblem> mismatch =
            BackColorMismatch(*package.header, pictures.tiles)) {
      lines.push_back(DescribeProblem(*mismatch));
    }
  }
  return lines;
}

std::string SummaryText(const std::string& name, const Package& package,
                        const std::vector<std::string>& problems) {
  std::string text = name + "\n";
  auto line = [&text](const char* label, const std::string& value) {
    char head[32];
    std::snprintf(head, sizeof head, "  %-19s", label);
    text += head + value + "\n";
  };
  if (package.header) {
    const PackageHeader& h = *package.header;
    const uint32_t color = BackColorRgb(h);
    line("puzzle set name", DisplayText(h.PuzzleSetName, true));
    line("puzzle name", DisplayText(h.PuzzleName, true));
    line("comment", DisplayText(h.LongPuzzleName, true));
    line("grid", std::to_string(h.xMax) + " x " + std::to_string(h.yMax) + " tiles of " +
                     std::to_string(h.tileWidth) + " x " + std::to_string(h.tileHeight) +
                     " pixels");
    line("picture",
         std::to_string(h.pictureWidth) + " x " + std::to_string(h.pictureHeight) + " pixels");
    line("background colour", ColorName(color) + " " + ColorHex(color));
    line("difficulty", std::to_string(h.Difficulty));
    line("file version", std::to_string(h.fileVersion));
    line("password", DisplayText(h.PassWord, true));
    line("previous password", DisplayText(h.PrevPassWord, true));
  } else {
    line("header", "missing");
  }
  line("tile chunks", std::to_string(package.tileChunks));
  line("file size", std::to_string(package.fileSize) + " bytes");
  line("problems", problems.empty() ? "none" : std::to_string(problems.size()));
  for (const std::string& problem : problems) text += "    " + problem + "\n";
  return text;
}

std::string JsonText(const Package& package, const std::vector<std::string>& problems) {
  nlohmann::ordered_json object;
  const std::optional<PackageHeader>& h = package.header;
  auto number = [&h](auto PackageHeader::*field) -> nlohmann::ordered_json {
    if (!h) return nullptr;
    return (*h).*field;
  };
  auto text = [&h](std::string PackageHeader::*field) -> nlohmann::ordered_json {
    if (!h) return nullptr;
    return DisplayText((*h).*field, false);
  };
  object["fileVersion"] = number(&PackageHeader::fileVersion);
  object["xMax"] = number(&PackageHeader::xMax);
  object["yMax"] = number(&PackageHeader::yMax);
  object["tileWidth"] = number(&PackageHeader::tileWidth);
  object["tileHeight"] = number(&PackageHeader::tileHeight);
  object["pictureWidth"] = number(&PackageHeader::pictureWidth);
  object["pictureHeight"] = number(&PackageHeader::pictureHeight);
  object["difficulty"] = number(&PackageHeader::Difficulty);
  object["backColor"] = h ? nlohmann::ordered_json(ColorHex(BackColorRgb(*h))) : nullptr;
  object["password"] = text(&PackageHeader::PassWord);
  object["prevPassword"] = text(&PackageHeader::PrevPassWord);
  object["puzzleSetName"] = text(&PackageHeader::PuzzleSetName);
  object["puzzleName"] = text(&PackageHeader::PuzzleName);
  object["comment"] = text(&PackageHeader::LongPuzzleName);
  object["tiles"] = package.tileChunks;
  object["bytes"] = package.fileSize;
  object["problems"] = problems;
  // DisplayText gives valid UTF-8; should anything slip through, it is replaced, never
  // thrown.
  return object.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

}  // namespace klv
