// What the platform delivers when the user clicks 按钮1 while 编辑框1 has the focus: the order the
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
      {true, false, {"text lost focus", "play/stop lost focus", "play/stop clicked"}, 1001},
      // The button-up is handled inside the wait, before the button counts as pressed: no click.
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
    TearDown();
  }
}

}  // namespace
}  // namespace lectavo::testing
