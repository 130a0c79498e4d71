// Profile files in code page 932, UTF-8 or UTF-16: the byte-order mark decides, and the
// text is carried as code page 932 in between, since that is what the profile rules of
// profile.h work on. The code page 932 conversions are the platform's (platform.h).
#include "base/profile_encoding.h"

#include <cstdint>

#include "base/platform.h"
#include "base/text.h"

namespace klv {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";
constexpr char32_t kReplacement = U'\uFFFD';

std::string_view ByteOrderMark(ProfileEncoding encoding) {
  switch (encoding) {
    case ProfileEncoding::kUtf8: return kUtf8Mark;
    case ProfileEncoding::kUtf16Le: return kUtf16LeMark;
    case ProfileEncoding::kUtf16Be: return kUtf16BeMark;
    case ProfileEncoding::kCp932: break;
  }
  return "";
}

// Decodes one character of UTF-8 or UTF-16 at the front of `in` and removes it. An
// invalid sequence gives U+FFFD for its first unit, and *valid false.
char32_t TakeCodePoint(std::string_view& in, ProfileEncoding encoding, bool* valid) {
  const auto byte = [&](size_t i) { return static_cast<uint8_t>(in[i]); };
  const auto invalid = [&](size_t units) {
    in.remove_prefix(units);
    *valid = false;
    return kReplacement;
  };
  if (encoding == ProfileEncoding::kUtf8) {
    const std::optional<Utf8Character> character = DecodeUtf8(in, 0);
    if (!character) return invalid(1);
    in.remove_prefix(character->length);
    return character->codePoint;
  }
  const bool le = encoding == ProfileEncoding::kUtf16Le;
  const auto unit = [&](size_t i) -> char32_t {
    const char32_t first = byte(i), second = byte(i + 1);
    return le ? (first | (second << 8)) : ((first << 8) | second);
  };
  if (in.size() < 2) return invalid(in.size());
  const char32_t u0 = unit(0);
  if (u0 >= 0xD800 && u0 <= 0xDBFF && in.size() >= 4) {
    const char32_t u1 = unit(2);
    if (u1 >= 0xDC00 && u1 <= 0xDFFF) {
      in.remove_prefix(4);
      return 0x10000 + ((u0 - 0xD800) << 10) + (u1 - 0xDC00);
    }
  }
  if (u0 >= 0xD800 && u0 <= 0xDFFF) return invalid(2);
  in.remove_prefix(2);
  return u0;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

void AppendUtf16(std::string& out, char32_t cp, bool le) {
  const auto unit = [&](char32_t u) {
    const char high = static_cast<char>(u >> 8);
    const char low = static_cast<char>(u & 0xFF);
    out += le ? low : high;
    out += le ? high : low;
  };
  if (cp < 0x10000) {
    unit(cp);
  } else {
    unit(0xD800 + ((cp - 0x10000) >> 10));
    unit(0xDC00 + ((cp - 0x10000) & 0x3FF));
  }
}

// The body of `file` (after its mark) as UTF-8; nothing when it holds an invalid sequence.
std::optional<std::string> BodyAsUtf8(std::string_view body, ProfileEncoding encoding) {
  std::string out;
  bool valid = true;
  while (!body.empty() && valid) AppendUtf8(out, TakeCodePoint(body, encoding, &valid));
  if (!valid) return std::nullopt;
  return out;
}

}  // namespace

ProfileEncoding DetectProfileEncoding(std::string_view file) {
  if (file.substr(0, kUtf8Mark.size()) == kUtf8Mark) return ProfileEncoding::kUtf8;
  if (file.substr(0, kUtf16LeMark.size()) == kUtf16LeMark) return ProfileEncoding::kUtf16Le;
  if (file.substr(0, kUtf16BeMark.size()) == kUtf16BeMark) return ProfileEncoding::kUtf16Be;
  return ProfileEncoding::kCp932;
}

std::string DecodeProfileForReading(std::string_view file) {
  const ProfileEncoding encoding = DetectProfileEncoding(file);
  std::string_view body = file.substr(ByteOrderMark(encoding).size());
  if (encoding == ProfileEncoding::kCp932) return std::string(body);
  std::string out;
  while (!body.empty()) {
    bool valid = true;
    const char32_t cp = TakeCodePoint(body, encoding, &valid);
    if (cp < 0x80) {
      out += static_cast<char>(cp);
      continue;
    }
    std::string utf8;
    AppendUtf8(utf8, cp);
    out += Utf8ToCp932(utf8).value_or("?");
  }
  return out;
}

std::optional<ProfileText> DecodeProfileForEditing(std::string_view file) {
  ProfileText decoded;
  decoded.encoding = DetectProfileEncoding(file);
  const std::string_view body = file.substr(ByteOrderMark(decoded.encoding).size());
  if (decoded.encoding == ProfileEncoding::kCp932) {
    decoded.text.assign(body);
    return decoded;
  }
  const std::optional<std::string> utf8 = BodyAsUtf8(body, decoded.encoding);
  if (!utf8) return std::nullopt;
  std::optional<std::string> text = Utf8ToCp932(*utf8);
  if (!text) return std::nullopt;
  decoded.text = std::move(*text);
  const std::optional<std::string> back = EncodeProfile(decoded);
  if (!back || *back != file) return std::nullopt;
  return decoded;
}

std::optional<std::string> EncodeProfile(const ProfileText& text) {
  std::string out(ByteOrderMark(text.encoding));
  if (text.encoding == ProfileEncoding::kCp932) return out + text.text;
  const std::optional<std::string> utf8 = Cp932ToUtf8(text.text);
  if (!utf8) return std::nullopt;
  if (text.encoding == ProfileEncoding::kUtf8) return out + *utf8;
  std::string_view rest(*utf8);
  bool valid = true;
  while (!rest.empty()) {
    AppendUtf16(out, TakeCodePoint(rest, ProfileEncoding::kUtf8, &valid),
                text.encoding == ProfileEncoding::kUtf16Le);
  }
  return out;
}

}  // namespace klv
