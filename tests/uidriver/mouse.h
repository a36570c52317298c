#pragma once
// A real left click through the system's input queue, at the middle of a window.
#include <windows.h>

namespace lectavo::ui {

// The pointer moves there first and rests a moment, as a hand does: a press that arrives together with
// the first move onto a window can reach the window the pointer came from.
inline void sendClickAtCentre(HWND target) {
  RECT r{};
  GetWindowRect(target, &r);
  const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
  INPUT move{};
  move.type = INPUT_MOUSE;
  move.mi.dx = x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
  move.mi.dy = y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
  move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &move, sizeof(INPUT));
  Sleep(100);
  INPUT press[2] = {};
  for (auto& i : press) i.type = INPUT_MOUSE;
  press[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  press[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, press, sizeof(INPUT));
}

}  // namespace lectavo::ui
