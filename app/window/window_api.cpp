// The property layer: which property lives where, and how a worker's access reaches the window thread.
#include <optional>
#include <stdexcept>
#include <string>

#include "app/shared_state.h"
#include "app/window.h"
#include "app/window/main_window.h"
#include "app/window/property_store.h"
#include "app/window_messages.h"
#include "platform/error.h"

namespace lectavo {

namespace {

using win::MainWindow;

MainWindow& liveWindow(const char* operation) {
  MainWindow* w = win::currentWindow();
  if (w == nullptr) platform::fatalError(std::string(operation) + ": the main window is not loaded");
  if (w->gone()) platform::fatalError(std::string(operation) + ": the main window is gone");
  return *w;
}

// Carries out `work` on the window thread: directly there, otherwise as a message sent to the window
// while this thread waits.
template <typename Work>
auto onWindowThread(const char* operation, Work work) -> decltype(work(std::declval<MainWindow&>())) {
  using Result = decltype(work(std::declval<MainWindow&>()));
  MainWindow& w = liveWindow(operation);
  if (w.onWindowThread()) return work(w);
  std::optional<std::conditional_t<std::is_void_v<Result>, int, Result>> result;
  win::CallRequest request;
  request.work = [&](MainWindow& target) {
    if constexpr (std::is_void_v<Result>) {
      work(target);
      result = 0;
    } else {
      result = work(target);
    }
  };
  SendMessageW(w.hwnd(), WM_LECTAVO_CALL, 0, reinterpret_cast<LPARAM>(&request));
  if (!request.done) platform::fatalError(std::string(operation) + ": the main window is gone");
  if (request.error) std::rethrow_exception(request.error);
  if constexpr (!std::is_void_v<Result>) return std::move(*result);
}

[[noreturn]] void misuse(const char* operation, Control c, Prop p) {
  throw std::invalid_argument(std::string(operation) + ": property " +
                              std::to_string(static_cast<int>(p)) + " does not apply to control " +
                              std::to_string(static_cast<int>(c)));
}

bool isTextBox(Control c) { return c == Control::编辑框1 || c == Control::编辑框2; }
bool isButton(Control c) { return c == Control::按钮1 || c == Control::按钮2 || c == Control::按钮3; }

}  // namespace

Text readText(Control c, Prop p) {
  auto& store = win::propertyStore();
  if (p == Prop::tag) return (liveWindow("readText"), store.tag(c));
  if (p == Prop::caption && c == Control::按钮1) return (liveWindow("readText"), store.caption());
  if (p == Prop::text && (isTextBox(c) || c == Control::组合框1))
    return onWindowThread("readText", [c](MainWindow& w) { return w.readControlText(c); });
  if (c == Control::通用对话框1) {
    auto d = store.dialog();
    switch (p) {
      case Prop::fileName: return d.fileName;
      case Prop::filter: return d.filter;
      case Prop::initialFolder: return d.initialFolder;
      case Prop::defaultExtension: return d.defaultExtension;
      default: break;
    }
  }
  misuse("readText", c, p);
}

int readInt(Control c, Prop p) {
  if (p == Prop::currentItem && c == Control::组合框1)
    return onWindowThread("readInt", [](MainWindow& w) { return w.readCurrentItem(); });
  if (p == Prop::dialogKind && c == Control::通用对话框1) return win::propertyStore().dialog().kind;
  misuse("readInt", c, p);
}

void writeText(Control c, Prop p, const Text& value) {
  auto& store = win::propertyStore();
  if (p == Prop::tag) {
    liveWindow("writeText");
    store.setTag(c, value);
    signalStateChange();
    return;
  }
  if (p == Prop::caption && c == Control::按钮1) {
    onWindowThread("writeText", [&](MainWindow& w) {
      store.setCaption(value);
      w.showCaption(value);
    });
    return;
  }
  if (p == Prop::text && isTextBox(c)) {
    onWindowThread("writeText", [&](MainWindow& w) { w.writeBoxText(c, value); });
    return;
  }
  if (c == Control::通用对话框1) {
    auto d = store.dialog();
    switch (p) {
      case Prop::fileName: d.fileName = value; break;
      case Prop::filter: d.filter = value; break;
      case Prop::initialFolder: d.initialFolder = value; break;
      case Prop::defaultExtension: d.defaultExtension = value; break;
      default: misuse("writeText", c, p);
    }
    store.setDialog(d);
    return;
  }
  misuse("writeText", c, p);
}

void writeInt(Control c, Prop p, int value) {
  if (p == Prop::currentItem && c == Control::组合框1) {
    onWindowThread("writeInt", [value](MainWindow& w) { w.writeCurrentItem(value); });
    return;
  }
  if ((p == Prop::selectionStart || p == Prop::selectionLength) && c == Control::编辑框1) {
    onWindowThread("writeInt", [p, value](MainWindow& w) {
      w.writeSelection(p == Prop::selectionStart, value);
    });
    return;
  }
  if (p == Prop::dialogKind && c == Control::通用对话框1) {
    auto d = win::propertyStore().dialog();
    d.kind = value;
    win::propertyStore().setDialog(d);
    return;
  }
  misuse("writeInt", c, p);
}

void writeBool(Control c, Prop p, bool value) {
  if (p == Prop::visible && c == Control::mainWindow) {
    onWindowThread("writeBool", [value](MainWindow& w) { w.setVisible(value); });
    return;
  }
  if (p == Prop::disabled && isButton(c)) {
    onWindowThread("writeBool", [c, value](MainWindow& w) { w.setDisabled(c, value); });
    return;
  }
  misuse("writeBool", c, p);
}

void giveFocus(Control c) {
  MainWindow& w = liveWindow("giveFocus");
  // Another thread cannot move the focus of the window thread's input queue.
  if (!w.onWindowThread()) return;
  if (c == Control::通用对话框1) misuse("giveFocus", c, Prop::visible);
  w.focus(c);
}

void loadMainWindow(const EventHandlers& handlers) {
  win::propertyStore().reset();
  win::newWindow(handlers).create();
}

void runMessageLoop() {
  MainWindow* w = win::currentWindow();
  if (w == nullptr) return;
  MSG msg;
  while (!w->gone() && GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace lectavo
