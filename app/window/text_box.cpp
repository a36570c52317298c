// Text boxes: 编辑框1 (multi-line, wraps, vertical scroll bar) and 编辑框2 (one line, centred).
#include <algorithm>

#include "app/window/kinds.h"
#include "app/window/sample_text.h"
#include "platform/cp936.h"

namespace lectavo::win {

HWND createTextBox(HWND parent, const ControlSpec& design) {
  // A plain one-pixel border (WS_BORDER, no client edge); the selection hides without the focus.
  DWORD style = WS_BORDER | (design.tabStop ? WS_TABSTOP : 0);
  if (design.kind == Kind::textBox)
    style |= ES_MULTILINE | ES_LEFT | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL;
  else
    style |= ES_CENTER | ES_AUTOHSCROLL;
  Text initial = design.initialText != nullptr ? Text(design.initialText) : sampleText();
  HWND h = createChild(parent, design, L"EDIT", style, "");
  SendMessageW(h, EM_SETLIMITTEXT, 0, 0);  // no length limit
  storeBoxText(h, initial);
  SendMessageW(h, EM_SETSEL, 0, 0);
  return h;
}

void storeBoxText(HWND box, const Text& value) { SetWindowTextW(box, widen936(value).c_str()); }

Text controlText(HWND control) {
  int n = GetWindowTextLengthW(control);
  std::wstring w(static_cast<std::size_t>(n) + 1, L'\0');
  n = GetWindowTextW(control, w.data(), n + 1);
  w.resize(static_cast<std::size_t>(std::max(n, 0)));
  return narrow936(w);
}

void selectBytes(HWND box, int start, int length) {
  const Text text = controlText(box);
  const std::size_t size = text.size();
  std::size_t from = 0;
  std::size_t to = 0;
  if (length == -1) {  // the whole text
    from = 0;
    to = size;
  } else if (start == -1) {  // the end of the text
    from = to = size;
  } else {
    from = std::min<std::size_t>(static_cast<std::size_t>(std::max(start, 0)), size);
    to = std::min<std::size_t>(from + static_cast<std::size_t>(std::max(length, 0)), size);
  }
  SendMessageW(box, EM_SETSEL, utf16PosOfByte(text, from), utf16PosOfByte(text, to));
  SendMessageW(box, EM_SCROLLCARET, 0, 0);
}

}  // namespace lectavo::win
