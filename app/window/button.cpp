// Push buttons: none is the default button; the caption is centred and may wrap. BS_NOTIFY makes the
// button report losing the focus (按钮1 has a handler for that).
#include "app/window/kinds.h"

namespace lectavo::win {

HWND createButton(HWND parent, const ControlSpec& spec) {
  DWORD style = BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_MULTILINE | BS_NOTIFY |
                (spec.tabStop ? WS_TABSTOP : 0);
  return createChild(parent, spec, L"BUTTON", style, spec.initialText);
}

}  // namespace lectavo::win
