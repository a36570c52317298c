#include "app/window/main_window.h"

#include <memory>
#include <mutex>
#include <vector>

#include "app/window/kinds.h"
#include "app/window_messages.h"
#include "platform/cp936.h"
#include "platform/error.h"
#include "resources/resource_ids.h"

namespace lectavo::win {

namespace {

constexpr wchar_t kClassName[] = L"LectavoMainWindow";

std::mutex windowsLock;
std::vector<std::unique_ptr<MainWindow>> allWindows;  // every window ever loaded; the last is current
std::atomic<MainWindow*> current{nullptr};

HICON loadIcon(int size) {
  HANDLE icon = LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(LECTAVO_IDI_MAIN), IMAGE_ICON,
                           size, size, LR_SHARED);
  return icon != nullptr ? static_cast<HICON>(icon) : LoadIconW(nullptr, IDI_APPLICATION);
}

void registerClassOnce(WNDPROC proc) {
  static bool registered = false;
  if (registered) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hIcon = loadIcon(GetSystemMetrics(SM_CXICON));
  wc.hIconSm = loadIcon(GetSystemMetrics(SM_CXSMICON));
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kClassName;
  if (RegisterClassExW(&wc) == 0) platform::throwLastError("RegisterClassExW");
  registered = true;
}

}  // namespace

MainWindow* currentWindow() { return current.load(); }

MainWindow::MainWindow(const EventHandlers& handlers) : handlers_(handlers) {}

HWND MainWindow::control(Control c) const { return controls_[static_cast<std::size_t>(c)]; }

void MainWindow::create() {
  registerClassOnce(procThunk);
  threadId_ = GetCurrentThreadId();
  current.store(this);
  // The full screen, not the work area.
  int left = (GetSystemMetrics(SM_CXSCREEN) - kWindowWidth) / 2;
  int top = (GetSystemMetrics(SM_CYSCREEN) - kWindowHeight) / 2;
  HWND h = CreateWindowExW(0, kClassName, L"Lectavo",
                           WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN,
                           left, top, kWindowWidth, kWindowHeight, nullptr, nullptr,
                           GetModuleHandleW(nullptr), this);
  if (h == nullptr) platform::throwLastError("CreateWindowExW");
  // Also as the window's own icons, so that others can ask the window for them.
  SendMessageW(h, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(loadIcon(GetSystemMetrics(SM_CXICON))));
  SendMessageW(h, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(loadIcon(GetSystemMetrics(SM_CXSMICON))));
  createControls();
  raise(handlers_.created);
}

void MainWindow::createControls() {
  // The boxes' first content is no change of the user's.
  ++suppressTextChanged_;
  ++suppressSpeedChanged_;
  HWND previous = HWND_TOP;
  for (const auto& design : controlSpecs()) {
    HWND c = createControl(hwnd_, design);
    controls_[static_cast<std::size_t>(design.control)] = c;
    // Stacking order front to back, each control behind the one before it.
    SetWindowPos(c, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    previous = c;
    watchKeys(c, this);
  }
  --suppressTextChanged_;
  --suppressSpeedChanged_;
  for (const auto& design : controlSpecs()) ShowWindow(control(design.control), SW_SHOWNA);
}

LRESULT CALLBACK MainWindow::procThunk(HWND h, UINT msg, WPARAM w, LPARAM l) {
  MainWindow* self = nullptr;
  if (msg == WM_NCCREATE) {
    self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams);
    self->hwnd_ = h;
    SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(h, GWLP_USERDATA));
  }
  if (self == nullptr) return DefWindowProcW(h, msg, w, l);
  try {
    return self->handle(msg, w, l);
  } catch (const std::exception& e) {
    platform::fatalError(std::string("in the main window: ") + e.what());
  } catch (...) {
    platform::fatalError("in the main window: unknown exception");
  }
}

LRESULT MainWindow::handle(UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_COMMAND:
      onCommand(LOWORD(w), HIWORD(w));
      return 0;
    case WM_LECTAVO_CALL: {
      auto* request = reinterpret_cast<CallRequest*>(l);
      try {
        request->work(*this);
      } catch (...) {
        request->error = std::current_exception();
      }
      request->done = true;
      return 0;
    }
    case WM_LECTAVO_VOICE_SELECTED:
      raise(handlers_.voiceSelected);
      return 0;
    case WM_CTLCOLORSTATIC:  // labels: black on button face
      SetTextColor(reinterpret_cast<HDC>(w), RGB(0, 0, 0));
      SetBkColor(reinterpret_cast<HDC>(w), GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    case WM_CTLCOLOREDIT:  // text boxes and the voice list's field: black on white
    case WM_CTLCOLORLISTBOX:
      SetTextColor(reinterpret_cast<HDC>(w), RGB(0, 0, 0));
      SetBkColor(reinterpret_cast<HDC>(w), RGB(255, 255, 255));
      return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    case WM_KEYDOWN:  // the window itself has the focus only when no control can take it
      if (w == VK_ESCAPE) requestClose();
      if (w == VK_TAB) moveTabFocus(hwnd_, GetKeyState(VK_SHIFT) < 0);
      return 0;
    case WM_ACTIVATE:
      onActivate(LOWORD(w) != WA_INACTIVE);
      return DefWindowProcW(hwnd_, msg, w, l);
    case WM_SETFOCUS:
      onFocus();
      return 0;
    case WM_CLOSE:
      return onClose();
    case WM_QUERYENDSESSION:
      return handlers_.closeRequested == nullptr ||
             handlers_.closeRequested() != CloseAnswer::keepOpen;
    case WM_ENDSESSION:
      if (w) DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:  // sent before any control is destroyed
      raise(handlers_.destroying);
      return 0;
    case WM_NCDESTROY:
      gone_.store(true);
      PostThreadMessageW(threadId_, WM_LECTAVO_WINDOW_GONE, 0, 0);
      return DefWindowProcW(hwnd_, msg, w, l);
    default:
      return DefWindowProcW(hwnd_, msg, w, l);
  }
}

void MainWindow::onCommand(int id, int code) {
  auto is = [id](Control c) { return id == specOf(c).id; };
  if (is(Control::编辑框1)) {
    if (code == EN_CHANGE && suppressTextChanged_ == 0) raise(handlers_.textChanged);
    if (code == EN_KILLFOCUS) raise(handlers_.textLostFocus);
  } else if (is(Control::编辑框2)) {
    if (code == EN_CHANGE && suppressSpeedChanged_ == 0) raise(handlers_.speedChanged);
  } else if (is(Control::按钮1)) {
    // A focus loss in the middle of a mouse press on the button (the text box taking the focus back
    // while reading) is that press's answer: a click it still makes is not raised as well.
    HWND button = control(Control::按钮1);
    if (code == BN_CLICKED && !clickOfAnsweredPress(button)) raise(handlers_.playStopClicked);
    if (code == BN_KILLFOCUS) {
      answerPress(button);
      raise(handlers_.playStopLostFocus);
    }
  } else if (is(Control::按钮2)) {
    if (code == BN_CLICKED) raise(handlers_.browseClicked);
  } else if (is(Control::按钮3)) {
    if (code == BN_CLICKED) raise(handlers_.saveClicked);
  } else if (is(Control::组合框1)) {
    if (code == CBN_SELCHANGE) PostMessageW(hwnd_, WM_LECTAVO_VOICE_SELECTED, 0, 0);
  }
}

LRESULT MainWindow::onClose() {
  if (handlers_.closeRequested != nullptr && handlers_.closeRequested() == CloseAnswer::keepOpen)
    return 0;
  DestroyWindow(hwnd_);
  return 0;
}

void MainWindow::onActivate(bool active) {
  if (active) return;  // WM_SETFOCUS follows from DefWindowProc and restores the focus
  HWND f = GetFocus();
  if (f != nullptr && IsChild(hwnd_, f)) lastFocus_ = f;
}

void MainWindow::onFocus() {
  HWND target = lastFocus_;
  if (target == nullptr || !IsWindow(target) || !IsWindowVisible(target) || !IsWindowEnabled(target))
    target = control(Control::编辑框1);
  SetFocus(target);
}

void MainWindow::raise(void (*handler)()) {
  if (handler != nullptr) handler();
}

void MainWindow::writeBoxText(Control box, const Text& value) {
  int& suppress = box == Control::编辑框1 ? suppressTextChanged_ : suppressSpeedChanged_;
  ++suppress;
  try {
    storeBoxText(control(box), value);
  } catch (...) {
    --suppress;
    throw;
  }
  --suppress;
  raise(box == Control::编辑框1 ? handlers_.textChanged : handlers_.speedChanged);
}

Text MainWindow::readControlText(Control c) const { return controlText(control(c)); }

void MainWindow::writeSelection(bool start, int value) {
  (start ? selectionStart_ : selectionLength_) = value;
  selectBytes(control(Control::编辑框1), selectionStart_, selectionLength_);
}

void MainWindow::writeCurrentItem(int index) { setComboCurrentItem(control(Control::组合框1), index); }

int MainWindow::readCurrentItem() const {
  return static_cast<int>(SendMessageW(control(Control::组合框1), CB_GETCURSEL, 0, 0));
}

void MainWindow::showCaption(const Text& caption) {
  SetWindowTextW(control(Control::按钮1), widen936(caption).c_str());
}

void MainWindow::setDisabled(Control c, bool disabled) { EnableWindow(control(c), disabled ? FALSE : TRUE); }

void MainWindow::setVisible(bool visible) {
  if (!visible) {
    ShowWindow(hwnd_, SW_HIDE);
    return;
  }
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
}

void MainWindow::focus(Control c) { SetFocus(c == Control::mainWindow ? hwnd_ : control(c)); }

void MainWindow::moveTabFocus(HWND from, bool backwards) {
  const auto& cycle = tabCycle();
  const int n = static_cast<int>(cycle.size());
  int at = -1;
  for (int i = 0; i < n; ++i) {
    HWND c = control(cycle[i]);
    if (from == c || IsChild(c, from)) at = i;
  }
  if (at < 0) at = backwards ? 0 : n - 1;
  for (int step = 1; step <= n; ++step) {
    int i = ((at + (backwards ? -step : step)) % n + n) % n;
    HWND c = control(cycle[i]);
    if (specOf(cycle[i]).tabStop && IsWindowVisible(c) && IsWindowEnabled(c)) {
      SetFocus(c);
      return;
    }
  }
}

// As the close button does.
void MainWindow::requestClose() { PostMessageW(hwnd_, WM_SYSCOMMAND, SC_CLOSE, 0); }

MainWindow& newWindow(const EventHandlers& handlers) {
  std::lock_guard<std::mutex> g(windowsLock);
  allWindows.push_back(std::make_unique<MainWindow>(handlers));
  return *allWindows.back();
}

}  // namespace lectavo::win
