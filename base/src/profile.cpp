// Profile (INI) text read and edited the way the platform's profile functions do it, so
// that Puzzle.ini and Morvel.ini written by hand or by another program read the same on
// every platform. Texts are code page 932 bytes: every scan steps over whole characters,
// so the trail byte of a double-byte character is never taken for "]", "=" or a letter.
#include "base/profile.h"

#include <vector>

#include "base/codepage.h"
#include "base/text.h"

namespace klv {
namespace {

// The blanks trimmed from lines, names and values: space, tab, LF, VT, FF, CR and ^Z (the
// old DOS end-of-file mark). Other control characters are kept, as the platform keeps
// them: "\x01key" is a different key from "key".
bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r') || c == '\x1A'; }

bool IsSingle(std::string_view s, size_t pos, char c) {
  return s[pos] == c && Cp932CharacterWidth(s, pos) == 1;
}

std::string_view Trim(std::string_view s) {
  size_t begin = 0;
  while (begin < s.size() && IsBlank(s[begin])) ++begin;
  size_t end = begin;
  for (size_t pos = begin; pos < s.size();) {
    const size_t width = Cp932CharacterWidth(s, pos);
    if (width == 2 || !IsBlank(s[pos])) end = pos + width;
    pos += width;
  }
  return s.substr(begin, end - begin);
}

// Position of the first (or last) single-byte character `c`, or npos.
size_t FindSingle(std::string_view s, char c, bool last) {
  size_t found = std::string_view::npos;
  for (size_t pos = 0; pos < s.size(); pos += Cp932CharacterWidth(s, pos)) {
    if (IsSingle(s, pos, c)) {
      found = pos;
      if (!last) break;
    }
  }
  return found;
}

char FoldAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Names match without regard to the case of ASCII letters. Double-byte characters must be
// equal byte for byte: full-width letters are not folded, and a trail byte that happens
// to be a letter is never folded either.
bool NamesMatch(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t pos = 0; pos < a.size();) {
    const size_t width = Cp932CharacterWidth(a, pos);
    if (width == 2) {
      if (a.substr(pos, 2) != b.substr(pos, 2)) return false;
    } else if (FoldAscii(a[pos]) != FoldAscii(b[pos])) {
      return false;
    }
    pos += width;
  }
  return true;
}

// A value wrapped in one pair of the same quote character, '"' or '\'', loses the pair.
// A lone quote character stays.
std::string_view Unquote(std::string_view v) {
  if (v.size() < 2 || (v[0] != '"' && v[0] != '\'')) return v;
  const size_t last = v.size() - 1;
  // The closing quote must be a character of its own, not the trail of a lead byte.
  size_t pos = 0;
  while (pos + Cp932CharacterWidth(v, pos) <= last) pos += Cp932CharacterWidth(v, pos);
  if (pos != last || v[last] != v[0]) return v;
  return v.substr(1, last - 1);
}

struct Line {
  enum Kind { kBlank, kSection, kKey };
  size_t begin = 0;  // first byte of the line
  size_t end = 0;    // end of its text, before the terminator
  size_t next = 0;   // first byte of the following line
  Kind kind = kBlank;
  std::string_view name;   // section or key name, trimmed
  bool has_value = false;  // a key line with "="
  std::string_view value;  // trimmed, quotes still on
};

Line ParseLine(std::string_view text, size_t begin) {
  Line line;
  line.begin = begin;
  line.end = text.find_first_of("\r\n", begin);
  if (line.end == std::string_view::npos) line.end = text.size();
  line.next = line.end;
  if (line.next < text.size()) {
    const bool crlf =
        text[line.next] == '\r' && line.next + 1 < text.size() && text[line.next + 1] == '\n';
    line.next += crlf ? 2u : 1u;
  }
  const std::string_view content = Trim(text.substr(begin, line.end - begin));
  if (content.empty()) return line;

  // "[name]" up to the last "]" of the line; what follows that "]" is ignored. A line that
  // opens with "[" but has no "]" is an ordinary key line.
  if (content[0] == '[') {
    const size_t close = FindSingle(content, ']', /*last=*/true);
    if (close != std::string_view::npos) {
      line.kind = Line::kSection;
      line.name = Trim(content.substr(1, close - 1));
      return line;
    }
  }
  line.kind = Line::kKey;
  const size_t equals = FindSingle(content, '=', /*last=*/false);
  if (equals == std::string_view::npos) {
    // A key without "=" has no value: reading it gives the default.
    line.name = content;
  } else {
    line.name = Trim(content.substr(0, equals));
    line.has_value = true;
    line.value = Trim(content.substr(equals + 1));
  }
  return line;
}

std::vector<Line> ParseLines(std::string_view text) {
  std::vector<Line> lines;
  for (size_t pos = 0; pos < text.size();) {
    lines.push_back(ParseLine(text, pos));
    pos = lines.back().next;
  }
  return lines;
}

// The lines [first, last) of the first section named `section`. The lines before the
// first section header form a section with the empty name, which so always comes first.
struct SectionRange {
  bool found = false;
  size_t header = 0;  // index of the header line (none for the nameless section)
  size_t first = 0;
  size_t last = 0;
};

size_t SectionEnd(const std::vector<Line>& lines, size_t first) {
  size_t last = first;
  while (last < lines.size() && lines[last].kind != Line::kSection) ++last;
  return last;
}

SectionRange FindSection(const std::vector<Line>& lines, std::string_view section) {
  if (section.empty()) return {true, 0, 0, SectionEnd(lines, 0)};
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].kind == Line::kSection && NamesMatch(lines[i].name, section)) {
      return {true, i, i + 1, SectionEnd(lines, i + 1)};
    }
  }
  return {};
}

// Index of the first key line named `key` in the range, or npos.
size_t FindKey(const std::vector<Line>& lines, const SectionRange& range, std::string_view key) {
  for (size_t i = range.first; i < range.last; ++i) {
    if (lines[i].kind == Line::kKey && NamesMatch(lines[i].name, key)) return i;
  }
  return std::string_view::npos;
}

// The trailing spaces of a default value are dropped, but never its first character.
std::string_view StripDefault(std::string_view v) {
  size_t end = 0;
  for (size_t pos = 0; pos < v.size();) {
    const size_t width = Cp932CharacterWidth(v, pos);
    if (pos == 0 || width == 2 || v[pos] != ' ') end = pos + width;
    pos += width;
  }
  return v.substr(0, end);
}

// The integer reader looks at what a 30-byte buffer holds.
constexpr size_t kIntegerBufferSize = 30;

// Leading blanks and control characters, an optional sign, an optional "0x", "0o" or
// "0b" prefix (lower case only) and the digits up to the first other character, wrapping
// modulo 2^32.
uint32_t ParseInteger(std::string_view s) {
  size_t pos = 0;
  while (pos < s.size() && static_cast<uint8_t>(s[pos]) <= ' ') ++pos;
  bool minus = false;
  if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) minus = s[pos++] == '-';
  uint32_t base = 10;
  if (s.size() - pos >= 2 && s[pos] == '0') {
    switch (s[pos + 1]) {
      case 'x': base = 16; break;
      case 'o': base = 8; break;
      case 'b': base = 2; break;
      default: break;
    }
    if (base != 10) pos += 2;
  }
  uint32_t total = 0;
  for (; pos < s.size(); ++pos) {
    const char c = s[pos];
    uint32_t digit;
    if (c >= '0' && c <= '9') {
      digit = static_cast<uint32_t>(c - '0');
    } else if (c >= 'A' && c <= 'Z') {
      digit = static_cast<uint32_t>(c - 'A' + 10);
    } else if (c >= 'a' && c <= 'z') {
      digit = static_cast<uint32_t>(c - 'a' + 10);
    } else {
      break;
    }
    if (digit >= base) break;
    total = total * base + digit;  // unsigned: wraps modulo 2^32
  }
  return minus ? 0u - total : total;
}

}  // namespace

std::optional<std::string> FindProfileValue(std::string_view text, std::string_view section,
                                            std::string_view key) {
  // One pass that keeps no line table and stops at the key: time linear in the text's
  // size, memory independent of it.
  const std::string_view section_name = Trim(section);
  const std::string_view key_name = Trim(key);
  // The nameless section is the lines before the first header; any other is searched
  // only in its first occurrence, even when a later one has the key.
  bool inside = section_name.empty();
  for (size_t pos = 0; pos < text.size();) {
    const Line line = ParseLine(text, pos);
    pos = line.next;
    if (line.kind == Line::kSection) {
      if (inside) return std::nullopt;
      inside = NamesMatch(line.name, section_name) && !section_name.empty();
    } else if (inside && line.kind == Line::kKey && NamesMatch(line.name, key_name)) {
      if (!line.has_value) return std::nullopt;
      // A zero byte ends the value, as it ends a C string.
      const std::string_view value = line.value.substr(0, line.value.find('\0'));
      return std::string(Unquote(value));
    }
  }
  return std::nullopt;
}

std::string GetProfileStringFromText(std::string_view text, std::string_view section,
                                     std::string_view key, std::string_view default_value,
                                     size_t buffer_size) {
  if (buffer_size == 0) return std::string();
  std::optional<std::string> value = FindProfileValue(text, section, key);
  if (!value) value = std::string(Unquote(StripDefault(default_value)));
  return std::string(CutToByteLimit(*value, buffer_size - 1));
}

int32_t GetProfileIntFromText(std::string_view text, std::string_view section, std::string_view key,
                              int32_t default_value) {
  const std::string value = GetProfileStringFromText(text, section, key, "", kIntegerBufferSize);
  if (value.empty()) return default_value;
  return static_cast<int32_t>(ParseInteger(value));
}

std::string SetProfileValueInText(std::string_view text, std::string_view section,
                                  std::string_view key, std::string_view value) {
  static constexpr std::string_view kNewLine = "\r\n";
  const std::string_view section_name = Trim(section);
  const std::string_view key_name = Trim(key);
  std::string key_line;
  key_line.append(key_name).append("=").append(value);

  const std::vector<Line> lines = ParseLines(text);
  const SectionRange range = FindSection(lines, section_name);
  std::string out;
  if (!range.found) {
    out.append(text);
    if (!out.empty() && out.back() != '\n' && out.back() != '\r') out.append(kNewLine);
    out.append("[").append(section_name).append("]").append(kNewLine);
    out.append(key_line).append(kNewLine);
    return out;
  }

  const size_t index = FindKey(lines, range, key_name);
  if (index != std::string_view::npos) {
    // The line's own terminator stays; only its text is replaced.
    out.append(text.substr(0, lines[index].begin));
    out.append(key_line);
    out.append(text.substr(lines[index].end));
    return out;
  }

  // A new key goes after the section's last non-blank line, so that blank lines before the
  // next section stay where they are.
  // The nameless section (an empty section name) has no header line.
  const bool has_header = !section_name.empty();
  size_t insert_at = has_header ? lines[range.header].next : 0;
  bool needs_break = has_header && lines[range.header].next == lines[range.header].end;
  for (size_t i = range.first; i < range.last; ++i) {
    if (lines[i].kind == Line::kBlank) continue;
    insert_at = lines[i].next;
    needs_break = lines[i].next == lines[i].end;  // the last line of the text, unterminated
  }
  out.append(text.substr(0, insert_at));
  if (needs_break) out.append(kNewLine);
  out.append(key_line).append(kNewLine);
  out.append(text.substr(insert_at));
  return out;
}

std::string SetProfileValuesInText(std::string_view text, std::string_view section,
                                   const ProfileValues& values) {
  std::string out(text);
  for (const auto& [key, value] : values) out = SetProfileValueInText(out, section, key, value);
  return out;
}

}  // namespace klv
