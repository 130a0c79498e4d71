// Code page 932 by its table: single bytes by rule (ASCII, half-width katakana), the
// user-defined rows by rule (private-use characters), every other double-byte code from
// cp932_rows.inc. Writing takes the codes in the order the C library prefers them.
#include "base/cp932_table.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "base/text.h"

namespace klv {
namespace {

constexpr size_t kTrails = 188;  // trail bytes 0x40-0x7E and 0x80-0xFC
constexpr size_t kLeads = 60;    // lead bytes 0x81-0x9F and 0xE0-0xFC
constexpr char16_t kNoCharacter = 0xFFFD;

struct Row {
  uint8_t lead;
  const char8_t* characters;  // kTrails characters in UTF-8, kNoCharacter for none
};

constexpr Row kRows[] = {
#include "cp932_rows.inc"
};

// Characters that have no code of their own and are written as a look-alike's code.
constexpr std::pair<char16_t, uint16_t> kLookAlikes[] = {
    {0x00A2, 0x8191}, {0x00A3, 0x8192}, {0x00A5, 0x005C}, {0x00AC, 0x81CA}, {0x2014, 0x815C},
    {0x2016, 0x8161}, {0x203E, 0x007E}, {0x2212, 0x817C}, {0x301C, 0x8160},
};

std::optional<size_t> LeadSlot(uint8_t lead) {
  if (lead >= 0x81 && lead <= 0x9F) return lead - 0x81;
  if (lead >= 0xE0 && lead <= 0xFC) return lead - 0xE0 + 31;
  return std::nullopt;
}

std::optional<size_t> TrailIndex(uint8_t trail) {
  if (trail >= 0x40 && trail <= 0x7E) return trail - 0x40;
  if (trail >= 0x80 && trail <= 0xFC) return trail - 0x80 + 63;
  return std::nullopt;
}

uint16_t CodeAt(size_t slot, size_t trail_index) {
  const size_t lead = slot < 31 ? 0x81 + slot : 0xE0 + slot - 31;
  const size_t trail = trail_index < 63 ? 0x40 + trail_index : 0x80 + trail_index - 63;
  return static_cast<uint16_t>(lead << 8 | trail);
}

// The IBM extensions in NEC's selection, which Windows writes by the IBM codes instead.
bool InNecSelection(uint16_t code) { return code >= 0xED40 && code <= 0xEEFC; }

struct Tables {
  std::array<char16_t, kLeads * kTrails> decode{};
  std::vector<std::pair<char16_t, uint16_t>> encode;  // sorted by character
};

Tables BuildTables() {
  Tables tables;
  tables.decode.fill(kNoCharacter);
  for (const Row& row : kRows) {
    const std::string_view text(reinterpret_cast<const char*>(row.characters));
    const size_t slot = *LeadSlot(row.lead);
    size_t pos = 0;
    for (size_t i = 0; i < kTrails; ++i) {
      const std::optional<Utf8Character> character = DecodeUtf8(text, pos);
      tables.decode[slot * kTrails + i] = static_cast<char16_t>(character->codePoint);
      pos += character->length;
    }
  }
  // The user-defined rows 0xF0-0xF9 hold the private-use characters from U+E000 in order.
  for (size_t lead = 0xF0; lead <= 0xF9; ++lead) {
    const size_t slot = *LeadSlot(static_cast<uint8_t>(lead));
    for (size_t i = 0; i < kTrails; ++i) {
      tables.decode[slot * kTrails + i] =
          static_cast<char16_t>(0xE000 + (lead - 0xF0) * kTrails + i);
    }
  }

  // Of the codes of one character, the lowest is written, unless it lies in NEC's
  // selection of the IBM extensions.
  for (size_t slot = 0; slot < kLeads; ++slot) {
    for (size_t i = 0; i < kTrails; ++i) {
      const char16_t c = tables.decode[slot * kTrails + i];
      if (c != kNoCharacter) tables.encode.emplace_back(c, CodeAt(slot, i));
    }
  }
  std::stable_sort(tables.encode.begin(), tables.encode.end(), [](const auto& a, const auto& b) {
    if (a.first != b.first) return a.first < b.first;
    return !InNecSelection(a.second) && InNecSelection(b.second);
  });
  tables.encode.erase(std::unique(tables.encode.begin(), tables.encode.end(),
                                  [](const auto& a, const auto& b) { return a.first == b.first; }),
                      tables.encode.end());
  tables.encode.insert(tables.encode.end(), std::begin(kLookAlikes), std::end(kLookAlikes));
  std::sort(tables.encode.begin(), tables.encode.end());
  return tables;
}

const Tables& GetTables() {
  static const Tables kTables = BuildTables();
  return kTables;
}

}  // namespace

std::optional<std::string> Cp932ToUtf8ByTable(std::string_view cp932) {
  const Tables& tables = GetTables();
  std::string utf8;
  for (size_t i = 0; i < cp932.size();) {
    const auto byte = static_cast<uint8_t>(cp932[i]);
    char32_t c = byte;
    if (byte >= 0xA1 && byte <= 0xDF) {
      c = 0xFF61 + (byte - 0xA1u);
    } else if (byte >= 0x80) {
      const std::optional<size_t> slot = LeadSlot(byte);
      const std::optional<size_t> trail =
          i + 1 < cp932.size() ? TrailIndex(static_cast<uint8_t>(cp932[i + 1])) : std::nullopt;
      if (!slot || !trail) return std::nullopt;
      c = tables.decode[*slot * kTrails + *trail];
      if (c == kNoCharacter) return std::nullopt;
      ++i;
    }
    ++i;
    AppendUtf8(c, &utf8);
  }
  return utf8;
}

std::optional<std::string> Utf8ToCp932ByTable(std::string_view utf8) {
  const Tables& tables = GetTables();
  std::string cp932;
  for (size_t i = 0; i < utf8.size();) {
    const std::optional<Utf8Character> character = DecodeUtf8(utf8, i);
    if (!character) return std::nullopt;
    i += character->length;
    const char32_t c = character->codePoint;
    if (c < 0x80) {
      cp932 += static_cast<char>(c);
      continue;
    }
    if (c >= 0xFF61 && c <= 0xFF9F) {
      cp932 += static_cast<char>(0xA1 + (c - 0xFF61));
      continue;
    }
    const auto found = std::lower_bound(
        tables.encode.begin(), tables.encode.end(), c,
        [](const std::pair<char16_t, uint16_t>& entry, char32_t key) { return entry.first < key; });
    if (found == tables.encode.end() || found->first != c) return std::nullopt;
    if (found->second > 0xFF) cp932 += static_cast<char>(found->second >> 8);
    cp932 += static_cast<char>(found->second & 0xFF);
  }
  return cp932;
}

}  // namespace klv
