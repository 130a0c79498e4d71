// Code page 932 conversions by the code page's own table, for a platform whose C library
// has no code page 932 (the browser's): the same results as the C library's conversion
// that the Linux build uses, code for code, so a text reaches a package as the same bytes
// in every build.
#ifndef KLV_BASE_CP932_TABLE_H_
#define KLV_BASE_CP932_TABLE_H_

#include <optional>
#include <string>
#include <string_view>

namespace klv {

// The UTF-8 form of the code page 932 text `cp932`. Nothing when it holds a byte sequence
// that the code page does not define (0x80, 0xA0, 0xFD-0xFF, a lead byte without its
// trail byte, or a pair without a character).
std::optional<std::string> Cp932ToUtf8ByTable(std::string_view cp932);

// The code page 932 form of the UTF-8 text `utf8`. Nothing when it is not well-formed
// UTF-8 or holds a character that the code page cannot hold. A character that the code
// page holds twice gets the code Windows gives it; a few characters that have no code of
// their own get the look-alike's (U+00A5 YEN SIGN is 0x5C), as the C library gives them.
std::optional<std::string> Utf8ToCp932ByTable(std::string_view utf8);

}  // namespace klv

#endif  // KLV_BASE_CP932_TABLE_H_
