// Window-level keys. The window is no dialog, so nothing moves the focus on Tab by itself (a multi-line
// edit box would even swallow it); every control is subclassed to hand Esc, Tab and Shift+Tab to the
// main window before its own handling. Works in any message loop, the nested waits' included.
#include "app/window/kinds.h"
#include "app/window/main_window.h"

namespace lectavo::win {

namespace {

constexpr wchar_t kOriginalProc[] = L"LectavoOriginalProc";
MainWindow* keysOwner = nullptr;  // the window of the controls, window thread only

LRESULT CALLBACK keysProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  auto original = reinterpret_cast<WNDPROC>(GetPropW(h, kOriginalProc));
  switch (msg) {
    case WM_KEYDOWN:
      if (w == VK_ESCAPE && !comboDropped(h) && keysOwner != nullptr) {
        keysOwner->requestClose();
        return 0;
      }
      if (w == VK_TAB && keysOwner != nullptr) {
        keysOwner->moveTabFocus(h, GetKeyState(VK_SHIFT) < 0);
        return 0;
      }
      break;
    case WM_CHAR:
      if (w == VK_TAB || (w == VK_ESCAPE && !comboDropped(h))) return 0;
      break;
    case WM_NCDESTROY:
      SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
      RemovePropW(h, kOriginalProc);
      break;
    default:
      break;
  }
  return CallWindowProcW(original, h, msg, w, l);
}

void subclass(HWND h) {
  SetPropW(h, kOriginalProc, reinterpret_cast<HANDLE>(GetWindowLongPtrW(h, GWLP_WNDPROC)));
  SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(keysProc));
}

}  // namespace

void watchKeys(HWND control, MainWindow* window) {
  keysOwner = window;
  subclass(control);
  // The voice list's typing field is its own child window and has the focus while typing.
  wchar_t cls[16] = {};
  GetClassNameW(control, cls, 16);
  if (lstrcmpiW(cls, L"ComboBox") == 0) {
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (GetComboBoxInfo(control, &info) && info.hwndItem != nullptr) subclass(info.hwndItem);
  }
}

}  // namespace lectavo::win
