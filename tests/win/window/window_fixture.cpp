#include "window_fixture.h"

#include "app/window/main_window.h"

namespace lectavo::testing {

Events& events() {
  static Events* e = new Events;
  return *e;
}

EventHandlers countingHandlers() {
  EventHandlers h;
  h.created = [] {
    ++events().created;
    if (events().showOnCreate) writeBool(Control::mainWindow, Prop::visible, true);
  };
  h.closeRequested = [] {
    ++events().closeRequested;
    return events().closeAnswer;
  };
  h.destroying = [] {
    ++events().destroying;
    if (events().onDestroying) events().onDestroying();
  };
  h.textChanged = [] {
    ++events().textChanged;
    if (events().onTextChanged) events().onTextChanged();
  };
  h.textLostFocus = [] { ++events().textLostFocus; };
  h.speedChanged = [] {
    ++events().speedChanged;
    if (events().onSpeedChanged) events().onSpeedChanged();
  };
  h.playStopClicked = [] { ++events().playStop; };
  h.playStopLostFocus = [] { ++events().playStopLostFocus; };
  h.browseClicked = [] { ++events().browse; };
  h.saveClicked = [] { ++events().save; };
  h.voiceSelected = [] {
    ++events().voiceSelected;
    if (events().onVoiceSelected) events().onVoiceSelected();
  };
  return h;
}

HWND mainHwnd() { return win::currentWindow()->hwnd(); }
HWND controlHwnd(Control c) { return win::currentWindow()->control(c); }

void pump(int ms, const std::function<bool()>& done) {
  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(ms);
  MSG msg;
  while (GetTickCount64() < end) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (done && done()) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

void WindowTest::SetUp() {
  Events& e = events();
  e.onTextChanged = e.onSpeedChanged = e.onDestroying = e.onVoiceSelected = nullptr;
  e.closeAnswer = CloseAnswer::none;
  e.showOnCreate = true;
  for (auto* c : {&e.created, &e.closeRequested, &e.destroying, &e.textChanged, &e.textLostFocus,
                  &e.speedChanged, &e.playStop, &e.playStopLostFocus, &e.browse, &e.save,
                  &e.voiceSelected})
    c->store(0);
}

void WindowTest::loadWindow() {
  loadMainWindow(countingHandlers());
  pump(50);
}

void WindowTest::TearDown() {
  win::MainWindow* w = win::currentWindow();
  if (w != nullptr && !w->gone()) {
    events().closeAnswer = CloseAnswer::close;
    events().onDestroying = nullptr;
    DestroyWindow(w->hwnd());
  }
  pump(20);
}

}  // namespace lectavo::testing
