// What the window raises when the user clicks 按钮1 while 编辑框1 has the focus: the order the
// commands' focus handlers are written for (see app/commands_play.cpp).
#include <string>
#include <vector>

#include "../../uidriver/mouse.h"
#include "window_fixture.h"

namespace lectavo::testing {
namespace {

std::vector<std::string>* order;
bool refocusText = false;
bool waitInButtonFocusLoss = false;  // as a Stop does while a piece plays

using FocusClickTest = WindowTest;

TEST_F(FocusClickTest, FocusLossComesAtTheButtonDownAndTheClickAtTheButtonUp) {
  struct Case {
    bool refocus;  // the text box's handler takes the focus back, as while reading
    bool wait;
    std::vector<std::string> order;
    int focusAfter;
  } cases[] = {
      {false, false, {"text lost focus", "play/stop clicked"}, 1007},
      // The focus loss in the middle of the press answers it: no click follows, whether the handler
      // returned at once or waited past the button-up.
      {true, false, {"text lost focus", "play/stop lost focus"}, 1001},
      {true, true, {"text lost focus", "play/stop lost focus"}, 1001},
  };
  for (const auto& c : cases) {
    bool refocus = c.refocus;
    waitInButtonFocusLoss = c.wait;
    SetUp();
    std::vector<std::string> seen;
    order = &seen;
    refocusText = refocus;
    EventHandlers h = countingHandlers();
    h.textLostFocus = [] {
      order->push_back("text lost focus");
      if (refocusText) giveFocus(Control::编辑框1);
    };
    h.playStopLostFocus = [] {
      order->push_back("play/stop lost focus");
      if (waitInButtonFocusLoss) pump(500);
    };
    h.playStopClicked = [] { order->push_back("play/stop clicked"); };
    loadMainWindow(h);
    SetForegroundWindow(mainHwnd());
    pump(200);
    giveFocus(Control::编辑框1);
    ui::sendClickAtCentre(controlHwnd(Control::按钮1));
    pump(1000, [&] { return seen.size() >= c.order.size(); });
    pump(300);
    EXPECT_EQ(seen, c.order) << "refocus " << refocus;
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), c.focusAfter) << "refocus " << refocus;
    EXPECT_EQ(GetCapture(), nullptr) << "refocus " << refocus << " wait " << c.wait;
    TearDown();
  }
}

// Only the press that lost the focus goes without its click: the next click and Space on the button
// are raised as usual.
TEST_F(FocusClickTest, LaterClicksAfterAnAnsweredPressAreRaised) {
  std::vector<std::string> seen;
  order = &seen;
  refocusText = true;
  waitInButtonFocusLoss = false;
  EventHandlers h = countingHandlers();
  h.textLostFocus = [] {
    order->push_back("text lost focus");
    if (refocusText) giveFocus(Control::编辑框1);
  };
  h.playStopLostFocus = [] { order->push_back("play/stop lost focus"); };
  h.playStopClicked = [] { order->push_back("play/stop clicked"); };
  loadMainWindow(h);
  SetForegroundWindow(mainHwnd());
  pump(200);
  giveFocus(Control::编辑框1);
  HWND button = controlHwnd(Control::按钮1);
  ui::sendClickAtCentre(button);
  pump(1000, [&] { return seen.size() >= 2; });
  pump(300);
  ASSERT_EQ(seen, (std::vector<std::string>{"text lost focus", "play/stop lost focus"}));

  refocusText = false;
  giveFocus(Control::按钮1);
  seen.clear();
  PostMessageW(button, WM_KEYDOWN, VK_SPACE, 0x00390001);
  PostMessageW(button, WM_KEYUP, VK_SPACE, static_cast<LPARAM>(0xC0390001u));
  pump(1000, [&] { return !seen.empty(); });
  EXPECT_EQ(seen, std::vector<std::string>{"play/stop clicked"});

  giveFocus(Control::编辑框1);
  pump(300);
  seen.clear();
  ui::sendClickAtCentre(button);
  pump(1000, [&] { return seen.size() >= 2; });
  pump(300);
  EXPECT_EQ(seen, (std::vector<std::string>{"text lost focus", "play/stop clicked"}));
}

// Two quick clicks at one spot are two clicks, not one click and a double-click notice.
TEST_F(FocusClickTest, EachPressOfADoubleClickIsAClick) {
  std::vector<std::string> seen;
  order = &seen;
  EventHandlers h = countingHandlers();
  h.playStopClicked = [] { order->push_back("play/stop clicked"); };
  loadMainWindow(h);
  SetForegroundWindow(mainHwnd());
  pump(200);
  HWND button = controlHwnd(Control::按钮1);
  giveFocus(Control::按钮1);
  RECT r;
  GetClientRect(button, &r);
  LPARAM at = MAKELPARAM(r.right / 2, r.bottom / 2);
  PostMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(button, WM_LBUTTONUP, 0, at);
  PostMessageW(button, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  PostMessageW(button, WM_LBUTTONUP, 0, at);
  pump(1000, [&] { return seen.size() >= 2; });
  EXPECT_EQ(seen, (std::vector<std::string>{"play/stop clicked", "play/stop clicked"}));
}

}  // namespace
}  // namespace lectavo::testing
