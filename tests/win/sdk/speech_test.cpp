// The program's speech side under Wine: the real ping, and sessions opened from the real window's
// voice list and speed box against the real service.
#include <windows.h>
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "app/window.h"
#include "app/window/main_window.h"
#include "platform/cp936.h"
#include "sdk/msc/msc_errors.h"
#include "speech/icmp_prober.h"
#include "speech/sdk_binding.h"
#include "speech/session.h"
#include "support.h"

namespace lectavo {
namespace {

TEST(IcmpProbe, LoopbackAnswersAndUnknownNamesDoNot) {
  speech::IcmpProber prober;
  EXPECT_GE(prober.probe("127.0.0.1", 3000), 0);
  EXPECT_GE(prober.probe("localhost", 3000), 0);
  EXPECT_EQ(prober.probe("no-such-host.invalid", 3000), -1);
  EXPECT_EQ(speech::chooseServer(prober), "localhost:80/index.htm");
}

// Clicks away the next message box of this process and keeps its text.
class MessageWatcher {
 public:
  MessageWatcher()
      : thread_([this] {
          for (int i = 0; i < 400 && !stop_; ++i, Sleep(25)) {
            HWND box = FindWindowW(L"#32770", nullptr);
            DWORD pid = 0;
            if (box) GetWindowThreadProcessId(box, &pid);
            if (!box || pid != GetCurrentProcessId()) continue;
            wchar_t t[128] = {};
            GetWindowTextW(GetDlgItem(box, 0xFFFF), t, 128);
            if (!t[0]) continue;  // still being built
            text_ = t;
            PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
            return;
          }
        }) {}
  ~MessageWatcher() {
    stop_ = true;
    thread_.join();
  }
  std::wstring text() {
    stop_ = true;
    thread_.join();
    thread_ = std::thread([] {});
    return text_;
  }

 private:
  std::atomic<bool> stop_{false};
  std::wstring text_;
  std::thread thread_;
};

class Sessions : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    loadMainWindow(EventHandlers{});
    writeBool(Control::mainWindow, Prop::visible, true);
    wchar_t exe[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring dll(exe, n);
    ASSERT_TRUE(sdk::bindLibrary(dll.substr(0, dll.find_last_of(L'\\') + 1) + L"msc.dll"));
  }
  static HWND combo() { return win::currentWindow()->control(Control::组合框1); }
};

TEST_F(Sessions, FailedOpenSaysSoAndLeavesNoIdentifier) {
  // Before initialisation every open fails.
  MessageWatcher watcher;
  openSession();
  EXPECT_EQ(watcher.text(), L"会话失败，请重新启动再试");
  EXPECT_EQ(currentSessionId(), "");
}

TEST_F(Sessions, ParameterTextFromTheControlsAndOneSessionHeld) {
  ASSERT_NE(sdktest::servicePort(), 0) << "no test service";
  ASSERT_EQ(sdk::init(sdktest::configFor(sdktest::servicePort()).c_str()), 0);
  writeInt(Control::组合框1, Prop::currentItem, 1);
  writeText(Control::编辑框2, Prop::text, "50");
  openSession();
  EXPECT_EQ(currentSessionParams(),
            "aue=raw,auf=audio/L16;rate=16000,bgs=0,ent=intp65,pitch=70,speed=50,tte=GB2312,vcn=x_xiaoyuan,volume=100");
  const Text first = currentSessionId();
  ASSERT_NE(first, "");

  // No item current, the field typed to a list text: that voice; the speed text as it stands.
  writeInt(Control::组合框1, Prop::currentItem, -1);
  SetWindowTextW(combo(), widen936("楠楠").c_str());
  writeText(Control::编辑框2, Prop::text, " 7");
  openSession();
  EXPECT_NE(currentSessionParams().find(",speed= 7,tte=GB2312,vcn=x_nannan,"), Text::npos) << currentSessionParams();
  const Text second = currentSessionId();
  ASSERT_NE(second, "");
  EXPECT_NE(second, first);
  EXPECT_EQ(sdk::sessionEnd(first.c_str(), ""), MSC_ERROR_INVALID_SESSION) << "the second open ended the first";

  closeSession();
  EXPECT_EQ(currentSessionId(), second) << "the identifier stays until the next open";
  EXPECT_EQ(sdk::sessionEnd(second.c_str(), ""), MSC_ERROR_INVALID_SESSION);
  sdk::fini();
}

}  // namespace
}  // namespace lectavo
