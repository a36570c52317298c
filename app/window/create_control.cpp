#include "app/window/kinds.h"
#include "platform/cp936.h"
#include "platform/error.h"

namespace lectavo::win {

HWND createChild(HWND parent, const ControlSpec& design, const wchar_t* windowClass, DWORD style,
                 const Text& text) {
  // WS_CLIPSIBLINGS: where controls overlap, the one in front is drawn on top.
  HWND h = CreateWindowExW(0, windowClass, widen936(text).c_str(), WS_CHILD | WS_CLIPSIBLINGS | style,
                           design.left, design.top, design.width, design.height, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(design.id)),
                           GetModuleHandleW(nullptr), nullptr);
  if (h == nullptr) platform::throwLastError("CreateWindowExW");
  SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  return h;
}

HWND createControl(HWND parent, const ControlSpec& design) {
  switch (design.kind) {
    case Kind::textBox:
    case Kind::speedBox:
      return createTextBox(parent, design);
    case Kind::label:
      return createLabel(parent, design);
    case Kind::button:
      return createButton(parent, design);
    case Kind::comboBox:
      return createComboBox(parent, design);
  }
  return nullptr;
}

}  // namespace lectavo::win
