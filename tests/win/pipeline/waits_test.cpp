#include "pipeline/waits.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace lectavo {
namespace {

std::atomic<int> handled{0};
std::atomic<ULONGLONG> handledAt{0};

LRESULT CALLBACK countingProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_APP) {
    ++handled;
    handledAt = GetTickCount64();
    return 0;
  }
  return DefWindowProcW(w, m, wp, lp);
}

// A message-only window on the test's thread, standing in for the main window.
class Waits : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSW wc{};
    wc.lpfnWndProc = countingProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"WaitsTestWindow";
    RegisterClassW(&wc);
    window_ = CreateWindowW(L"WaitsTestWindow", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(window_, nullptr);
    handled = 0;
  }
  void TearDown() override { DestroyWindow(window_); }
  void postLater(DWORD ms) {
    const HWND w = window_;
    helper_ = std::thread([w, ms] {
      Sleep(ms);
      PostMessageW(w, WM_APP, 0, 0);
    });
  }
  void join() { helper_.join(); }
  HWND window_ = nullptr;
  std::thread helper_;
};

ULONGLONG threadCpuMs() {
  FILETIME c, e, k, u;
  GetThreadTimes(GetCurrentThread(), &c, &e, &k, &u);
  auto ms = [](FILETIME f) { return ((ULONGLONG(f.dwHighDateTime) << 32) | f.dwLowDateTime) / 10000; };
  return ms(k) + ms(u);
}

TEST_F(Waits, WaitPumpingHandlesMessagesAndStillEndsOnTime) {
  const ULONGLONG start = GetTickCount64();
  postLater(300);
  waitPumping(1000);
  const ULONGLONG took = GetTickCount64() - start;
  join();
  EXPECT_EQ(handled, 1);
  EXPECT_LT(handledAt - start, 700u) << "the message waited for the end of the wait";
  EXPECT_GE(took, 990u);
  EXPECT_LT(took, 1300u);
}

TEST_F(Waits, DelayPumpingKeepsTimeHandlesMessagesAndYields) {
  ULONGLONG start = GetTickCount64();
  delayPumping(0);
  delayPumping(-5);
  EXPECT_LT(GetTickCount64() - start, 20u);

  postLater(200);
  const ULONGLONG cpuBefore = threadCpuMs();
  start = GetTickCount64();
  delayPumping(500);
  const ULONGLONG took = GetTickCount64() - start;
  const ULONGLONG cpu = threadCpuMs() - cpuBefore;
  join();
  EXPECT_GT(took, 500u);
  EXPECT_LT(took, 650u);
  EXPECT_EQ(handled, 1);
  EXPECT_LT(handledAt - start, 400u);
  EXPECT_LT(cpu, 150u) << "the delay kept the processor busy";
}

TEST_F(Waits, ProcessEventsStopsAtAQuitAndLeavesIt) {
  PostMessageW(window_, WM_APP, 0, 0);
  PostQuitMessage(7);
  processEvents();
  EXPECT_EQ(handled, 1);
  MSG msg;
  bool quitSeen = false;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      quitSeen = true;
      EXPECT_EQ(msg.wParam, 7u);
    }
  }
  EXPECT_TRUE(quitSeen);
}

TEST_F(Waits, EventWaitEndsEarlyAndRearms) {
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(event, nullptr);
  std::thread setter([event] {
    Sleep(200);
    SetEvent(event);
  });
  ULONGLONG start = GetTickCount64();
  waitPumpingOrEvent(1000, event);
  const ULONGLONG early = GetTickCount64() - start;
  setter.join();
  EXPECT_GE(early, 150u);
  EXPECT_LT(early, 600u);
  EXPECT_EQ(WaitForSingleObject(event, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "event left set";

  start = GetTickCount64();
  waitPumpingOrEvent(300, event);  // nothing changes: the full time
  EXPECT_GE(GetTickCount64() - start, 290u);
  CloseHandle(event);
}

}  // namespace
}  // namespace lectavo
