#pragma once
// A real left click through the system's input queue, at the middle of a window.
#include <windows.h>

namespace lectavo::ui {

inline void sendClickAtCentre(HWND target) {
  RECT r{};
  GetWindowRect(target, &r);
  const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
  INPUT in[3] = {};
  for (auto& i : in) i.type = INPUT_MOUSE;
  in[0].mi.dx = x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
  in[0].mi.dy = y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
  in[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  in[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  in[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(3, in, sizeof(INPUT));
}

}  // namespace lectavo::ui
