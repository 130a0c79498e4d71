// Code page 932 byte rules. The product's texts stay code page 932 bytes on every
// platform; these helpers let a length limit count bytes without ever leaving half of a
// double-byte character behind.
#include "base/codepage.h"

#include "base/text.h"

namespace klv {

bool IsCp932LeadByte(uint8_t byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

std::string_view CutToByteLimit(std::string_view text, size_t limit) {
  if (text.size() <= limit) return text;
  size_t end = 0;
  while (end < text.size()) {
    const size_t width = Cp932CharacterWidth(text, end);
    if (end + width > limit) break;
    end += width;
  }
  return text.substr(0, end);
}

std::string_view FirstCharacters(std::string_view text, size_t count) {
  size_t end = 0;
  for (size_t n = 0; n < count && end < text.size(); ++n) end += Cp932CharacterWidth(text, end);
  return text.substr(0, end);
}

}  // namespace klv
