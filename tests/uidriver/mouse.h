#pragma once
// A real left click at the middle of a window. It comes from the X side (xdotool, started through the
// rig's Z: drive): real pointer events, as a user's; under the rig the system's own SendInput path can
// lose the first click after a program starts. The virtual desktop lies at 0,0, so its coordinates are
// the X screen's.
#include <windows.h>

#include <string>

namespace lectavo::ui {

inline void sendClickAtCentre(HWND target) {
  RECT r{};
  GetWindowRect(target, &r);
  const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
  std::wstring cmd = L"Z:\\usr\\bin\\xdotool mousemove " + std::to_wstring(x) + L" " + std::to_wstring(y) +
                     L" click 1";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    WaitForSingleObject(pi.hProcess, 5000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return;
  }
  // No xdotool: through the system's input queue.
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
