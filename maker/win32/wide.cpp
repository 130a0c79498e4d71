// UTF-8 and UTF-16 by the form's own conversions, so that both windows convert alike.
#include "wide.h"

#include "form/text_boxes.h"

namespace klv::win32 {

std::wstring Wide(std::string_view utf8) {
  const std::u16string units = form::Utf8ToUtf16(utf8);
  return std::wstring(units.begin(), units.end());
}

std::string Utf8(std::wstring_view wide) {
  const std::u16string units(wide.begin(), wide.end());
  return form::Utf16ToUtf8(units);
}

std::wstring WithCrLf(std::wstring_view text) {
  std::wstring lines;
  for (const wchar_t c : text) {
    if (c == L'\n') lines += L'\r';
    lines += c;
  }
  return lines;
}

}  // namespace klv::win32
