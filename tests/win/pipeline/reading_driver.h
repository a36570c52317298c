#pragma once
// Driving the reading pipeline as the user commands do, from the window thread of a test or benchmark.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>
#include <functional>
#include <string>
#include <thread>
#include <utility>

#include "app/shared_state.h"

namespace lectavo::test {

// Handles the window's messages until `done` or the time is up; `each` runs on every round.
inline bool pumpUntil(const std::function<bool()>& done, DWORD limitMs, const std::function<void()>& each = {}) {
  const ULONGLONG end = GetTickCount64() + limitMs;
  while (GetTickCount64() < end) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (each) each();
    if (done()) return true;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
  return false;
}

// What Play does when it starts a reading.
inline void play() {
  writeText(Control::按钮1, Prop::caption, "停 止");
  setPauseFlag(0);
  setReadingTag("N");
}

// What Save does once the user said yes.
inline void save() {
  writeBool(Control::按钮1, Prop::disabled, true);
  {
    std::lock_guard<std::mutex> hold(sharedState().audioBufferLock);
    sharedState().audioBuffer.clear();
  }
  setSaveTag(" ");
  setReadingTag("N");
}

// A reading has ended: the playback worker handed the Play caption back and holds.
inline bool readingEnded() {
  return sharedState().pauseFlag.load() == 1 && readText(Control::按钮1, Prop::caption) == "播 放";
}

// A Save has ended: the synthesis worker finished its run and cleared the save tag.
inline bool saveEnded() { return readingTag() != "N" && saveTag().empty(); }

// A visible dialog-class window of this process with the given title, or null.
inline HWND findDialog(const wchar_t* title) {
  struct Search { const wchar_t* title; HWND found; } search{title, nullptr};
  EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        auto* s = reinterpret_cast<Search*>(p);
        wchar_t cls[16] = {}, text[64] = {};
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid != GetCurrentProcessId() || !IsWindowVisible(w)) return TRUE;
        GetClassNameW(w, cls, 16);
        if (std::wstring(cls) != L"#32770") return TRUE;
        // Sends no message: the window's thread may be the one waiting for us.
        InternalGetWindowText(w, text, 64);
        if (std::wstring(text) == s->title) {
          s->found = w;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

inline std::wstring windowText(HWND w) {
  wchar_t text[1024] = {};
  SendMessageTimeoutW(w, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, nullptr);
  return text;
}

// Answers the save dialog from another thread, as a user would, with `name` typed into its name field;
// then says yes to an overwrite question and closes a message box the program shows, keeping its text.
class SaveDialogAnswer {
 public:
  explicit SaveDialogAnswer(std::wstring name, DWORD limitMs = 30000) : name_(std::move(name)), limitMs_(limitMs) {
    thread_ = std::thread([this] { run(); });
  }
  // Keeps the calling (window) thread's messages flowing until the helper has ended.
  ~SaveDialogAnswer() {
    stop_ = true;
    pumpUntil([this] { return finished_.load(); }, INFINITE);
    thread_.join();
  }
  bool answered() const { return answered_; }
  std::wstring fileTypes() const { return fileTypes_; }
  // What the program's message box said after the dialog, if it showed one.
  std::wstring message() const {
    std::lock_guard<std::mutex> hold(lock_);
    return message_;
  }

 private:
  void run() {
    struct Finish {
      std::atomic<bool>& flag;
      ~Finish() { flag = true; }
    } finish{finished_};
    const ULONGLONG end = GetTickCount64() + limitMs_;
    while (GetTickCount64() < end && !answered_) {
      if (HWND dialog = findDialog(L"另存为")) {
        Sleep(200);  // let it finish laying out
        fileTypes_ = windowText(GetDlgItem(dialog, 0x470));
        SendMessageTimeoutW(GetDlgItem(dialog, 0x47c), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name_.c_str()),
                            SMTO_ABORTIFHUNG, 2000, nullptr);
        PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        answered_ = true;
      }
      Sleep(20);
    }
    // Until the owner is done with us: confirm overwriting, note and close the program's message box.
    while (!stop_ && GetTickCount64() < end) {
      for (const wchar_t* title : {L"错误", L"确认另存为"}) {
        if (HWND ask = findDialog(title)) PostMessageW(GetDlgItem(ask, IDYES), BM_CLICK, 0, 0);
      }
      if (HWND box = findDialog(L"")) {
        {
          std::lock_guard<std::mutex> hold(lock_);
          message_ = windowText(GetDlgItem(box, 0xFFFF));
        }
        PostMessageW(box, WM_COMMAND, IDOK, 0);
      }
      Sleep(50);
    }
  }
  std::wstring name_;
  DWORD limitMs_;
  std::wstring fileTypes_;
  mutable std::mutex lock_;
  std::wstring message_;
  std::atomic<bool> answered_{false}, stop_{false}, finished_{false};
  std::thread thread_;
};

inline std::wstring tempPath(const wchar_t* name) {
  wchar_t folder[MAX_PATH + 1];
  GetTempPathW(MAX_PATH + 1, folder);
  return std::wstring(folder) + name;
}

inline std::vector<std::uint8_t> readWholeFile(const std::wstring& path) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  if (f == INVALID_HANDLE_VALUE) return {};
  LARGE_INTEGER size{};
  GetFileSizeEx(f, &size);
  std::vector<std::uint8_t> b(static_cast<std::size_t>(size.QuadPart));
  std::size_t at = 0;
  while (at < b.size()) {
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(b.size() - at, 1u << 24));
    if (!ReadFile(f, b.data() + at, want, &got, nullptr) || got == 0) break;
    at += got;
  }
  CloseHandle(f);
  b.resize(at);
  return b;
}

}  // namespace lectavo::test
