// 通用对话框1: accepted, cancelled, and shown from a worker in save mode.
#include <cstdio>
#include <string>

#include "platform/cp936.h"
#include "window_fixture.h"

namespace lectavo::testing {
namespace {

HWND findDialog(int timeoutMs) {
  for (int waited = 0; waited < timeoutMs; waited += 50) {
    HWND h = nullptr;
    while ((h = FindWindowExW(nullptr, h, L"#32770", nullptr)) != nullptr) {
      DWORD pid = 0;
      GetWindowThreadProcessId(h, &pid);
      if (pid == GetCurrentProcessId() && IsWindowVisible(h)) return h;
    }
    Sleep(50);
  }
  return nullptr;
}

// Answers the next file dialog of this process from another thread: with `path`, or cancels it.
std::thread answerDialog(std::wstring path, std::wstring* title) {
  return std::thread([path, title] {
    HWND dlg = findDialog(10000);
    if (dlg == nullptr) return;
    wchar_t t[64] = {};
    GetWindowTextW(dlg, t, 64);
    *title = t;
    if (path.empty()) {
      PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
      return;
    }
    HWND name = GetDlgItem(dlg, 0x47c);  // the file name field
    SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    PostMessageW(dlg, WM_COMMAND, IDOK, 0);
  });
}

std::wstring tempPath(const wchar_t* name) {
  wchar_t dir[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  return std::wstring(dir) + name;
}

using FileDialogTest = WindowTest;

TEST_F(FileDialogTest, AcceptedOpenSetsTheFullPathCancelKeepsIt) {
  loadWindow();
  std::wstring file = tempPath(L"对话框测试.txt");
  HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);

  std::wstring title;
  std::thread answer = answerDialog(file, &title);
  bool accepted = showFileDialog();
  answer.join();
  EXPECT_TRUE(accepted);
  EXPECT_EQ(readText(Control::通用对话框1, Prop::fileName), narrow936(file));

  answer = answerDialog(L"", &title);
  EXPECT_FALSE(showFileDialog());
  answer.join();
  EXPECT_EQ(readText(Control::通用对话框1, Prop::fileName), narrow936(file));
  DeleteFileW(file.c_str());
}

TEST_F(FileDialogTest, OpenRefusesAMissingFile) {
  loadWindow();
  std::wstring title;
  // The open dialog keeps itself open for a missing file; the answering thread then cancels.
  std::thread answer([&] {
    HWND dlg = findDialog(10000);
    if (dlg == nullptr) return;
    std::wstring missing = tempPath(L"不存在的文件.txt");
    SendMessageW(GetDlgItem(dlg, 0x47c), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(missing.c_str()));
    PostMessageW(dlg, WM_COMMAND, IDOK, 0);
    Sleep(500);
    // Close whatever complaint came up, then the dialog.
    for (int i = 0; i < 2; ++i)
      if (HWND top = findDialog(1000)) PostMessageW(top, WM_COMMAND, IDCANCEL, 0), Sleep(300);
  });
  EXPECT_FALSE(showFileDialog());
  answer.join();
  EXPECT_EQ(readText(Control::通用对话框1, Prop::fileName), "");
}

TEST_F(FileDialogTest, SaveModeFromAWorkerAddsTheDefaultExtension) {
  loadWindow();
  writeInt(Control::通用对话框1, Prop::dialogKind, 1);
  writeText(Control::通用对话框1, Prop::filter, "音频文件（*.wav）|*.wav");
  writeText(Control::通用对话框1, Prop::defaultExtension, "wav");
  std::wstring base = tempPath(L"lectavo-save-test");
  DeleteFileW((base + L".wav").c_str());
  std::wstring title;
  std::atomic<int> result{-1};
  std::thread worker([&] { result = showFileDialog() ? 1 : 0; });
  std::thread answer = answerDialog(base, &title);
  pump(15000, [&] { return result.load() >= 0; });
  worker.join();
  answer.join();
  EXPECT_EQ(result.load(), 1);
  EXPECT_EQ(title, L"另存为");
  EXPECT_EQ(readText(Control::通用对话框1, Prop::fileName), narrow936(base + L".wav"));
}

}  // namespace
}  // namespace lectavo::testing
