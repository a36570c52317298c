#pragma once
// A fresh main window per test, loaded on the test's thread (which is then the window thread), with
// handlers that count their events and can run a hook.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

#include "app/window.h"

namespace lectavo::testing {

struct Events {
  std::atomic<int> created{0}, closeRequested{0}, destroying{0}, textChanged{0}, textLostFocus{0},
      speedChanged{0}, playStop{0}, playStopLostFocus{0}, browse{0}, save{0}, voiceSelected{0};
  std::function<void()> onTextChanged, onSpeedChanged, onDestroying, onVoiceSelected;
  CloseAnswer closeAnswer = CloseAnswer::none;
  bool showOnCreate = true;
};

Events& events();
EventHandlers countingHandlers();

HWND mainHwnd();
HWND controlHwnd(Control c);

// Services the window thread's messages for about `ms` milliseconds, or until `done` holds.
void pump(int ms, const std::function<bool()>& done = {});

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;  // closes the window if it is still there
  void loadWindow();
};

}  // namespace lectavo::testing
