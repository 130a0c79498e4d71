// The Windows window's yes-or-no question: a small modal dialog of its own, so that its
// buttons speak the window's language and Escape or the close box answer no (a message
// box with Yes and No offers neither).
#ifndef KLV_MAKER_WIN32_QUESTION_BOX_H_
#define KLV_MAKER_WIN32_QUESTION_BOX_H_

#include <windows.h>

#include <string>

namespace klv::win32 {

struct Question {
  std::wstring title;
  std::wstring text;
  std::wstring yes;
  std::wstring no;
  bool defaultYes = false;  // which button Return presses
};

// Asks `question` over `owner` in `font`, and returns true for yes once the person has
// answered; Escape and the close box answer no. False also when the dialog cannot open.
bool AskQuestion(HWND owner, HFONT font, const Question& question);

}  // namespace klv::win32

#endif  // KLV_MAKER_WIN32_QUESTION_BOX_H_
