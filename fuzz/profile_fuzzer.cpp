// Fuzz target for the profile reader and writer: any bytes as the text of Puzzle.ini or
// Morvel.ini. Besides surviving every input, reading must agree with the lookup, texts
// must respect their buffers, and writing one key must change that key only.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/codepage.h"
#include "base/profile.h"

namespace {

struct Probe {
  std::string_view section;
  std::string_view key;
};

// The keys the product reads and writes, plus a few spellings that differ in case only.
constexpr Probe kProbes[] = {
    {"PuzzleData", "xMax"},          {"PuzzleData", "yMax"},
    {"PuzzleData", "backColor"},     {"PuzzleData", "PuzzleName"},
    {"PuzzleData", "PassWord"},      {"PuzzleData", "PrevPassWord"},
    {"PuzzleData", "PuzzleSetName"}, {"PuzzleData", "LongPuzzleName"},
    {"PuzzleData", "Difficulty"},    {"puzzledata", "fileVersion"},
    {"ToolsData", "PuzzleName"},     {"TOOLSDATA", "slider1"},
    {"ToolsData", "SrcDir"},         {"ToolsData", "DestDrive"},
};

// Values that a writer must read back unchanged (no surrounding blanks, no line break,
// no enclosing quotes): digits, the empty text, an "=" inside, code page 932 bytes.
const std::string kValues[] = {
    "7",
    "",
    "FF00FF",
    "a=b ; c",
    "\xCA\xDF\xBD\xDE\xD9\x96\xBC",  // ﾊﾟｽﾞﾙ名
    std::string(300, 'w'),
};

constexpr size_t kBufferSizes[] = {1, 2, 11, 16, 40, 256};

void Check(bool condition, const char* what) {
  if (!condition) {
    fprintf(stderr, "profile_fuzzer: %s\n", what);
    abort();
  }
}

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

bool SameProbe(const Probe& a, const Probe& b) {
  return SameNameIgnoringCase(a.section, b.section) && SameNameIgnoringCase(a.key, b.key);
}

bool IsAllDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char ch : s) {
    if (ch < '0' || ch > '9') return false;
  }
  return true;
}

// Reading: the string and integer readers agree with FindProfileValue. One buffer size
// per probe, picked by `pick`, keeps a run fast; over many inputs every size is used.
void CheckReaders(std::string_view text, const Probe& probe, size_t pick) {
  const std::optional<std::string> found = klv::FindProfileValue(text, probe.section, probe.key);
  const std::string_view fallback = "the Puzzle";
  const size_t size = kBufferSizes[pick % std::size(kBufferSizes)];
  const std::string got =
      klv::GetProfileStringFromText(text, probe.section, probe.key, fallback, size);
  const std::string_view full = found ? std::string_view(*found) : fallback;
  Check(got.size() <= size - 1, "a text is longer than its buffer allows");
  Check(got == klv::CutToByteLimit(full, size - 1),
        "a text is not the value (or default) cut to the buffer");

  const int32_t number = klv::GetProfileIntFromText(text, probe.section, probe.key, -12345);
  if (!found || found->empty()) {
    Check(number == -12345, "an absent or empty integer does not give the default");
  } else if (IsAllDigits(*found) && found->size() <= 9) {
    Check(number == std::atoi(found->c_str()), "a plain decimal integer reads wrongly");
  }
}

// Writing: the written key reads back as written, every other key keeps its value.
void CheckWriter(std::string_view text, const Probe& target, const std::string& value) {
  const std::string updated = klv::SetProfileValueInText(text, target.section, target.key, value);
  const std::optional<std::string> back =
      klv::FindProfileValue(updated, target.section, target.key);
  Check(back.has_value() && *back == value, "a written value does not read back");
  for (const Probe& other : kProbes) {
    if (SameProbe(other, target)) continue;
    Check(klv::FindProfileValue(updated, other.section, other.key) ==
              klv::FindProfileValue(text, other.section, other.key),
          "writing one key changed another");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  size_t pick = size;
  for (const Probe& probe : kProbes) CheckReaders(text, probe, pick++);

  // Names taken from the text itself reach the lookup's less travelled paths: every
  // line's part before "=" as a key, every "[..." line as a section.
  std::vector<std::string_view> sections = {"PuzzleData"};
  std::vector<std::string_view> keys;
  size_t start = 0;
  while (start < text.size() && keys.size() < 4) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(start, end - start);
    const size_t eq = line.find('=');
    if (eq != std::string_view::npos) keys.push_back(line.substr(0, eq));
    if (!line.empty() && line.front() == '[' && sections.size() < 2) {
      sections.push_back(line.substr(1, line.find(']') - 1));
    }
    start = end + 1;
  }
  for (std::string_view section : sections) {
    for (std::string_view key : keys) CheckReaders(text, Probe{section, key}, pick++);
  }

  // One write per input keeps a run fast; the input's length picks which.
  const Probe& target = kProbes[size % std::size(kProbes)];
  const std::string& value = kValues[(size / std::size(kProbes)) % std::size(kValues)];
  CheckWriter(text, target, value);
  return 0;
}
