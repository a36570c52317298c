// Push buttons: none is the default button; the caption is centred and may wrap. BS_NOTIFY makes the
// button report losing the focus (按钮1 has a handler for that).
//
// Each button also keeps track of its mouse press, from the button-down on it to the button-up: the
// main window needs to know whether a focus loss or a click belongs to one (see answerPress).
#include "app/window/kinds.h"

namespace lectavo::win {

namespace {

constexpr wchar_t kOriginalProc[] = L"LectavoPressOriginalProc";
constexpr wchar_t kPressState[] = L"LectavoPressState";
constexpr UINT_PTR kPressing = 1, kAnswered = 2, kInButtonUp = 4;

UINT_PTR pressState(HWND b) { return reinterpret_cast<UINT_PTR>(GetPropW(b, kPressState)); }
void setPressState(HWND b, UINT_PTR s) { SetPropW(b, kPressState, reinterpret_cast<HANDLE>(s)); }

LRESULT CALLBACK pressProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  auto original = reinterpret_cast<WNDPROC>(GetPropW(h, kOriginalProc));
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      setPressState(h, kPressing);
      // The second press of a double click is a press like any other: with BS_NOTIFY the button would
      // report it as a double click and raise no click, so a quick Play-then-Stop would lose the Stop.
      LRESULT r = CallWindowProcW(original, h, WM_LBUTTONDOWN, w, l);
      // An answered press is over: the button lets go of the mouse, as it does when it loses the focus
      // later in a press, rather than stay pushed in and holding the capture.
      if ((pressState(h) & kAnswered) != 0 && GetCapture() == h) ReleaseCapture();
      return r;
    }
    case WM_LBUTTONUP: {
      // The click, if any, is sent from inside the button's own handling of the button-up. The mark of
      // an answer stays for the button-down that may still be in progress around it.
      UINT_PTR s = pressState(h);
      setPressState(h, s | kInButtonUp);
      LRESULT r = CallWindowProcW(original, h, msg, w, l);
      setPressState(h, s & kAnswered);
      return r;
    }
    case WM_NCDESTROY:
      SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
      RemovePropW(h, kOriginalProc);
      RemovePropW(h, kPressState);
      break;
    default:
      break;
  }
  return CallWindowProcW(original, h, msg, w, l);
}

}  // namespace

HWND createButton(HWND parent, const ControlSpec& design) {
  DWORD style = BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_MULTILINE | BS_NOTIFY |
                (design.tabStop ? WS_TABSTOP : 0);
  HWND b = createChild(parent, design, L"BUTTON", style, design.initialText);
  SetPropW(b, kOriginalProc, reinterpret_cast<HANDLE>(GetWindowLongPtrW(b, GWLP_WNDPROC)));
  SetWindowLongPtrW(b, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(pressProc));
  return b;
}

void answerPress(HWND button) {
  UINT_PTR s = pressState(button);
  if ((s & kPressing) != 0 && (s & kInButtonUp) == 0) setPressState(button, s | kAnswered);
}

bool clickOfAnsweredPress(HWND button) {
  UINT_PTR s = pressState(button);
  return (s & kAnswered) != 0 && (s & kInButtonUp) != 0;
}

}  // namespace lectavo::win
