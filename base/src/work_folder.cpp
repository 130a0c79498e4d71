// The work folder's tile file names: the name the maker writes for a tile and the
// "res????.bmp" pattern by which it removes tile files again.
#include "base/work_folder.h"

#include <cstdio>

#include "base/text.h"

namespace klv {
namespace {

constexpr std::string_view kTilePrefix = "res";
constexpr std::string_view kTileSuffix = ".bmp";

#if defined(_WIN32)
// Windows matches file names without regard to the case of ASCII letters.
bool AffixMatches(std::string_view actual, std::string_view affix) {
  if (actual.size() != affix.size()) return false;
  for (size_t i = 0; i < actual.size(); ++i) {
    char c = actual[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != affix[i]) return false;
  }
  return true;
}

size_t FileNameCharacters(std::string_view text) {
  size_t count = 0;
  for (size_t pos = 0; pos < text.size(); pos += Cp932CharacterWidth(text, pos)) ++count;
  return count;
}
#else
bool AffixMatches(std::string_view actual, std::string_view affix) { return actual == affix; }

size_t FileNameCharacters(std::string_view text) { return CountUtf8Characters(text); }
#endif

}  // namespace

std::string TileFileName(int row, int column) {
  char name[32];
  std::snprintf(name, sizeof name, "res%02d%02d.bmp", row, column);
  return name;
}

bool IsTileFileName(std::string_view name) {
  const size_t affixes = kTilePrefix.size() + kTileSuffix.size();
  // Four characters take at least four bytes.
  if (name.size() < affixes + 4) return false;
  if (!AffixMatches(name.substr(0, kTilePrefix.size()), kTilePrefix) ||
      !AffixMatches(name.substr(name.size() - kTileSuffix.size()), kTileSuffix)) {
    return false;
  }
  return FileNameCharacters(name.substr(kTilePrefix.size(), name.size() - affixes)) == 4;
}

}  // namespace klv
