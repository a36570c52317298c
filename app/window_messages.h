#pragma once
// The program's own window messages, all in one place.
#include <windows.h>

namespace lectavo {

// Sent by a worker to the main window: carry out one property access on the window thread while the
// worker waits. lParam points to the caller's lectavo::win::CallRequest.
constexpr UINT WM_LECTAVO_CALL = WM_APP + 1;

// Posted by the main window when 组合框1 reports a new selection, so that list-item-selected is raised
// from the message loop after the combo box has applied the choice to its field, not nested inside it.
constexpr UINT WM_LECTAVO_VOICE_SELECTED = WM_APP + 2;

// Posted to the window thread once the main window is destroyed, so a message loop blocked in
// GetMessage wakes up and sees that the window is gone.
constexpr UINT WM_LECTAVO_WINDOW_GONE = WM_APP + 3;

}  // namespace lectavo
