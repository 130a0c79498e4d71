// The maker window's texts between the window and the make: the code page 932 bytes that
// the settings and the package hold, and the typing rule of the byte-limited boxes. The
// window's texts are UTF-8 here; the typing rule works in UTF-16, the unit both window
// toolkits (Qt's QString, Windows' wide strings) count their cursors in.
#ifndef KLV_MAKER_FORM_TEXT_BOXES_H_
#define KLV_MAKER_FORM_TEXT_BOXES_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace klv::form {

// The code page 932 bytes of the UTF-8 `text`. A character that the code page cannot hold
// (or a byte that starts no well-formed character) becomes "?", as the platform's narrow
// conversion would make it; a line break stays one "\n".
std::string ToCp932(std::string_view text);

// `text` decoded from code page 932 into UTF-8. A byte sequence that the code page does
// not define becomes U+FFFD; the rest of the text is kept.
std::string FromCp932(const std::string& text);

// The comment box's form: line breaks are CR LF in code page 932, "\n" in the window.
std::string MultiLineToCp932(std::string_view text);
std::string MultiLineFromCp932(const std::string& text);

// UTF-8 and UTF-16, for the windows' edges. A sequence that is not well formed becomes
// U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

// How many bytes `text` takes in code page 932, counting a line break as
// `line_break_bytes` and a character the code page cannot hold as one ("?").
size_t Cp932Length(std::u16string_view text, size_t line_break_bytes = 1);

// The typing rule of a byte-limited box: of the text `inserted` between `head` and `tail`
// (what is left of `before` around the edit), the longest beginning of whole characters
// that keeps the result within `limit` bytes, or within the length of `before` when a
// program-set text already exceeds the limit. It ends before the first character that
// code page 932 cannot hold. A line break counts `line_break_bytes`.
std::u16string FittingInsert(std::u16string_view before, std::u16string_view head,
                             std::u16string_view inserted, std::u16string_view tail, size_t limit,
                             size_t line_break_bytes = 1);

// Applies the typing rule to a whole edit from `before` to `after`: the allowed result (the
// inserted part cut to what fits), with *cursor (when given) set after the part inserted.
// Returns `before` when nothing of the insertion fits.
std::u16string LimitEdit(std::u16string_view before, std::u16string_view after, size_t limit,
                         size_t line_break_bytes = 1, size_t* cursor = nullptr);

// The typing rule of a density box: a whole number from 0 to 100 in decimal digits, or
// nothing (while the person types).
bool IsDensityText(std::string_view text);

}  // namespace klv::form

#endif  // KLV_MAKER_FORM_TEXT_BOXES_H_
