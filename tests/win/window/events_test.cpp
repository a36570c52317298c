// Events: raised once per text write and synchronously, nested re-entry, the voice list's posted
// selection, closing with each answer.
#include "window_fixture.h"

namespace lectavo::testing {
namespace {

using EventsTest = WindowTest;

TEST_F(EventsTest, EveryTextWriteRaisesChangedExactlyOnceBeforeReturning) {
  loadWindow();
  struct Case {
    Control box;
    std::atomic<int>& counter;
    Text first, second;  // the second write repeats or replaces the first
  };
  Case cases[] = {
      {Control::编辑框1, events().textChanged, "你好", "你好"},
      {Control::编辑框1, events().textChanged, "甲", "乙丙"},
      {Control::编辑框2, events().speedChanged, "50", "50"},
      {Control::编辑框2, events().speedChanged, "", "150"},
  };
  for (auto& c : cases) {
    int before = c.counter.load();
    writeText(c.box, Prop::text, c.first);
    EXPECT_EQ(c.counter.load(), before + 1) << c.first;
    writeText(c.box, Prop::text, c.second);
    EXPECT_EQ(c.counter.load(), before + 2) << c.second;
    pump(30);  // no late notice of the box's own arrives afterwards
    EXPECT_EQ(c.counter.load(), before + 2);
    EXPECT_EQ(readText(c.box, Prop::text), c.second);
  }
}

TEST_F(EventsTest, TypingRaisesChangedOnce) {
  loadWindow();
  SendMessageW(controlHwnd(Control::编辑框1), WM_CHAR, L'x', 1);
  SendMessageW(controlHwnd(Control::编辑框2), WM_CHAR, L'7', 1);
  EXPECT_EQ(events().textChanged.load(), 1);
  EXPECT_EQ(events().speedChanged.load(), 1);
}

TEST_F(EventsTest, HandlerWritingItsOwnBoxIsReenteredOnceNested) {
  loadWindow();
  int depth = 0, maxDepth = 0;
  bool innerFinishedFirst = false;
  events().onSpeedChanged = [&] {
    ++depth;
    maxDepth = std::max(maxDepth, depth);
    if (depth == 1) {
      writeText(Control::编辑框2, Prop::text, "50");
      innerFinishedFirst = events().speedChanged.load() == 2;
    }
    --depth;
  };
  writeText(Control::编辑框2, Prop::text, "150");
  EXPECT_EQ(events().speedChanged.load(), 2);
  EXPECT_EQ(maxDepth, 2);
  EXPECT_TRUE(innerFinishedFirst);
  EXPECT_EQ(readText(Control::编辑框2, Prop::text), "50");
}

TEST_F(EventsTest, ListSelectionIsRaisedFromTheLoopAfterTheFieldShowsIt) {
  loadWindow();
  writeInt(Control::组合框1, Prop::currentItem, 0);
  Text fieldSeen;
  events().onVoiceSelected = [&] { fieldSeen = readText(Control::组合框1, Prop::text); };
  HWND combo = controlHwnd(Control::组合框1);
  SetFocus(combo);
  // A Down arrow in the closed list picks the next item, as a user does.
  SendMessageW(GetFocus(), WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(events().voiceSelected.load(), 0) << "raised nested inside the key";
  pump(100, [] { return events().voiceSelected.load() > 0; });
  EXPECT_EQ(events().voiceSelected.load(), 1);
  EXPECT_EQ(readInt(Control::组合框1, Prop::currentItem), 1);
  EXPECT_EQ(fieldSeen, "小媛");
}

TEST_F(EventsTest, TypingIntoTheVoiceFieldRaisesNoSelection) {
  loadWindow();
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetComboBoxInfo(controlHwnd(Control::组合框1), &info));
  SendMessageW(info.hwndItem, WM_CHAR, L'a', 1);
  pump(50);
  EXPECT_EQ(events().voiceSelected.load(), 0);
}

TEST_F(EventsTest, CloseAnswers) {
  struct Case {
    CloseAnswer answer;
    bool closes;
  } cases[] = {{CloseAnswer::none, true}, {CloseAnswer::close, true}, {CloseAnswer::keepOpen, false}};
  for (const auto& c : cases) {
    SetUp();
    loadWindow();
    events().closeAnswer = c.answer;
    Text seenWhileDestroying;
    events().onDestroying = [&] { seenWhileDestroying = readText(Control::编辑框2, Prop::text); };
    SendMessageW(mainHwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(events().closeRequested.load(), 1);
    EXPECT_EQ(IsWindow(mainHwnd()) == FALSE, c.closes) << static_cast<int>(c.answer);
    EXPECT_EQ(events().destroying.load(), c.closes ? 1 : 0);
    if (c.closes) {
      EXPECT_EQ(seenWhileDestroying, "50") << "controls must still exist";
      runMessageLoop();  // returns at once: the window is gone
    }
    TearDown();
  }
}

TEST_F(EventsTest, LogOffAsksTheCloseHandler) {
  loadWindow();
  events().closeAnswer = CloseAnswer::keepOpen;
  EXPECT_EQ(SendMessageW(mainHwnd(), WM_QUERYENDSESSION, 0, 0), FALSE);
  events().closeAnswer = CloseAnswer::none;
  EXPECT_NE(SendMessageW(mainHwnd(), WM_QUERYENDSESSION, 0, 0), FALSE);
  EXPECT_EQ(events().closeRequested.load(), 2);
}

TEST_F(EventsTest, LoadingLeavesTheWindowHiddenUntilCreatedShowsIt) {
  events().showOnCreate = false;
  bool visibleInCreated = true;
  EventHandlers h = countingHandlers();
  static bool* seen;
  seen = &visibleInCreated;
  h.created = [] { *seen = IsWindowVisible(mainHwnd()) != FALSE; };
  loadMainWindow(h);
  EXPECT_FALSE(visibleInCreated);
  EXPECT_FALSE(IsWindowVisible(mainHwnd()));
  for (Control c : {Control::编辑框1, Control::按钮1, Control::组合框1})
    EXPECT_TRUE(IsWindowVisible(controlHwnd(c)) || GetWindowLongW(controlHwnd(c), GWL_STYLE) & WS_VISIBLE);
  writeBool(Control::mainWindow, Prop::visible, true);
  EXPECT_TRUE(IsWindowVisible(mainHwnd()));
}

}  // namespace
}  // namespace lectavo::testing
