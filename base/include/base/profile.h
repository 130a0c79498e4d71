// Profile (INI) text, read and edited as the platform's profile functions do, so that a
// hand-written file reads the same on every platform. Pure functions over the file's
// bytes; the platform seam adds the file access.
#ifndef KLV_BASE_PROFILE_H_
#define KLV_BASE_PROFILE_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace klv {

// The value of `key` in `section` of the profile text `text`, trimmed and unquoted, or
// nothing when the section or the key is absent (or the key's line has no "="). Rules:
// lines end at CR, LF or CRLF; a line is trimmed of spaces, tabs and the blank control
// characters LF, VT, FF, CR and ^Z; "[name]" opens a section (name trimmed, up to the
// line's last "]"); lines before the first section form the section named ""; a key line
// splits at its first "="; names match without regard to ASCII case; the first matching
// section and key win; one pair of matching quotes around a value is removed; a zero byte
// ends the value.
std::optional<std::string> FindProfileValue(std::string_view text, std::string_view section,
                                            std::string_view key);

// GetPrivateProfileString: the value, or `default_value` (less its trailing spaces and
// one pair of quotes) when absent, cut to `buffer_size` - 1 bytes before any double-byte
// character that would not fit whole; empty when `buffer_size` is 0.
std::string GetProfileStringFromText(std::string_view text, std::string_view section,
                                     std::string_view key, std::string_view default_value,
                                     size_t buffer_size);

// GetPrivateProfileInt: `default_value` when the key is absent or its value empty;
// otherwise, within the value's first 29 bytes, leading blanks, an optional sign, an
// optional "0x", "0o" or "0b" prefix and the digits up to the first other character,
// wrapping modulo 2^32 (no digits read as 0).
int32_t GetProfileIntFromText(std::string_view text, std::string_view section, std::string_view key,
                              int32_t default_value);

// WritePrivateProfileString: the text with key=value set in `section`. The first matching
// key line is replaced; otherwise the line is added after the section's last non-blank
// line; a missing section is appended. New lines end with CRLF.
std::string SetProfileValueInText(std::string_view text, std::string_view section,
                                  std::string_view key, std::string_view value);

// Keys and their values, in the order they are written.
using ProfileValues = std::vector<std::pair<std::string, std::string>>;

// The text with every key=value of `values` set in `section` in their order: what that
// many WritePrivateProfileString calls, one key each, leave. From an empty text, the new
// file "[section]" with one line per key.
std::string SetProfileValuesInText(std::string_view text, std::string_view section,
                                   const ProfileValues& values);

}  // namespace klv

#endif  // KLV_BASE_PROFILE_H_
