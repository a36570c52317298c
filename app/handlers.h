#pragma once
// Every handler of the main window's events. Each is defined by the part of the program it belongs
// to: the user commands in app/commands*.cpp, start-up in app/startup.cpp, text import in textimport/
// (onBrowse), exit clean-up in deploy/ (onCloseRequested, onWindowDestroying).
#include "app/window.h"

namespace lectavo {

void onWindowCreated();           // main window created
CloseAnswer onCloseRequested();   // main window: close requested
void onWindowDestroying();        // main window: about to be destroyed
void onTextChanged();             // 编辑框1 text changed
void onTextLostFocus();           // 编辑框1 lost the focus
void onSpeedChanged();            // 编辑框2 text changed
void onPlayStop();                // 按钮1 clicked
void onPlayStopLostFocus();       // 按钮1 lost the focus
void onBrowse();                  // 按钮2 clicked
void onSave();                    // 按钮3 clicked
void onVoiceSelected();           // 组合框1 list item selected

// The table loadMainWindow receives in programMain.
EventHandlers programHandlers();

}  // namespace lectavo
