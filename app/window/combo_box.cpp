// The voice list: an editable drop-down, items in their given order, rows one pixel taller than usual.
#include <algorithm>

#include "app/window/kinds.h"
#include "platform/cp936.h"

namespace lectavo::win {

HWND createComboBox(HWND parent, const ControlSpec& spec) {
  ControlSpec opened = spec;
  opened.height = kComboListHeight;  // a drop-down's window height includes its opened list
  HWND h = createChild(parent, opened, L"COMBOBOX", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL, "");
  for (const char* item : voiceItems())
    SendMessageW(h, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(widen936(item).c_str()));
  LRESULT row = SendMessageW(h, CB_GETITEMHEIGHT, 0, 0);
  if (row > 0) SendMessageW(h, CB_SETITEMHEIGHT, 0, row + 1);
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
