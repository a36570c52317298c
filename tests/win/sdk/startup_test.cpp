// The real program's start-up under Wine: with the service on loopback ports 80 and 1028 the window
// shows with the first voice selected; without it the failure message appears and the process ends.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "deploy/working_folder.h"

namespace {

struct Program {
  PROCESS_INFORMATION pi{};
  Program() {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    std::wstring cmd = L"\"" + std::wstring(LECTAVO_EXE) + L"\"";
    started = CreateProcessW(LECTAVO_EXE, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
  }
  ~Program() {
    if (!started) return;
    if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi.hProcess, 99);
    WaitForSingleObject(pi.hProcess, 5000);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
  }
  // The exit code once ended within limitMs; STILL_ACTIVE otherwise.
  DWORD exitCode(DWORD limitMs) const {
    WaitForSingleObject(pi.hProcess, limitMs);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(pi.hProcess, &code);
    return code;
  }
  BOOL started = FALSE;
};

struct Search {
  DWORD pid;
  const wchar_t* className;
  HWND found = nullptr;
};

HWND topWindowOf(DWORD pid, const wchar_t* className) {
  Search s{pid, className};
  EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        auto* s = reinterpret_cast<Search*>(p);
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        wchar_t cls[64] = {};
        GetClassNameW(w, cls, 64);
        if (owner == s->pid && IsWindowVisible(w) && (!s->className || lstrcmpW(cls, s->className) == 0)) {
          s->found = w;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&s));
  return s.found;
}

HWND waitForWindow(DWORD pid, const wchar_t* className, DWORD limitMs) {
  const ULONGLONG end = GetTickCount64() + limitMs;
  for (; GetTickCount64() < end; Sleep(50))
    if (HWND w = topWindowOf(pid, className)) return w;
  return nullptr;
}

std::wstring textOf(HWND w) {
  wchar_t buf[256] = {};
  DWORD_PTR n = 0;
  SendMessageTimeoutW(w, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 2000, &n);
  return buf;
}

HWND childOfClass(HWND parent, const wchar_t* className) { return FindWindowExW(parent, nullptr, className, nullptr); }

std::wstring programFolder() {
  const std::wstring exe = LECTAVO_EXE;
  return exe.substr(0, exe.find_last_of(L"\\/"));
}

std::wstring tempFile(const wchar_t* name) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  return std::wstring(temp) + name;
}

ULONGLONG writeTime(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA d{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &d)) return 0;
  return (ULONGLONG(d.ftLastWriteTime.dwHighDateTime) << 32) | d.ftLastWriteTime.dwLowDateTime;
}

// One start with the service up: the window, its voice, the hidden working folder, then a close.
void startAndClose() {
  const std::wstring working = programFolder() + L"\\" + std::wstring(std::begin(lectavo::deploy::kWorkingFolderName),
                                                                       std::end(lectavo::deploy::kWorkingFolderName) - 1);
  CreateDirectoryW(working.c_str(), nullptr);
  Program p;
  ASSERT_TRUE(p.started);
  const HWND main = waitForWindow(p.pi.dwProcessId, nullptr, 30000);
  ASSERT_NE(main, nullptr) << "no visible window";
  EXPECT_EQ(textOf(main), L"Lectavo");
  const HWND combo = childOfClass(main, L"ComboBox");
  ASSERT_NE(combo, nullptr);
  EXPECT_EQ(textOf(combo), L"一萍");
  DWORD_PTR item = 99;
  SendMessageTimeoutW(combo, CB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 2000, &item);
  EXPECT_EQ(item, 0u);
  const DWORD attributes = GetFileAttributesW(working.c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(attributes, static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY));
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(p.exitCode(30000), 0u);
}

TEST(StartUp, ServiceUpShowsTheWindowWithTheFirstVoice) {
  const std::wstring msc = tempFile(L"msc.dll");
  const std::wstring speex = tempFile(L"speex.dll");
  DeleteFileW(msc.c_str());
  DeleteFileW(speex.c_str());
  startAndClose();
  const ULONGLONG mscWritten = writeTime(msc);
  const ULONGLONG speexWritten = writeTime(speex);
  EXPECT_NE(mscWritten, 0u) << "msc.dll deployed to the temporary folder";
  EXPECT_NE(speexWritten, 0u) << "speex.dll deployed to the temporary folder";
  // Second start on the same machine: the libraries are right already and are not written again.
  Sleep(50);
  startAndClose();
  EXPECT_EQ(writeTime(msc), mscWritten);
  EXPECT_EQ(writeTime(speex), speexWritten);
}

TEST(StartUp, ServiceDownSaysSoAndEnds) {
  Program p;
  ASSERT_TRUE(p.started);
  const HWND box = waitForWindow(p.pi.dwProcessId, L"#32770", 60000);
  ASSERT_NE(box, nullptr) << "no message";
  EXPECT_EQ(textOf(box), L"");
  EXPECT_EQ(textOf(GetDlgItem(box, 0xFFFF)), L"初始化失败，请重新启动再试");
  EXPECT_EQ(topWindowOf(p.pi.dwProcessId, L"Lectavo"), nullptr);
  HWND main = nullptr;
  EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        wchar_t t[32] = {};
        GetWindowTextW(w, t, 32);
        if (lstrcmpW(t, L"Lectavo") == 0 && IsWindowVisible(w)) *reinterpret_cast<HWND*>(p) = w;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&main));
  EXPECT_EQ(main, nullptr) << "the window stays hidden";
  PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
  const DWORD code = p.exitCode(10000);
  EXPECT_NE(code, STILL_ACTIVE) << "the process ends after the message";
  EXPECT_NE(code, 0u);
}

}  // namespace
