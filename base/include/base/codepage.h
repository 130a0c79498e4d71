// Code page 932 (Shift-JIS) byte rules: the product's texts are code page 932 bytes, and
// every length limit counts bytes without splitting a double-byte character.
#ifndef KLV_BASE_CODEPAGE_H_
#define KLV_BASE_CODEPAGE_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace klv {

// True for a byte that starts a double-byte character (0x81-0x9F, 0xE0-0xFC).
bool IsCp932LeadByte(uint8_t byte);

// The longest prefix of `text` of at most `limit` bytes that does not end inside a
// double-byte character.
std::string_view CutToByteLimit(std::string_view text, size_t limit);

// The first `count` characters of `text` (a double-byte character counts one).
std::string_view FirstCharacters(std::string_view text, size_t count);

}  // namespace klv

#endif  // KLV_BASE_CODEPAGE_H_
