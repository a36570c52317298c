// Voice and speed commands against msc.dll and the real service: the sessions they open.
#include <vector>

#include "app/handlers.h"
#include "app/shared_state.h"
#include "speech/sdk_binding.h"
#include "speech/session.h"
#include "support.h"
#include "window_fixture.h"

namespace lectavo::testing {
namespace {

std::vector<Text>* sessionsSeen;

class SessionCommands : public WindowTest {
 protected:
  static void SetUpTestSuite() {
    wchar_t exe[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring dir(exe, n);
    dir = dir.substr(0, dir.find_last_of(L'\\') + 1);
    ASSERT_TRUE(sdk::bindLibrary(dir + L"msc.dll"));
    ASSERT_NE(sdktest::servicePort(), 0) << "no test service";
    ASSERT_EQ(sdk::init(sdktest::configFor(sdktest::servicePort()).c_str()), 0);
  }
  static void TearDownTestSuite() { sdk::fini(); }

  void SetUp() override {
    WindowTest::SetUp();
    EventHandlers h = countingHandlers();
    // The speed handler as the program has it, and what session each run of it left.
    h.speedChanged = [] {
      onSpeedChanged();
      sessionsSeen->push_back(currentSessionId());
    };
    h.voiceSelected = onVoiceSelected;
    loadMainWindow(h);
    writeInt(Control::组合框1, Prop::currentItem, 0);
    pump(50);
  }
  std::vector<Text> sessions;
  void record() {
    sessions.clear();
    sessionsSeen = &sessions;
  }
};

TEST_F(SessionCommands, SpeedOutOfRangeIsReplacedAndTwoSessionsOpen) {
  struct Case {
    const char* typed;
    const char* shown;
    std::size_t runs;     // runs of the handler, each with a session of its own
    const char* speed;    // as the session was opened at last
  } cases[] = {
      {"150", "50", 2, "speed=50,"},
      {"-1", "50", 2, "speed=50,"},
      {"１００", "１００", 1, "speed=１００,"},  // full-width digits count: 100 is in range
      {"abc", "abc", 1, "speed=abc,"},        // no digits: 0, in range; sent as typed
  };
  for (const auto& c : cases) {
    record();
    writeText(Control::编辑框2, Prop::text, c.typed);
    EXPECT_EQ(readText(Control::编辑框2, Prop::text), c.shown) << c.typed;
    ASSERT_EQ(sessions.size(), c.runs) << c.typed;
    for (std::size_t i = 0; i < sessions.size(); ++i) {
      EXPECT_NE(sessions[i], "") << c.typed;
      if (i > 0) {
        EXPECT_NE(sessions[i], sessions[i - 1]) << c.typed << ": the outer run opens a session again";
      }
    }
    EXPECT_NE(currentSessionParams().find(c.speed), Text::npos) << currentSessionParams();
  }
}

TEST_F(SessionCommands, VoiceChoiceStopsClearsAndOpensWithTheNewVoice) {
  writeText(Control::按钮1, Prop::caption, "停 止");
  setReadingTag("N");
  sharedState().queues.append(Bytes{1, 2, 3}, "甲");
  const Text before = currentSessionId();
  HWND combo = controlHwnd(Control::组合框1);
  SetFocus(combo);
  SendMessageW(GetFocus(), WM_KEYDOWN, VK_DOWN, 0);  // the user picks the next voice
  pump(2000, [] { return events().voiceSelected.load() > 0 || sharedState().queues.count() == 0; });
  pump(200);
  EXPECT_EQ(sharedState().queues.count(), 0u);
  EXPECT_EQ(readingTag(), "");
  EXPECT_EQ(pauseTag(), "");
  EXPECT_EQ(sharedState().pauseFlag.load(), 1);
  EXPECT_EQ(readText(Control::按钮1, Prop::caption), "停 止") << "the caption is left as it was";
  EXPECT_TRUE(IsWindowEnabled(controlHwnd(Control::按钮1)));
  EXPECT_TRUE(IsWindowEnabled(controlHwnd(Control::按钮3)));
  EXPECT_NE(currentSessionId(), before);
  EXPECT_NE(currentSessionParams().find("vcn=x_xiaoyuan"), Text::npos) << currentSessionParams();
  EXPECT_EQ(GetFocus(), controlHwnd(Control::编辑框1));
}

}  // namespace
}  // namespace lectavo::testing
