#pragma once
// The control kinds of the main window: creation and the screen side of their properties.
#include <windows.h>

#include "app/window.h"
#include "app/window/controls.h"

namespace lectavo::win {

class MainWindow;

HWND createControl(HWND parent, const ControlSpec& design);  // by kind, hidden, with the GUI font

HWND createTextBox(HWND parent, const ControlSpec& design);
HWND createLabel(HWND parent, const ControlSpec& design);
HWND createButton(HWND parent, const ControlSpec& design);
HWND createComboBox(HWND parent, const ControlSpec& design);
// Shared by the kinds: a hidden child window with the given class, styles and the design's place.
HWND createChild(HWND parent, const ControlSpec& design, const wchar_t* windowClass, DWORD style,
                 const Text& text);

// Text boxes.
void storeBoxText(HWND box, const Text& value);  // raises nothing by itself
Text controlText(HWND control);
// Selects from byte `start` over `length` bytes with the -1 rules and scrolls the caret into view.
void selectBytes(HWND box, int start, int length);

// Push buttons. A focus loss that comes while the user is pressing the button with the mouse (before
// its button-up) answers the press: answerPress marks the press in progress, if any. A click that the
// same press still makes is then reported by clickOfAnsweredPress while it is being sent.
void answerPress(HWND button);
bool clickOfAnsweredPress(HWND button);

// Voice list.
void setComboCurrentItem(HWND combo, int index);  // clamped to -1 .. count-1
bool comboDropped(HWND comboOrField);

// Keys every control passes to the main window first: Esc, Tab, Shift+Tab.
void watchKeys(HWND control, MainWindow* window);

}  // namespace lectavo::win
