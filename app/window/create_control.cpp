#include "app/window/kinds.h"
#include "platform/cp936.h"
#include "platform/error.h"

namespace lectavo::win {

HWND createChild(HWND parent, const ControlSpec& spec, const wchar_t* windowClass, DWORD style,
                 const Text& text) {
  // WS_CLIPSIBLINGS: where controls overlap, the one in front is drawn on top.
  HWND h = CreateWindowExW(0, windowClass, widen936(text).c_str(), WS_CHILD | WS_CLIPSIBLINGS | style,
                           spec.left, spec.top, spec.width, spec.height, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id)),
                           GetModuleHandleW(nullptr), nullptr);
  if (h == nullptr) platform::throwLastError("CreateWindowExW");
  SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  return h;
}

HWND createControl(HWND parent, const ControlSpec& spec) {
  switch (spec.kind) {
    case Kind::textBox:
    case Kind::speedBox:
      return createTextBox(parent, spec);
    case Kind::label:
      return createLabel(parent, spec);
    case Kind::button:
      return createButton(parent, spec);
    case Kind::comboBox:
      return createComboBox(parent, spec);
  }
  return nullptr;
}

}  // namespace lectavo::win
