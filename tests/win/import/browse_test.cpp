// Browse on the real window: the open dialog is answered from a second thread while onBrowse runs
// its modal loop on the window thread, as a user would answer it.
#include <windows.h>
// after windows.h
#include <commdlg.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "app/handlers.h"
#include "app/window.h"
#include "deploy/cleanup.h"
#include "fixture_cases.h"
#include "platform/cp936.h"
#include "textimport/text_file.h"

namespace lectavo {
namespace {

using namespace textimport::testing_support;

std::atomic<int> textChangedCount{0};
void countTextChanged() { ++textChangedCount; }

constexpr int kFileNameField = 0x47c;  // ComboBoxEx32 of the explorer-style dialog
constexpr int kFileTypeList = 0x470;

// A dialog of this process (other than `except`) once it is on the screen, or nullptr after a few seconds.
HWND waitForDialog(HWND except = nullptr) {
  for (int i = 0; i < 200; ++i) {
    HWND found[2] = {nullptr, except};
    EnumWindows(
        [](HWND h, LPARAM out) -> BOOL {
          DWORD pid = 0;
          GetWindowThreadProcessId(h, &pid);
          wchar_t cls[16] = {};
          GetClassNameW(h, cls, 16);
          auto* found = reinterpret_cast<HWND*>(out);
          if (pid != GetCurrentProcessId() || wcscmp(cls, L"#32770") != 0 || !IsWindowVisible(h) ||
              h == found[1])
            return TRUE;
          found[0] = h;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(found));
    if (found[0]) return found[0];
    Sleep(50);
  }
  return nullptr;
}

// What the answering thread saw in the dialog.
struct DialogSeen {
  bool shown = false;
  std::wstring fileType;
  std::wstring folder;
  std::wstring message;  // the text of a message box that followed, answered with OK
};

// Answers the next dialog: accepts path, or cancels when path is empty; then, when told to expect
// one, answers the message box that follows.
std::thread answerDialog(const Text& path, DialogSeen& seen, bool expectMessage) {
  return std::thread([path, &seen, expectMessage] {
    HWND dialog = waitForDialog();
    if (!dialog) return;
    seen.shown = true;
    HWND types = GetDlgItem(dialog, kFileTypeList);
    const LRESULT current = SendMessageW(types, CB_GETCURSEL, 0, 0);
    wchar_t buffer[MAX_PATH] = {};
    if (current >= 0 && SendMessageW(types, CB_GETLBTEXTLEN, current, 0) < MAX_PATH) {
      SendMessageW(types, CB_GETLBTEXT, current, reinterpret_cast<LPARAM>(buffer));
      seen.fileType = buffer;
    }
    wchar_t folder[MAX_PATH] = {};
    SendMessageW(dialog, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(folder));
    seen.folder = folder;
    if (path.empty()) {
      PostMessageW(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
      return;
    }
    SendMessageW(GetDlgItem(dialog, kFileNameField), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(widen936(path).c_str()));
    PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    if (!expectMessage) return;
    for (int i = 0; i < 40 && IsWindow(dialog); ++i) Sleep(50);
    if (HWND box = waitForDialog(dialog)) {
      wchar_t text[512] = {};
      GetDlgItemTextW(box, 0xFFFF, text, 512);
      seen.message = text;
      PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    }
  });
}

// Runs onBrowse with the dialog answered; returns what the answering thread saw.
DialogSeen browse(const Text& path, bool expectMessage = false) {
  DialogSeen seen;
  std::thread answer = answerDialog(path, seen, expectMessage);
  onBrowse();
  answer.join();
  return seen;
}

class Browse : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    EventHandlers handlers;
    handlers.textChanged = countTextChanged;
    loadMainWindow(handlers);
    writeBool(Control::mainWindow, Prop::visible, true);
  }
  void SetUp() override { textChangedCount = 0; }
};

// First in this file: before any file is accepted, the dialog starts in the program's folder.
TEST_F(Browse, CancelChangesNothingAndTheDialogOffersTextFilesInTheProgramFolder) {
  writeText(Control::编辑框1, Prop::text, "原来的文本");
  textChangedCount = 0;
  const DialogSeen seen = browse("");
  ASSERT_TRUE(seen.shown);
  EXPECT_EQ(seen.fileType, widen936("文本文件（*.txt）"));
  EXPECT_EQ(_wcsicmp(seen.folder.c_str(), widen936(deploy::programFolder()).c_str()), 0)
      << narrow936(seen.folder);
  EXPECT_EQ(readText(Control::编辑框1, Prop::text), "原来的文本");
  EXPECT_EQ(textChangedCount, 0);
  EXPECT_EQ(readText(Control::通用对话框1, Prop::fileName), "");
}

TEST_F(Browse, EachFixtureLoadsIntoTheTextBoxWithOneTextChange) {
  for (const FixtureCase& c : kFixtureCases) {
    SCOPED_TRACE(c.file);
    writeText(Control::编辑框1, Prop::text, "之前的内容");
    textChangedCount = 0;
    ASSERT_TRUE(browse(fixturePath(c.file)).shown);
    EXPECT_EQ(readText(Control::编辑框1, Prop::text), c.text);
    EXPECT_EQ(textChangedCount, 1);
    EXPECT_EQ(readText(Control::通用对话框1, Prop::fileName), fixturePath(c.file));
  }
  // Cancel after an accepted file: still nothing changes, and the last path stays.
  const Text before = readText(Control::编辑框1, Prop::text);
  textChangedCount = 0;
  ASSERT_TRUE(browse("").shown);
  EXPECT_EQ(readText(Control::编辑框1, Prop::text), before);
  EXPECT_EQ(textChangedCount, 0);
  EXPECT_EQ(readText(Control::通用对话框1, Prop::fileName),
            fixturePath(std::end(kFixtureCases)[-1].file));
}

TEST_F(Browse, AFileThatCannotBeReadIsReportedAndTheTextStays) {
  const Text path = fixturePath("gbk.txt");
  // Held open without sharing: the dialog still accepts it, but it cannot be read.
  HANDLE lock = CreateFileW(widen936(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  writeText(Control::编辑框1, Prop::text, "用户的文本");
  textChangedCount = 0;
  const DialogSeen seen = browse(path, true);
  CloseHandle(lock);
  ASSERT_TRUE(seen.shown);
  EXPECT_NE(seen.message.find(widen936("无法读取文件")), std::wstring::npos) << narrow936(seen.message);
  EXPECT_EQ(readText(Control::编辑框1, Prop::text), "用户的文本");
  EXPECT_EQ(textChangedCount, 0);
}

TEST_F(Browse, RealChineseTextsLoad) {
  for (const char* copy : {"tang300.utf8.txt", "song100.utf16be.txt"}) {
    SCOPED_TRACE(copy);
    const std::string name(copy);
    const std::optional<Text> expected =
        textimport::loadTextFile(fortuneCopyPath(name.substr(0, name.find('.')) + ".gbk.txt"));
    ASSERT_TRUE(expected.has_value());
    ASSERT_TRUE(browse(fortuneCopyPath(copy)).shown);
    const Text text = readText(Control::编辑框1, Prop::text);
    EXPECT_TRUE(text == *expected) << "sizes " << text.size() << " and " << expected->size();
  }
}

}  // namespace
}  // namespace lectavo
