// Profile (INI) text, read and edited as the platform's profile functions do, so that a
// hand-written file reads the same on every platform. Pure functions over the file's
// bytes; the platform seam adds the file access.
#ifndef KLV_PROFILE_H_
#define KLV_PROFILE_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace klv {

// The value of `key` in `section` of the profile text `text`, trimmed and unquoted, or
// nothing when the section or the key is absent. Rules: lines end at CR, LF or CRLF; a
// line is trimmed of spaces, tabs and control characters; "[name]" opens a section (name
// trimmed); a key line splits at its first "="; names match without regard to ASCII case;
// the first matching section and key win; one pair of matching quotes around a value is
// removed.
std::optional<std::string> FindProfileValue(std::string_view text, std::string_view section,
                                             std::string_view key);

// GetPrivateProfileString: the value, or `default_value` when absent, cut to
// `buffer_size` - 1 bytes before any double-byte character that would not fit whole.
std::string GetProfileStringFromText(std::string_view text, std::string_view section,
                                     std::string_view key, std::string_view default_value,
                                     size_t buffer_size);

// GetPrivateProfileInt: `default_value` when the key is absent or its value empty;
// otherwise leading blanks, an optional sign and the digits up to the first other
// character, wrapping modulo 2^32 (no digits read as 0).
int32_t GetProfileIntFromText(std::string_view text, std::string_view section,
                              std::string_view key, int32_t default_value);

// WritePrivateProfileString: the text with key=value set in `section`. The first matching
// key line is replaced; otherwise the line is added after the section's last line; a
// missing section is appended. New lines end with CRLF.
std::string SetProfileValueInText(std::string_view text, std::string_view section,
                                  std::string_view key, std::string_view value);

}  // namespace klv

#endif  // KLV_PROFILE_H_
