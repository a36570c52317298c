// The voice list: an editable drop-down, items in their given order, rows one pixel taller than usual.
#include <algorithm>

#include "app/window/kinds.h"
#include "platform/cp936.h"

namespace lectavo::win {

namespace {

constexpr wchar_t kListProc[] = L"LectavoListProc";

// The opened list keeps the height the design gives it even for few items (the platform would shrink
// it to fit them): its bottom lies kComboListHeight below the combo box's top.
LRESULT CALLBACK listProc(HWND list, UINT msg, WPARAM w, LPARAM l) {
  auto original = reinterpret_cast<WNDPROC>(GetPropW(list, kListProc));
  if (msg == WM_WINDOWPOSCHANGING) {
    auto* pos = reinterpret_cast<WINDOWPOS*>(l);
    HWND combo = reinterpret_cast<HWND>(GetWindowLongPtrW(list, GWLP_USERDATA));
    if (!(pos->flags & SWP_NOSIZE) && combo != nullptr) {
      RECT field{};
      GetWindowRect(combo, &field);
      pos->cy = kComboListHeight - (field.bottom - field.top);
    }
  } else if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    RemovePropW(list, kListProc);
  }
  return CallWindowProcW(original, list, msg, w, l);
}

void keepListHeight(HWND list, HWND combo) {
  SetWindowLongPtrW(list, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(combo));
  SetPropW(list, kListProc, reinterpret_cast<HANDLE>(GetWindowLongPtrW(list, GWLP_WNDPROC)));
  SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(listProc));
}

}  // namespace

HWND createComboBox(HWND parent, const ControlSpec& design) {
  ControlSpec opened = design;
  opened.height = kComboListHeight;  // a drop-down's window height includes its opened list
  HWND h = createChild(parent, opened, L"COMBOBOX",
                       CBS_DROPDOWN | CBS_AUTOHSCROLL | CBS_NOINTEGRALHEIGHT | WS_VSCROLL, "");
  for (const char* item : voiceItems())
    SendMessageW(h, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(widen936(item).c_str()));
  // The closed field's height follows the font (the platform sizes it; 22 pixels here for the
  // design's 20).
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  GetComboBoxInfo(h, &info);
  // List rows one pixel taller than the platform's: set on the list itself, since a combo box that
  // draws its own items ignores CB_SETITEMHEIGHT for rows.
  if (info.hwndList != nullptr) {
    LRESULT row = SendMessageW(info.hwndList, LB_GETITEMHEIGHT, 0, 0);
    if (row > 0) SendMessageW(info.hwndList, LB_SETITEMHEIGHT, 0, row + 1);
    keepListHeight(info.hwndList, h);
  }
  return h;
}

void setComboCurrentItem(HWND combo, int index) {
  int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
  index = std::clamp(index, -1, count - 1);
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);  // sends no selection notice
}

bool comboDropped(HWND comboOrField) {
  for (HWND h = comboOrField; h != nullptr; h = GetParent(h)) {
    wchar_t cls[16] = {};
    GetClassNameW(h, cls, 16);
    if (lstrcmpiW(cls, L"ComboBox") == 0) return SendMessageW(h, CB_GETDROPPEDSTATE, 0, 0) != 0;
  }
  return false;
}

}  // namespace lectavo::win
