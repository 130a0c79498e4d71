// Character-level text helpers shared by every layer: decoding UTF-8 (command lines and
// Linux file names), stepping over code page 932 characters (the product's texts), and
// making a message one line for standard error. One definition each, so that the
// library, the maker and the tools cannot disagree about where a character ends.
#ifndef KLV_BASE_TEXT_H_
#define KLV_BASE_TEXT_H_

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace klv {

// One character decoded from UTF-8.
struct Utf8Character {
  char32_t codePoint = 0;
  size_t length = 0;  // its bytes in the text, 1 to 4
};

// Decodes the character that starts at byte `pos` of `text`. Nothing when `pos` is at or
// past the end, or when the bytes there are not a well-formed UTF-8 sequence: a
// continuation byte, 0xC0, 0xC1 or 0xF5 to 0xFF as the first byte; a sequence cut short
// by the end of the text or by a byte that is not a continuation; a longer form than the
// value needs (overlong); a surrogate (U+D800 to U+DFFF); a value above U+10FFFF.
// A caller that goes on after nothing steps over one byte.
std::optional<Utf8Character> DecodeUtf8(std::string_view text, size_t pos);

// Appends the UTF-8 form of `code_point` (at most U+10FFFF) to *out.
void AppendUtf8(char32_t code_point, std::string* out);

// The number of characters of the UTF-8 text `text`; every byte that does not begin a
// well-formed sequence counts as one character of its own.
size_t CountUtf8Characters(std::string_view text);

// The width in bytes (1 or 2) of the code page 932 character that starts at byte `pos`
// of `text`; requires pos < text.size(). A lead byte (0x81-0x9F, 0xE0-0xFC) takes the
// next byte with it whatever that byte is, as the platform's converter does; a lead byte
// that is the last byte of the text stands alone.
size_t Cp932CharacterWidth(std::string_view text, size_t pos);

// `text` as one line, for a message printed one per line: every CR and every LF becomes
// a space (a CR LF pair two spaces), so that a file name holding line breaks cannot
// split its message. Every other byte, a tab among them, is kept.
std::string OneLine(std::string_view text);

}  // namespace klv

#endif  // KLV_BASE_TEXT_H_
