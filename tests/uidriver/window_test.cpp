// The main window and its controls as the user sees them, checked against the window design.
#include "ui.h"

namespace lectavo::ui {

extern std::wstring screenshotPath;

namespace {

struct Expected {
  int id;
  const wchar_t* cls;
  int left, top, width, height;
  const char* text;  // CP936; nullptr: not compared here
  bool tabStop;
};

// Front to back, as the controls are stacked.
const Expected kControls[] = {
    {1002, L"Edit", 42, 192, 28, 20, "50", true},                      // 编辑框2
    {1005, L"Static", 6, 190, 48, 24, "语速：", false},                // 标签2
    {1008, L"Button", 198, 189, 80, 25, "浏 览", false},               // 按钮2
    {1004, L"Static", 83, 190, 48, 24, "发音人：", false},             // 标签1
    {1003, L"ComboBox", 131, 192, 50, -1, nullptr, false},             // 组合框1 (field height: the font's)
    {1007, L"Button", 285, 189, 80, 25, "播 放", true},                // 按钮1
    {1009, L"Button", 285, 158, 80, 25, "保 存", false},               // 按钮3
    {1006, L"Static", 6, 160, 272, 24, "保存文件：文本越长转换成语音需要的时间也越长", false},  // 标签3
    {1001, L"Edit", 1, 1, 367, 152, nullptr, true},                    // 编辑框1
};

HWND box1() { return child(1001); }
HWND box2() { return child(1002); }
HWND playStop() { return child(1007); }

TEST(MainWindow, FrameSizePlaceAndTitle) {
  HWND w = program().window;
  EXPECT_EQ(windowText(w), L"Lectavo");
  RECT r{};
  GetWindowRect(w, &r);
  EXPECT_EQ(r.right - r.left, 375);
  EXPECT_EQ(r.bottom - r.top, 252);
  EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - 375) / 2);
  EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - 252) / 2);
  LONG style = GetWindowLongW(w, GWL_STYLE);
  EXPECT_TRUE(style & WS_CAPTION);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME) << "the frame is fixed";
  LONG ex = GetWindowLongW(w, GWL_EXSTYLE);
  EXPECT_FALSE(ex & WS_EX_TOPMOST);
  EXPECT_FALSE(ex & WS_EX_TOOLWINDOW) << "shown in the taskbar";
  EXPECT_EQ(GetMenu(w), nullptr);
}

// What the screen shows at a point of the main window's client area.
COLORREF clientPixel(int x, int y) {
  POINT p{x, y};
  ClientToScreen(program().window, &p);
  HDC screen = GetDC(nullptr);
  COLORREF c = GetPixel(screen, p.x, p.y);
  ReleaseDC(nullptr, screen);
  return c;
}

TEST(MainWindow, ButtonFaceBehindTheControls) {
  bringToFront();
  Sleep(200);
  // Left of 编辑框1 and below the buttons nothing but the window's background shows.
  EXPECT_EQ(clientPixel(0, 100), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(clientPixel(200, 218), GetSysColor(COLOR_BTNFACE));
  // Labels paint the same colour; the text boxes are white.
  EXPECT_EQ(clientPixel(7, 186), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(clientPixel(350, 140), RGB(255, 255, 255));
}

TEST(MainWindow, OwnIconInTheTitleBar) {
  HWND w = program().window;
  // The title bar shows the small one: the program's own blue behind a white loudspeaker.
  bringToFront();
  Sleep(200);
  RECT r{};
  GetWindowRect(w, &r);
  HDC screen = GetDC(nullptr);
  int ownBlue = 0;
  for (int y = r.top; y < r.top + 26; ++y)
    for (int x = r.left; x < r.left + 26; ++x)
      if (GetPixel(screen, x, y) == RGB(0x1f, 0x6f, 0xb8)) ++ownBlue;
  ReleaseDC(nullptr, screen);
  EXPECT_GT(ownBlue, 40);
}

TEST(MainWindow, ControlsKindsPlacesTextsAndStacking) {
  HWND w = program().window;
  int i = 0;
  for (HWND c = GetWindow(w, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT), ++i) {
    ASSERT_LT(i, 9) << "more controls than the design has";
    const Expected& e = kControls[i];
    SCOPED_TRACE(e.id);
    EXPECT_EQ(GetDlgCtrlID(c), e.id) << "stacking position " << i;
    EXPECT_EQ(className(c), e.cls);
    RECT r = clientRectOf(c);
    EXPECT_EQ(r.left, e.left);
    EXPECT_EQ(r.top, e.top);
    EXPECT_EQ(r.right - r.left, e.width);
    if (e.height > 0) {
      EXPECT_EQ(r.bottom - r.top, e.height);
    }
    if (e.text != nullptr) {
      EXPECT_EQ(windowText936(c), e.text);
    }
    LONG style = GetWindowLongW(c, GWL_STYLE);
    EXPECT_EQ((style & WS_TABSTOP) != 0, e.tabStop);
    EXPECT_TRUE(IsWindowVisible(c));
    EXPECT_TRUE(IsWindowEnabled(c));
  }
  EXPECT_EQ(i, 9);
}

TEST(MainWindow, KindsLookAndBehaveAsDesigned) {
  for (HWND box : {box1(), box2()}) {
    LONG style = GetWindowLongW(box, GWL_STYLE);
    EXPECT_FALSE(GetWindowLongW(box, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) << "plain border, no 3-D edge";
    EXPECT_FALSE(style & (ES_NOHIDESEL | ES_PASSWORD | ES_UPPERCASE | ES_LOWERCASE | ES_NUMBER));
  }
  LONG s1 = GetWindowLongW(box1(), GWL_STYLE);
  EXPECT_TRUE(s1 & ES_MULTILINE);
  EXPECT_TRUE(s1 & WS_VSCROLL);
  EXPECT_FALSE(s1 & (ES_AUTOHSCROLL | WS_HSCROLL)) << "long lines wrap";
  // A plain one-pixel border: a line at the box's edge that is neither the background nor the box's
  // white, and white right inside it (a 3-D edge is two pixels wide).
  bringToFront();
  Sleep(200);
  RECT r = clientRectOf(box2());
  const int midY = (r.top + r.bottom) / 2;
  COLORREF edge = clientPixel(r.left, midY);
  EXPECT_NE(edge, RGB(255, 255, 255)) << "no border";
  EXPECT_NE(edge, GetSysColor(COLOR_BTNFACE)) << "no border";
  EXPECT_EQ(clientPixel(r.left + 1, midY), RGB(255, 255, 255)) << "a border wider than one pixel";
  LONG s2 = GetWindowLongW(box2(), GWL_STYLE);
  EXPECT_FALSE(s2 & ES_MULTILINE);
  EXPECT_TRUE(s2 & ES_CENTER);
  for (int id : {1007, 1008, 1009}) {
    LONG s = GetWindowLongW(child(id), GWL_STYLE);
    EXPECT_EQ(s & BS_TYPEMASK, BS_PUSHBUTTON) << id << " must be no default button";
    EXPECT_EQ(s & (BS_CENTER | BS_VCENTER), BS_CENTER | BS_VCENTER) << id;
  }
  for (int id : {1004, 1005, 1006}) {
    LONG s = GetWindowLongW(child(id), GWL_STYLE);
    EXPECT_EQ(s & SS_TYPEMASK, SS_LEFT) << id;
    EXPECT_TRUE(s & SS_CENTERIMAGE) << id << " vertically centred";
    EXPECT_TRUE(s & SS_NOPREFIX) << id << " shows & as itself";
  }
}

TEST(MainWindow, VoiceList) {
  HWND combo = child(1003);
  LONG style = GetWindowLongW(combo, GWL_STYLE);
  EXPECT_EQ(style & 3, CBS_DROPDOWN) << "editable drop-down";
  EXPECT_FALSE(style & CBS_SORT);
  DWORD_PTR count = 0;
  SendMessageTimeoutW(combo, CB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 2000, &count);
  ASSERT_EQ(count, 4u);
  const char* items[] = {"一萍", "小媛", "彬哥", "楠楠"};
  for (int i = 0; i < 4; ++i) {
    wchar_t item[32] = {};
    DWORD_PTR n = 0;
    SendMessageTimeoutW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item), SMTO_ABORTIFHUNG,
                        2000, &n);
    EXPECT_EQ(narrow936(item), items[i]) << i;
  }
  // The platform's row height: that of a drop-down made here with the same font.
  HWND plain = CreateWindowExW(0, L"COMBOBOX", L"", CBS_DROPDOWN, 0, 0, 50, 160, nullptr, nullptr,
                               nullptr, nullptr);
  SendMessageW(plain, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  LRESULT platformRow = SendMessageW(plain, CB_GETITEMHEIGHT, 0, 0);
  DestroyWindow(plain);
  DWORD_PTR row = 0;
  SendMessageTimeoutW(combo, CB_GETITEMHEIGHT, 0, 0, SMTO_ABORTIFHUNG, 2000, &row);
  EXPECT_EQ(static_cast<LRESULT>(row), platformRow + 1) << "list rows one pixel taller";
  HWND field = FindWindowExW(combo, nullptr, L"Edit", nullptr);
  EXPECT_NE(field, nullptr) << "the field can be typed into";
  RECT r = clientRectOf(combo);
  EXPECT_GE(r.bottom - r.top, 20) << "the closed field's height follows the font";
  EXPECT_LE(r.bottom - r.top, 24);
}

TEST(MainWindow, OpenedVoiceListReachesItsTotalHeight) {
  HWND combo = child(1003);
  RECT before = clientRectOf(combo);
  auto list = [] {
    HWND h = nullptr;
    while ((h = FindWindowExW(nullptr, h, L"ComboLBox", nullptr)) != nullptr) {
      DWORD pid = 0;
      GetWindowThreadProcessId(h, &pid);
      if (pid == program().pid) return h;
    }
    return h;
  };
  PostMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
  ASSERT_TRUE(waitFor(2000, [&] { return list() != nullptr && IsWindowVisible(list()); }));
  RECT opened{};
  GetWindowRect(list(), &opened);
  MapWindowPoints(HWND_DESKTOP, program().window, reinterpret_cast<POINT*>(&opened), 2);
  EXPECT_EQ(opened.bottom - before.top, 160);
  PostMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
  EXPECT_TRUE(waitFor(2000, [&] { return !IsWindowVisible(list()); }));
}

TEST(Keys, TabAndShiftTabWalkTheTabStops) {
  bringToFront();
  ASSERT_TRUE(waitFor(2000, [] { return focusedWindow() == box1(); }))
      << "编辑框1 has the focus first";
  HWND forward[] = {box2(), playStop(), box1(), box2()};
  for (HWND expected : forward) {
    pressKey(VK_TAB);
    EXPECT_TRUE(waitFor(1000, [&] { return focusedWindow() == expected; })) << GetDlgCtrlID(expected);
  }
  HWND back[] = {box1(), playStop(), box2(), box1()};
  for (HWND expected : back) {
    pressKey(VK_TAB, true);
    EXPECT_TRUE(waitFor(1000, [&] { return focusedWindow() == expected; })) << GetDlgCtrlID(expected);
  }
  EXPECT_EQ(windowText(box1()).find(L'\t'), std::wstring::npos) << "Tab typed into the text box";
}

TEST(Keys, EnterInTheTextBoxInsertsALineBreak) {
  ASSERT_TRUE(waitFor(1000, [] { return focusedWindow() == box1(); }));
  std::wstring before = windowText(box1());
  pressKey(VK_END, false);
  pressKey(VK_RETURN);
  std::wstring after = windowText(box1());
  ASSERT_EQ(after.size(), before.size() + 2);
  std::size_t at = 0;
  while (at < before.size() && before[at] == after[at]) ++at;
  EXPECT_EQ(after.substr(at, 2), L"\r\n");
  EXPECT_EQ(after.substr(0, at) + after.substr(at + 2), before);
  pressKey(VK_BACK);
  EXPECT_EQ(windowText(box1()), before) << "Backspace takes the line break back whole";
  EXPECT_TRUE(IsWindow(program().window)) << "Enter has no window-level action";
}

TEST(Screen, Screenshot) {
  bringToFront();
  Sleep(300);
  EXPECT_TRUE(saveScreenshot(program().window, screenshotPath));
}

// Last: it ends the program.
TEST(Closing, EscInTheTextBoxClosesTheWindow) {
  ASSERT_TRUE(waitFor(1000, [] { return focusedWindow() == box1(); }));
  pressKey(VK_ESCAPE);
  EXPECT_TRUE(waitFor(10000, [] { return findMainWindow(program().pid) == nullptr; }));
  EXPECT_EQ(waitForExit(20000), 0);
}

}  // namespace
}  // namespace lectavo::ui
