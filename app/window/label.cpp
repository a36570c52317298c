// Labels: one line, left-aligned, vertically centred, "&" shown as itself.
#include "app/window/kinds.h"

namespace lectavo::win {

HWND createLabel(HWND parent, const ControlSpec& design) {
  return createChild(parent, design, L"STATIC", SS_LEFT | SS_CENTERIMAGE | SS_NOPREFIX, design.initialText);
}

}  // namespace lectavo::win
