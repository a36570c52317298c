// Properties: the first state, byte selections over CP936 text, clamping, keys handed to the window.
#include <stdexcept>

#include "window_fixture.h"

namespace lectavo::testing {
namespace {

using PropertiesTest = WindowTest;

std::pair<DWORD, DWORD> selection() {
  DWORD from = 0, to = 0;
  SendMessageW(controlHwnd(Control::编辑框1), EM_GETSEL, reinterpret_cast<WPARAM>(&from),
               reinterpret_cast<LPARAM>(&to));
  return {from, to};
}

TEST_F(PropertiesTest, FirstState) {
  loadWindow();
  EXPECT_EQ(readText(Control::按钮1, Prop::caption), "播 放");
  EXPECT_EQ(readText(Control::编辑框2, Prop::text), "50");
  EXPECT_EQ(readInt(Control::组合框1, Prop::currentItem), -1);
  EXPECT_EQ(readText(Control::通用对话框1, Prop::filter), "文本文件（*.txt）|*.txt");
  EXPECT_EQ(readText(Control::通用对话框1, Prop::fileName), "");
  EXPECT_EQ(readInt(Control::通用对话框1, Prop::dialogKind), 0);
  for (Control c : {Control::mainWindow, Control::编辑框1, Control::按钮1, Control::按钮3})
    EXPECT_EQ(readText(c, Prop::tag), "");
  EXPECT_EQ(selection(), std::make_pair(DWORD{0}, DWORD{0}));
  EXPECT_EQ(SendMessageW(controlHwnd(Control::组合框1), CB_GETCOUNT, 0, 0), 4);
}

TEST_F(PropertiesTest, GuiFontEverywhereAndTheProgramsOwnIcons) {
  loadWindow();
  HGDIOBJ gui = GetStockObject(DEFAULT_GUI_FONT);
  int controls = 0;
  for (HWND c = GetWindow(mainHwnd(), GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT), ++controls)
    EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageW(c, WM_GETFONT, 0, 0)), gui) << GetDlgCtrlID(c);
  EXPECT_EQ(controls, 9);
  HICON fallback = LoadIconW(nullptr, IDI_APPLICATION);
  for (WPARAM which : {ICON_BIG, ICON_SMALL}) {
    auto icon = reinterpret_cast<HICON>(SendMessageW(mainHwnd(), WM_GETICON, which, 0));
    EXPECT_NE(icon, nullptr) << which;
    EXPECT_NE(icon, fallback) << which;
  }
}

TEST_F(PropertiesTest, TagsAreKeptAndNeverShown) {
  loadWindow();
  writeText(Control::按钮1, Prop::tag, " ");
  writeText(Control::编辑框1, Prop::tag, "N");
  EXPECT_EQ(readText(Control::按钮1, Prop::tag), " ");
  EXPECT_EQ(readText(Control::编辑框1, Prop::tag), "N");
  EXPECT_EQ(readText(Control::按钮3, Prop::tag), "");
  EXPECT_EQ(readText(Control::按钮1, Prop::caption), "播 放");
  EXPECT_EQ(events().textChanged.load(), 0);
}

TEST_F(PropertiesTest, SelectionCountsBytesAndKeepsTheRememberedValues) {
  loadWindow();
  // Bytes: digits 0-9, 中 10-11, 文 12-13, abcd 14-17; UTF-16: digits 0-9, 中 10, 文 11, abcd 12-15.
  writeText(Control::编辑框1, Prop::text, "0123456789中文abcd");
  struct Step {
    Prop prop;
    int value;
    DWORD from, to;  // expected UTF-16 selection
  } steps[] = {
      {Prop::selectionLength, 4, 0, 4},    // start still 0
      {Prop::selectionStart, 10, 10, 12},  // bytes 10..13 at once, with the remembered length
      {Prop::selectionLength, 6, 10, 14},  // only the end moves
      {Prop::selectionStart, -1, 16, 16},  // the end of the text, nothing selected
      {Prop::selectionLength, -1, 0, 16},  // the whole text
      {Prop::selectionStart, -5, 0, 16},   // counts as 0; length is still -1
      {Prop::selectionLength, 2, 0, 2},
      {Prop::selectionLength, -9, 0, 0},   // counts as 0
      {Prop::selectionStart, 100, 16, 16}, // past the end
      {Prop::selectionStart, 14, 12, 12},
      {Prop::selectionLength, 100, 12, 16},
  };
  for (const auto& s : steps) {
    writeInt(Control::编辑框1, s.prop, s.value);
    EXPECT_EQ(selection(), std::make_pair(s.from, s.to))
        << (s.prop == Prop::selectionStart ? "start " : "length ") << s.value;
  }
}

TEST_F(PropertiesTest, SelectionWrittenWithoutFocusShowsWhenTheBoxGetsIt) {
  loadWindow();
  giveFocus(Control::编辑框2);
  writeInt(Control::编辑框1, Prop::selectionStart, 2);
  writeInt(Control::编辑框1, Prop::selectionLength, 4);
  giveFocus(Control::编辑框1);
  EXPECT_EQ(GetFocus(), controlHwnd(Control::编辑框1));
  EXPECT_EQ(selection(), std::make_pair(DWORD{1}, DWORD{3}));  // two double-byte characters
}

TEST_F(PropertiesTest, CurrentItemIsClampedAndRaisesNothing) {
  loadWindow();
  struct Case {
    int written, current;
    Text field;
  } cases[] = {{9, 3, "楠楠"}, {-7, -1, ""}, {2, 2, "彬哥"}, {-1, -1, ""}, {0, 0, "一萍"}};
  for (const auto& c : cases) {
    writeInt(Control::组合框1, Prop::currentItem, c.written);
    EXPECT_EQ(readInt(Control::组合框1, Prop::currentItem), c.current) << c.written;
    EXPECT_EQ(readText(Control::组合框1, Prop::text), c.field) << c.written;
  }
  pump(50);
  EXPECT_EQ(events().voiceSelected.load(), 0);
}

TEST_F(PropertiesTest, CaptionAndDisabledReachTheScreen) {
  loadWindow();
  writeText(Control::按钮1, Prop::caption, "停 止");
  wchar_t shown[16] = {};
  GetWindowTextW(controlHwnd(Control::按钮1), shown, 16);
  EXPECT_STREQ(shown, L"停 止");
  writeBool(Control::按钮3, Prop::disabled, true);
  EXPECT_FALSE(IsWindowEnabled(controlHwnd(Control::按钮3)));
  writeBool(Control::按钮3, Prop::disabled, false);
  EXPECT_TRUE(IsWindowEnabled(controlHwnd(Control::按钮3)));
}

TEST_F(PropertiesTest, TabSkipsWhatIsNoTabStopOrDisabled) {
  loadWindow();
  auto tabFrom = [](Control c) {
    giveFocus(c);
    SendMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
    return GetFocus();
  };
  EXPECT_EQ(tabFrom(Control::编辑框1), controlHwnd(Control::编辑框2));
  EXPECT_EQ(tabFrom(Control::编辑框2), controlHwnd(Control::按钮1));
  EXPECT_EQ(tabFrom(Control::按钮1), controlHwnd(Control::编辑框1));
  EXPECT_EQ(tabFrom(Control::按钮2), controlHwnd(Control::按钮1));
  writeBool(Control::按钮1, Prop::disabled, true);
  EXPECT_EQ(tabFrom(Control::编辑框2), controlHwnd(Control::编辑框1));
  EXPECT_EQ(GetWindowTextLengthW(controlHwnd(Control::编辑框1)), 276) << "Tab must not be typed";
}

TEST_F(PropertiesTest, RegainingTheWindowGivesTheFocusBackToTheControlThatHadIt) {
  loadWindow();
  EXPECT_EQ(GetFocus(), controlHwnd(Control::编辑框1)) << "the first time, 编辑框1";
  giveFocus(Control::编辑框2);
  HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 100,
                               nullptr, nullptr, nullptr, nullptr);
  SetForegroundWindow(other);
  SetActiveWindow(other);
  pump(100);
  ASSERT_NE(GetFocus(), controlHwnd(Control::编辑框2));
  SetForegroundWindow(mainHwnd());
  SetActiveWindow(mainHwnd());
  pump(100);
  EXPECT_EQ(GetFocus(), controlHwnd(Control::编辑框2));
  DestroyWindow(other);
}

TEST_F(PropertiesTest, EscInAnyControlRequestsClose) {
  for (Control c : {Control::编辑框1, Control::编辑框2, Control::按钮1}) {
    SetUp();
    loadWindow();
    events().closeAnswer = CloseAnswer::keepOpen;
    giveFocus(c);
    SendMessageW(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
    pump(50, [] { return events().closeRequested.load() > 0; });
    EXPECT_EQ(events().closeRequested.load(), 1) << static_cast<int>(c);
    TearDown();
  }
}

TEST_F(PropertiesTest, PropertiesThatDoNotApplyAreRefused) {
  loadWindow();
  EXPECT_THROW(readText(Control::标签1, Prop::text), std::invalid_argument);
  EXPECT_THROW(writeInt(Control::编辑框2, Prop::currentItem, 1), std::invalid_argument);
  EXPECT_THROW(writeBool(Control::编辑框1, Prop::disabled, true), std::invalid_argument);
}

TEST_F(PropertiesTest, AccessAfterTheWindowIsGoneIsFatal) {
  loadWindow();
  EXPECT_EXIT(
      {
        DestroyWindow(mainHwnd());
        readText(Control::编辑框1, Prop::text);
      },
      ::testing::ExitedWithCode(70), "the main window is gone");
}

}  // namespace
}  // namespace lectavo::testing
