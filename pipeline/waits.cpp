#include "pipeline/waits.h"

#include <windows.h>

#include "platform/owner.h"

namespace lectavo {
namespace {

constexpr DWORD kWakeMask = 0xFF;  // key, mouse, posted, timer, paint, sent, hot-key

// Waits on `handles` or any message; handles messages and waits again until a handle is signalled.
// Returns the index of the signalled handle.
DWORD waitHandlesPumping(const HANDLE* handles, DWORD count) {
  for (;;) {
    const DWORD r =
        MsgWaitForMultipleObjectsEx(count, handles, INFINITE, kWakeMask, MWMO_INPUTAVAILABLE);
    if (r >= WAIT_OBJECT_0 && r < WAIT_OBJECT_0 + count) return r - WAIT_OBJECT_0;
    if (r == WAIT_OBJECT_0 + count) {
      processEvents();
      continue;
    }
    return count;  // WAIT_FAILED: nothing sensible to wait on
  }
}

platform::UniqueHandle dueTimer(unsigned ms) {
  platform::UniqueHandle timer(CreateWaitableTimerA(nullptr, FALSE, nullptr));
  if (!timer) return timer;
  LARGE_INTEGER due;
  due.QuadPart = -static_cast<LONGLONG>(ms) * 10000;  // relative, in 100 ns
  if (!SetWaitableTimer(timer.get(), &due, 0, nullptr, nullptr, FALSE)) timer.reset();
  return timer;
}

// Without a timer a plain sleep still gives the caller its pause.
void sleepPumping(unsigned ms) { delayPumping(static_cast<int>(ms)); }

}  // namespace

void processEvents() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void waitPumping(unsigned ms) {
  const auto timer = dueTimer(ms);
  if (!timer) return sleepPumping(ms);
  const HANDLE handles[] = {timer.get()};
  waitHandlesPumping(handles, 1);
}

void waitPumpingOrEvent(unsigned ms, void* event) {
  const auto timer = dueTimer(ms);
  if (!timer) return sleepPumping(ms);
  const HANDLE change = static_cast<HANDLE>(event);
  const HANDLE handles[] = {timer.get(), change};
  if (waitHandlesPumping(handles, 2) == 1) ResetEvent(change);
}

void delayPumping(int ms) {
  if (ms <= 0) return;
  const ULONGLONG start = GetTickCount64();
  const ULONGLONG span = static_cast<ULONGLONG>(ms);
  for (;;) {
    processEvents();
    processEvents();
    const ULONGLONG elapsed = GetTickCount64() - start;
    if (elapsed > span) return;
    processEvents();
    processEvents();
    // Sleep until the end is due, but wake for any message to keep the window responsive.
    MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(span - elapsed + 1), kWakeMask,
                                MWMO_INPUTAVAILABLE);
  }
}

}  // namespace lectavo
