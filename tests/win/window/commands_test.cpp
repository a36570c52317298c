// The Play/Stop, text and Save commands on the real window, with the workers' side played by the test.
#include <string>

#include "app/handlers.h"
#include "app/shared_state.h"
#include "platform/cp936.h"
#include "window_fixture.h"

namespace lectavo::testing {
namespace {

class CommandsTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    setPauseFlag(0);
    setPlayingFlag(0);
    clearQueues();
    EventHandlers h = countingHandlers();
    h.playStopClicked = onPlayStop;
    h.playStopLostFocus = onPlayStopLostFocus;
    h.textLostFocus = onTextLostFocus;
    h.textChanged = onTextChanged;
    h.saveClicked = onSave;
    loadMainWindow(h);
    pump(50);
  }
  static Text caption() { return readText(Control::按钮1, Prop::caption); }
  static bool enabled(Control c) { return IsWindowEnabled(controlHwnd(c)) != FALSE; }
};

TEST_F(CommandsTest, PlayOnAnEmptyBoxShowsStopForAboutASecond) {
  writeText(Control::编辑框1, Prop::text, "");
  Text during;
  std::atomic<bool> sampled{false};
  std::thread watcher([&] {
    Sleep(400);
    during = caption();  // served from memory while the window thread waits
    sampled = true;
  });
  ULONGLONG start = GetTickCount64();
  onPlayStop();
  ULONGLONG took = GetTickCount64() - start;
  watcher.join();
  EXPECT_EQ(during, "停 止");
  EXPECT_EQ(caption(), "播 放");
  EXPECT_GE(took, 950u);
  EXPECT_LT(took, 2000u);
  EXPECT_EQ(readingTag(), "");
  EXPECT_EQ(pauseTag(), "");
  EXPECT_EQ(sharedState().pauseFlag.load(), 0);
}

TEST_F(CommandsTest, PlayStopPlayWalksTheTagsAndFlags) {
  onPlayStop();  // start
  EXPECT_EQ(caption(), "停 止");
  EXPECT_EQ(readingTag(), "N");
  EXPECT_EQ(sharedState().pauseFlag.load(), 0);
  EXPECT_EQ(GetFocus(), controlHwnd(Control::编辑框1));

  sharedState().queues.append(Bytes{1, 2}, "甲");  // the synthesis worker has queued a piece
  onPlayStop();  // stop
  EXPECT_EQ(caption(), "播 放");
  EXPECT_EQ(pauseTag(), " ");
  EXPECT_EQ(sharedState().pauseFlag.load(), 1);
  EXPECT_TRUE(enabled(Control::按钮1));
  EXPECT_TRUE(enabled(Control::按钮3));

  onPlayStop();  // resume: the playback worker replays the interrupted piece
  EXPECT_EQ(caption(), "停 止");
  EXPECT_EQ(sharedState().pauseFlag.load(), 0);
  EXPECT_EQ(pauseTag(), " ") << "the playback worker clears it, not the command";
  EXPECT_EQ(readingTag(), "N");
  EXPECT_EQ(sharedState().queues.count(), 1u);
}

TEST_F(CommandsTest, PlayWithPiecesStillQueuedOnlyChangesTheCaption) {
  setReadingTag("Y");
  setPauseFlag(1);
  sharedState().queues.append(Bytes{1}, "乙");
  onPlayStop();
  EXPECT_EQ(caption(), "停 止");
  EXPECT_EQ(readingTag(), "Y");
  EXPECT_EQ(sharedState().pauseFlag.load(), 1);
}

TEST_F(CommandsTest, StopKeepsPlayStopDisabledUntilThePiecesWaitEnds) {
  onPlayStop();
  setPlayingFlag(1);  // the playback worker is inside a piece's timed wait
  std::atomic<bool> sawDisabled{false};
  std::thread worker([&] {
    Sleep(300);
    sawDisabled = !enabled(Control::按钮1) && !enabled(Control::按钮3);
    Sleep(1200);
    setPlayingFlag(0);  // the wait ends
  });
  ULONGLONG start = GetTickCount64();
  onPlayStop();
  ULONGLONG took = GetTickCount64() - start;
  worker.join();
  EXPECT_TRUE(sawDisabled.load());
  EXPECT_GE(took, 1400u);
  EXPECT_TRUE(enabled(Control::按钮1));
  EXPECT_TRUE(enabled(Control::按钮3));
}

TEST_F(CommandsTest, WhileReadingTheTextBoxKeepsTheFocusAndLeavingPlayStopStops) {
  onPlayStop();
  giveFocus(Control::编辑框2);
  EXPECT_EQ(GetFocus(), controlHwnd(Control::编辑框1)) << "taken back while reading";
  writeText(Control::按钮1, Prop::caption, "播 放");
  giveFocus(Control::编辑框2);
  EXPECT_EQ(GetFocus(), controlHwnd(Control::编辑框2)) << "free while idle";

  writeText(Control::按钮1, Prop::caption, "停 止");
  giveFocus(Control::编辑框1);
  SetFocus(controlHwnd(Control::按钮1));  // the text box takes it back; 按钮1 loses it: stop
  EXPECT_EQ(caption(), "播 放");
  EXPECT_EQ(pauseTag(), " ");
}

TEST_F(CommandsTest, EditingTheTextStopsAndForgetsTheReading) {
  onPlayStop();
  sharedState().queues.append(Bytes{1}, "丙");
  SendMessageW(controlHwnd(Control::编辑框1), WM_CHAR, L'x', 1);  // the user types
  EXPECT_EQ(caption(), "播 放");
  EXPECT_EQ(readingTag(), "");
  EXPECT_EQ(pauseTag(), "");
  EXPECT_EQ(sharedState().queues.count(), 0u);
  EXPECT_EQ(sharedState().pauseFlag.load(), 1);
  onPlayStop();
  EXPECT_EQ(readingTag(), "N") << "a new reading, not a resume";
}

// Answers the next message box of this process with button `id`; reports what it showed.
std::thread answerMessageBox(int id, std::wstring* title, std::wstring* text, bool* hasNo) {
  return std::thread([=] {
    for (int i = 0; i < 200; ++i, Sleep(50)) {
      HWND h = nullptr;
      while ((h = FindWindowExW(nullptr, h, L"#32770", nullptr)) != nullptr) {
        DWORD pid = 0;
        GetWindowThreadProcessId(h, &pid);
        if (pid != GetCurrentProcessId() || !IsWindowVisible(h)) continue;
        wchar_t buf[128] = {};
        GetWindowTextW(h, buf, 128);
        *title = buf;
        GetDlgItemTextW(h, 0xFFFF, buf, 128);
        *text = buf;
        *hasNo = GetDlgItem(h, IDNO) != nullptr && GetDlgItem(h, IDCANCEL) == nullptr;
        PostMessageW(h, WM_COMMAND, id, 0);
        return;
      }
    }
  });
}

TEST_F(CommandsTest, SaveAsksFirstAndNoChangesNothing) {
  struct Case {
    int answer;
    Text saveTag, readingTag;
    bool playStopEnabled;
  } cases[] = {{IDNO, "", "", true}, {IDYES, " ", "N", false}};
  for (const auto& c : cases) {
    TearDown();
    SetUp();
    {
      std::lock_guard<std::mutex> g(sharedState().audioBufferLock);
      sharedState().audioBuffer.assign(10, 7);
    }
    std::wstring title, text;
    bool yesNo = false;
    std::thread answer = answerMessageBox(c.answer, &title, &text, &yesNo);
    onSave();
    answer.join();
    EXPECT_EQ(narrow936(title), "转换时请不要进行其他操作");
    EXPECT_EQ(narrow936(text), "是否需要文本转语音");
    EXPECT_TRUE(yesNo);
    EXPECT_EQ(saveTag(), c.saveTag);
    EXPECT_EQ(readingTag(), c.readingTag);
    EXPECT_EQ(enabled(Control::按钮1), c.playStopEnabled);
    std::lock_guard<std::mutex> g(sharedState().audioBufferLock);
    EXPECT_EQ(sharedState().audioBuffer.empty(), c.answer == IDYES);
  }
}

}  // namespace
}  // namespace lectavo::testing
