#pragma once
// The window layer: the main window, its controls and the property access every thread uses.
// Texts are code-page-936 byte strings; offsets and lengths in text boxes count bytes of that text.
#include <string>

namespace lectavo {

using Text = std::string;  // CP936 bytes, no terminating zero

// Controls by their names in the window design; mainWindow is the window itself.
enum class Control {
  mainWindow,
  编辑框1,  // text box, the text to be read
  编辑框2,  // speed box
  标签1,    // caption of the voice list
  标签2,    // caption of the speed box
  标签3,    // save hint
  组合框1,  // voice list (editable drop-down)
  按钮1,    // Play/Stop
  按钮2,    // Browse
  按钮3,    // Save
  通用对话框1,  // file dialog component (no place on screen)
};

enum class Prop {
  tag,               // text, every control and the window; served from memory under a lock
  visible,           // bool, main window: true shows and activates it
  disabled,          // bool, 按钮1 and 按钮3
  text,              // text, 编辑框1, 编辑框2 (write raises text-changed exactly once, synchronously);
                     // also readable on 组合框1: the text its field shows
  caption,           // text, 按钮1; served from memory under a lock
  currentItem,       // int, 组合框1 (write clamps, raises no event)
  selectionStart,    // int, 编辑框1 (write only; see the −1 rules)
  selectionLength,   // int, 编辑框1 (write only)
  dialogKind,        // int, 通用对话框1: 0 open, 1 save
  fileName,          // text, 通用对话框1
  filter,            // text, 通用对话框1: "desc|pattern|desc|pattern"
  initialFolder,     // text, 通用对话框1
  defaultExtension,  // text, 通用对话框1
};

// Any thread. What concerns a control on the screen is carried out by the window thread while the
// caller waits (SendMessage semantics). Access after the window is gone is a reported fatal error.
Text readText(Control c, Prop p);
int readInt(Control c, Prop p);
void writeText(Control c, Prop p, const Text& value);
void writeInt(Control c, Prop p, int value);
void writeBool(Control c, Prop p, bool value);

// Effective only on the window thread; from another thread it does nothing.
void giveFocus(Control c);

// Shows 通用对话框1's open or save dialog, modal, on the calling thread; true when a file was accepted.
bool showFileDialog();

// What a close-requested handler answers: nothing, let it close, or keep the window open.
enum class CloseAnswer { none, close, keepOpen };

// Event handlers, all run on the window thread. A null entry means the event has no handler.
struct EventHandlers {
  void (*created)() = nullptr;
  CloseAnswer (*closeRequested)() = nullptr;
  void (*destroying)() = nullptr;
  void (*textChanged)() = nullptr;        // 编辑框1
  void (*textLostFocus)() = nullptr;      // 编辑框1
  void (*speedChanged)() = nullptr;       // 编辑框2
  void (*playStopClicked)() = nullptr;    // 按钮1
  void (*playStopLostFocus)() = nullptr;  // 按钮1
  void (*browseClicked)() = nullptr;      // 按钮2
  void (*saveClicked)() = nullptr;        // 按钮3
  void (*voiceSelected)() = nullptr;      // 组合框1, raised from the message loop after the choice applied
};

// Window thread. Creates the window hidden with all controls, raises created, returns; never shows it.
void loadMainWindow(const EventHandlers& handlers);
// Window thread. Returns when the main window has been destroyed.
void runMessageLoop();

}  // namespace lectavo
