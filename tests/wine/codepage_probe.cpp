// codepage_probe: prints the code page 932 conversions of the platform seam for every
// character of the Basic Multilingual Plane and every one- and two-byte sequence, so that
// the Windows build (MultiByteToWideChar and WideCharToMultiByte) and the Linux build
// (iconv) can be compared line by line. "u XXXX: bytes" for Utf8ToCp932, "c XXXX: XXXX"
// for Cp932ToUtf8 (code points in hex); a conversion that fails prints "-".
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "base/platform.h"

namespace {

std::string Utf8(uint32_t code) {
  std::string text;
  if (code < 0x80) {
    text += static_cast<char>(code);
  } else if (code < 0x800) {
    text += static_cast<char>(0xC0 | (code >> 6));
    text += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    text += static_cast<char>(0xE0 | (code >> 12));
    text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (code & 0x3F));
  }
  return text;
}

// The code points of a UTF-8 text in hex, separated by spaces.
std::string CodePoints(const std::string& utf8) {
  std::string out;
  for (size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<uint8_t>(utf8[i]);
    const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    uint32_t code = length == 1   ? lead
                    : length == 2 ? (lead & 0x1F)
                    : length == 3 ? (lead & 0x0F)
                                  : (lead & 0x07);
    for (size_t j = 1; j < length && i + j < utf8.size(); ++j) {
      code = (code << 6) | (static_cast<uint8_t>(utf8[i + j]) & 0x3F);
    }
    char hex[16];
    std::snprintf(hex, sizeof hex, "%s%04X", out.empty() ? "" : " ", static_cast<unsigned>(code));
    out += hex;
    i += length;
  }
  return out;
}

}  // namespace

int main() {
  for (uint32_t code = 1; code < 0x10000; ++code) {
    if (code >= 0xD800 && code < 0xE000) continue;
    const std::optional<std::string> cp932 = klv::Utf8ToCp932(Utf8(code));
    std::printf("u %04X:", static_cast<unsigned>(code));
    if (!cp932) {
      std::printf(" -");
    } else {
      for (char c : *cp932) std::printf(" %02X", static_cast<unsigned>(static_cast<uint8_t>(c)));
    }
    std::printf("\n");
  }
  for (uint32_t bytes = 1; bytes < 0x10000; ++bytes) {
    std::string text;
    if (bytes < 0x100) {
      text += static_cast<char>(bytes);
    } else {
      if (bytes >> 8 == 0) continue;
      text += static_cast<char>(bytes >> 8);
      text += static_cast<char>(bytes & 0xFF);
    }
    const std::optional<std::string> utf8 = klv::Cp932ToUtf8(text);
    std::printf("c %04X: %s\n", static_cast<unsigned>(bytes),
                utf8 ? CodePoints(*utf8).c_str() : "-");
  }
  return 0;
}
