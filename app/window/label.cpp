// Labels: one line, left-aligned, vertically centred, "&" shown as itself.
#include "app/window/kinds.h"

namespace lectavo::win {

HWND createLabel(HWND parent, const ControlSpec& spec) {
  return createChild(parent, spec, L"STATIC", SS_LEFT | SS_CENTERIMAGE | SS_NOPREFIX, spec.initialText);
}

}  // namespace lectavo::win
