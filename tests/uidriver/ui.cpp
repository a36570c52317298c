#include "ui.h"

#include "mouse.h"

#include <cstdio>

namespace lectavo::ui {

Program& program() {
  static Program p;
  return p;
}

Text narrow936(const std::wstring& w) {
  if (w.empty()) return {};
  int n = WideCharToMultiByte(936, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  Text out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(936, 0, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::wstring widen936(const Text& t) {
  if (t.empty()) return {};
  int n = MultiByteToWideChar(936, 0, t.data(), static_cast<int>(t.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(936, 0, t.data(), static_cast<int>(t.size()), out.data(), n);
  return out;
}

namespace {
std::wstring windowsPath(std::wstring p) {
  if (!p.empty() && p[0] == L'/') {
    for (auto& c : p)
      if (c == L'/') c = L'\\';
    p = L"Z:" + p;
  }
  return p;
}
}  // namespace

HWND findMainWindow(DWORD pid) {
  HWND h = nullptr;
  while ((h = FindWindowExW(nullptr, h, nullptr, L"Lectavo")) != nullptr) {
    DWORD owner = 0;
    GetWindowThreadProcessId(h, &owner);
    if (owner == pid) return h;
  }
  return nullptr;
}

namespace {
std::wstring programFolder;
}

std::wstring workingFolder() { return programFolder + L"\\3f9c2a7e51d04b68a0e4c71b92d5f806"; }

bool startProgram(const std::wstring& exe, int timeoutMs) {
  std::wstring path = windowsPath(exe);
  programFolder = path.substr(0, path.find_last_of(L'\\'));
  CreateDirectoryW(workingFolder().c_str(), nullptr);
  std::wstring cmd = L"\"" + path + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(path.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    std::fprintf(stderr, "CreateProcessW failed with code %lu\n", GetLastError());
    return false;
  }
  CloseHandle(pi.hThread);
  Program& p = program();
  p.process = pi.hProcess;
  p.pid = pi.dwProcessId;
  bool shown = waitFor(timeoutMs, [&] {
    p.window = findMainWindow(p.pid);
    return p.window != nullptr && IsWindowVisible(p.window);
  });
  if (!shown) return false;
  p.threadId = GetWindowThreadProcessId(p.window, nullptr);
  // Ready for clicks once the focus follows them: from one text box to the other, ending in 编辑框1,
  // where the program puts it first.
  HWND speed = GetDlgItem(p.window, 1002), text = GetDlgItem(p.window, 1001);
  bool follows = false;
  for (int attempt = 0; attempt < 20 && !follows; ++attempt) {
    clickCentre(speed);
    follows = waitFor(300, [&] { return focusedWindow() == speed; });
  }
  clickCentre(text);
  return follows && waitFor(2000, [&] { return focusedWindow() == text; });
}

long waitForExit(int timeoutMs) {
  Program& p = program();
  if (p.process == nullptr) return -1;
  if (WaitForSingleObject(p.process, static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(p.process, &code);
  return static_cast<long>(code);
}

HWND child(int id) { return GetDlgItem(program().window, id); }

std::wstring className(HWND h) {
  wchar_t name[64] = {};
  GetClassNameW(h, name, 64);
  return name;
}

std::wstring windowText(HWND h) {
  DWORD_PTR n = 0;
  if (!SendMessageTimeoutW(h, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &n)) return L"<no answer>";
  std::wstring w(n + 1, L'\0');
  DWORD_PTR got = 0;
  SendMessageTimeoutW(h, WM_GETTEXT, n + 1, reinterpret_cast<LPARAM>(w.data()), SMTO_ABORTIFHUNG, 2000,
                      &got);
  w.resize(got);
  return w;
}

Text windowText936(HWND h) { return narrow936(windowText(h)); }

RECT clientRectOf(HWND control) {
  RECT r{};
  GetWindowRect(control, &r);
  MapWindowPoints(HWND_DESKTOP, program().window, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

HWND focusedWindow() {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(program().threadId, &info)) return nullptr;
  return info.hwndFocus;
}

void bringToFront() {
  HWND w = program().window;
  if (GetForegroundWindow() != w) {
    SetForegroundWindow(w);
    waitFor(1000, [w] { return GetForegroundWindow() == w; });
  }
}

namespace {
INPUT key(WORD vk, bool up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return in;
}
}  // namespace

void pressKey(WORD vk, bool shift) {
  bringToFront();
  std::vector<INPUT> in;
  if (shift) in.push_back(key(VK_SHIFT, false));
  in.push_back(key(vk, false));
  in.push_back(key(vk, true));
  if (shift) in.push_back(key(VK_SHIFT, true));
  SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
  Sleep(150);  // let the program's thread take the keys
}

void typeText(const std::wstring& text) {
  bringToFront();
  for (wchar_t c : text) {
    INPUT in[2] = {};
    for (int i = 0; i < 2; ++i) {
      in[i].type = INPUT_KEYBOARD;
      in[i].ki.wScan = c;
      in[i].ki.dwFlags = KEYEVENTF_UNICODE | (i ? KEYEVENTF_KEYUP : 0);
    }
    SendInput(2, in, sizeof(INPUT));
  }
  Sleep(150);
}

void clickCentre(HWND control) {
  bringToFront();
  sendClickAtCentre(control);
  Sleep(100);
}

std::pair<DWORD, DWORD> selectionOf(HWND edit) {
  DWORD_PTR packed = 0;
  SendMessageTimeoutW(edit, EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, 2000, &packed);
  return {LOWORD(packed), HIWORD(packed)};
}

HWND findProgramDialog(const wchar_t* title) {
  HWND h = nullptr;
  while ((h = FindWindowExW(nullptr, h, L"#32770", title)) != nullptr) {
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    if (pid == program().pid && IsWindowVisible(h)) return h;
  }
  return nullptr;
}

std::wstring windowsPathOf(const std::string& unixPath) {
  std::wstring w(unixPath.begin(), unixPath.end());
  return windowsPath(w);
}

std::string readUnixFile(const std::string& unixPath) {
  FILE* f = _wfopen(windowsPathOf(unixPath).c_str(), L"rb");
  if (f == nullptr) return {};
  std::string out;
  char buf[65536];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
  std::fclose(f);
  return out;
}

bool saveScreenshot(HWND window, const std::wstring& path) {
  RECT r{};
  GetWindowRect(window, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  SelectObject(mem, old);

  BITMAPINFOHEADER bi{};
  bi.biSize = sizeof bi;
  bi.biWidth = w;
  bi.biHeight = h;  // bottom-up
  bi.biPlanes = 1;
  bi.biBitCount = 24;
  bi.biCompression = BI_RGB;
  const DWORD stride = static_cast<DWORD>((w * 3 + 3) & ~3);
  std::vector<unsigned char> pixels(stride * static_cast<DWORD>(h));
  GetDIBits(mem, bmp, 0, static_cast<UINT>(h), pixels.data(), reinterpret_cast<BITMAPINFO*>(&bi),
            DIB_RGB_COLORS);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);

  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof fh + sizeof bi;
  fh.bfSize = fh.bfOffBits + static_cast<DWORD>(pixels.size());
  FILE* f = _wfopen(path.c_str(), L"wb");
  if (f == nullptr) return false;
  bool ok = std::fwrite(&fh, sizeof fh, 1, f) == 1 && std::fwrite(&bi, sizeof bi, 1, f) == 1 &&
            std::fwrite(pixels.data(), 1, pixels.size(), f) == pixels.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace lectavo::ui
