#pragma once
// Driving the real lectavo.exe from outside, in the same Wine prefix: it is started once per driver
// run; the tests find its window by title and read it through cross-process messages.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace lectavo::ui {

using Text = std::string;  // CP936 bytes

struct Program {
  HANDLE process = nullptr;
  DWORD pid = 0;
  DWORD threadId = 0;  // the window thread
  HWND window = nullptr;
};

// The running program (started by the driver's environment).
Program& program();

// The working folder beside the program (which the driver creates before it starts the program, as it
// lies on a user's machine).
std::wstring workingFolder();

// Starts `exe` (a Windows or a Unix path) and waits for its visible main window.
bool startProgram(const std::wstring& exe, int timeoutMs);
// Waits until the program has ended; its exit code, or -1 on time-out.
long waitForExit(int timeoutMs);

HWND findMainWindow(DWORD pid);
HWND child(int id);                      // a control of the main window by id
std::wstring className(HWND h);
std::wstring windowText(HWND h);        // WM_GETTEXT with a time-out: works across processes
Text windowText936(HWND h);
RECT clientRectOf(HWND control);         // in the main window's client coordinates
HWND focusedWindow();                    // of the program's window thread

// Real key presses through the system's input queue; the main window is brought to the front first.
void pressKey(WORD vk, bool shift = false);
void typeText(const std::wstring& text);  // as Unicode key events
void bringToFront();
// A real left click at the middle of `control` (screen coordinates equal the virtual desktop's).
void clickCentre(HWND control);

// The selection of an edit control in UTF-16 units (EM_GETSEL works across processes).
std::pair<DWORD, DWORD> selectionOf(HWND edit);
// A visible dialog-class window ("#32770") of the program with the given title, or null.
HWND findProgramDialog(const wchar_t* title);

// Reads a whole file given by its Unix path (the rig's Z: drive); empty when missing.
std::string readUnixFile(const std::string& unixPath);
std::wstring windowsPathOf(const std::string& unixPath);

// Waits up to `ms` until `condition` holds, checking every 20 ms.
template <typename F>
bool waitFor(int ms, F condition) {
  for (int waited = 0; waited <= ms; waited += 20) {
    if (condition()) return true;
    Sleep(20);
  }
  return false;
}

// Saves what the screen shows of `window` (frame included) as a 24-bit BMP.
bool saveScreenshot(HWND window, const std::wstring& path);

Text narrow936(const std::wstring& w);
std::wstring widen936(const Text& t);

}  // namespace lectavo::ui
