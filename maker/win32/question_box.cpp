// The question dialog from an in-memory template (a text and two buttons), laid out in
// pixels once its font is known: the text measured, the buttons below it on the right.
#include "question_box.h"

#include <algorithm>
#include <vector>

#include "dpi.h"

namespace klv::win32 {
namespace {

constexpr WORD kTextId = 100;
constexpr int kMarginDesign = 12;
constexpr int kButtonWidthDesign = 88;
constexpr int kButtonHeightDesign = 26;
constexpr int kTextWidthDesign = 360;

struct Asked {
  const Question* question;
  HFONT font;
};

// A dialog template of the window and its three items, all laid out later.
std::vector<WORD> Template() {
  std::vector<WORD> words;
  const auto put_dword = [&words](DWORD value) {
    words.push_back(LOWORD(value));
    words.push_back(HIWORD(value));
  };
  const auto align = [&words] {
    if (words.size() % 2 != 0) words.push_back(0);  // items start on a DWORD boundary
  };
  put_dword(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME);
  put_dword(0);                                    // extended style
  words.push_back(3);                              // items
  for (int i = 0; i < 4; ++i) words.push_back(0);  // x, y, cx, cy
  words.push_back(0);                              // no menu
  words.push_back(0);                              // the standard dialog class
  words.push_back(0);                              // no title yet
  const struct {
    DWORD style;
    WORD id;
    WORD atom;  // 0x0080 button, 0x0082 static
  } items[] = {
      {WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, kTextId, 0x0082},
      {WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, IDYES, 0x0080},
      {WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, IDNO, 0x0080},
  };
  for (const auto& item : items) {
    align();
    put_dword(item.style);
    put_dword(0);
    for (int i = 0; i < 4; ++i) words.push_back(0);
    words.push_back(item.id);
    words.push_back(0xFFFF);
    words.push_back(item.atom);
    words.push_back(0);  // no text yet
    words.push_back(0);  // no creation data
  }
  return words;
}

void Layout(HWND dialog, const Asked& asked) {
  const Question& question = *asked.question;
  const UINT dpi = GetDpiForWindow(dialog) != 0 ? GetDpiForWindow(dialog) : USER_DEFAULT_SCREEN_DPI;
  const auto scale = [dpi](int value) { return ScaleForDpi(value, dpi); };
  HWND text = GetDlgItem(dialog, kTextId);
  HWND yes = GetDlgItem(dialog, IDYES);
  HWND no = GetDlgItem(dialog, IDNO);
  SetWindowTextW(dialog, question.title.c_str());
  SetWindowTextW(text, question.text.c_str());
  SetWindowTextW(yes, question.yes.c_str());
  SetWindowTextW(no, question.no.c_str());
  for (HWND control : {text, yes, no}) {
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(asked.font), FALSE);
  }
  RECT measured{0, 0, scale(kTextWidthDesign), 0};
  HDC dc = GetDC(dialog);
  HGDIOBJ old = SelectObject(dc, asked.font);
  DrawTextW(dc, question.text.c_str(), -1, &measured, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  SelectObject(dc, old);
  ReleaseDC(dialog, dc);

  const int margin = scale(kMarginDesign);
  const int button_width = scale(kButtonWidthDesign);
  const int button_height = scale(kButtonHeightDesign);
  const int width = std::max<int>(measured.right, 2 * button_width + margin) + 2 * margin;
  const int buttons_top = margin + measured.bottom + margin;
  MoveWindow(text, margin, margin, measured.right, measured.bottom, FALSE);
  MoveWindow(no, width - margin - button_width, buttons_top, button_width, button_height, FALSE);
  MoveWindow(yes, width - 2 * (margin + button_width) + margin / 2, buttons_top, button_width,
             button_height, FALSE);
  RECT frame{0, 0, width, buttons_top + button_height + margin};
  AdjustWindowRectExForDpi(&frame, static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_EXSTYLE)), dpi);
  // Over the middle of the owner's window, or of the screen.
  RECT over{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (HWND owner = GetWindow(dialog, GW_OWNER)) GetWindowRect(owner, &over);
  const int frame_width = frame.right - frame.left;
  const int frame_height = frame.bottom - frame.top;
  SetWindowPos(dialog, nullptr, (over.left + over.right - frame_width) / 2,
               (over.top + over.bottom - frame_height) / 2, frame_width, frame_height,
               SWP_NOZORDER | SWP_NOACTIVATE);

  const int default_button = question.defaultYes ? IDYES : IDNO;
  SendMessageW(dialog, DM_SETDEFID, static_cast<WPARAM>(default_button), 0);
  SetFocus(GetDlgItem(dialog, default_button));
}

INT_PTR CALLBACK QuestionProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      Layout(dialog, *reinterpret_cast<const Asked*>(lparam));
      return FALSE;  // the focus is set
    case WM_COMMAND:
      if (LOWORD(wparam) == IDYES || LOWORD(wparam) == IDNO || LOWORD(wparam) == IDCANCEL) {
        EndDialog(dialog, LOWORD(wparam) == IDYES ? IDYES : IDNO);
        return TRUE;
      }
      return FALSE;
    default: return FALSE;
  }
}

}  // namespace

bool AskQuestion(HWND owner, HFONT font, const Question& question) {
  const std::vector<WORD> words = Template();
  const Asked asked{&question, font};
  const INT_PTR answer =
      DialogBoxIndirectParamW(reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner, GWLP_HINSTANCE)),
                              reinterpret_cast<const DLGTEMPLATE*>(words.data()), owner,
                              QuestionProc, reinterpret_cast<LPARAM>(&asked));
  return answer == IDYES;
}

}  // namespace klv::win32
