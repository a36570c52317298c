#pragma once
// The main window object: owns the window and its controls, routes their notices to the event
// handlers and carries out the property accesses that concern the screen. Window thread only, except
// where a member says otherwise.
#include <windows.h>

#include <array>
#include <atomic>
#include <exception>
#include <functional>

#include "app/window.h"
#include "app/window/controls.h"

namespace lectavo::win {

class MainWindow;

// One property access that a worker hands to the window thread (WM_LECTAVO_CALL).
struct CallRequest {
  std::function<void(MainWindow&)> work;
  std::exception_ptr error;
  bool done = false;
};

class MainWindow {
 public:
  explicit MainWindow(const EventHandlers& handlers);
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates the window hidden with every control, then raises created.
  void create();

  // Any thread.
  HWND hwnd() const { return hwnd_; }
  DWORD threadId() const { return threadId_; }
  bool gone() const { return gone_.load(); }
  bool onWindowThread() const { return GetCurrentThreadId() == threadId_; }

  HWND control(Control c) const;  // nullptr for the window itself and the dialog component

  void writeBoxText(Control box, const Text& value);
  Text readControlText(Control c) const;
  void writeSelection(bool start, int value);
  void writeCurrentItem(int index);
  int readCurrentItem() const;
  void showCaption(const Text& caption);
  void setDisabled(Control c, bool disabled);
  void setVisible(bool visible);
  void focus(Control c);
  void moveTabFocus(HWND from, bool backwards);
  void requestClose();

 private:
  static LRESULT CALLBACK procThunk(HWND h, UINT msg, WPARAM w, LPARAM l);
  LRESULT handle(UINT msg, WPARAM w, LPARAM l);
  void onCommand(int id, int code);
  LRESULT onClose();
  void onActivate(bool active);
  void onFocus();
  void createControls();
  void raise(void (*handler)());

  EventHandlers handlers_;
  HWND hwnd_ = nullptr;
  DWORD threadId_ = 0;
  std::atomic<bool> gone_{false};
  std::array<HWND, static_cast<std::size_t>(Control::通用对话框1) + 1> controls_{};
  int suppressTextChanged_ = 0;   // 编辑框1: own change notices of a text write in progress
  int suppressSpeedChanged_ = 0;  // 编辑框2
  int selectionStart_ = 0;
  int selectionLength_ = 0;
  HWND lastFocus_ = nullptr;
};

// A new window object, kept until the process ends so that no worker can hold a dangling pointer.
MainWindow& newWindow(const EventHandlers& handlers);

// The window most recently loaded (possibly gone already); nullptr before the first load. Any thread.
MainWindow* currentWindow();

}  // namespace lectavo::win
