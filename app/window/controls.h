#pragma once
// The main window's design: its settings and every control's kind, place, size and first content.
#include <windows.h>

#include <array>

#include "app/window.h"

namespace lectavo::win {

enum class Kind { textBox, speedBox, label, comboBox, button };

struct ControlSpec {
  Control control;
  Kind kind;
  int id;  // control id, as GetDlgCtrlID reports it
  int left, top, width, height;
  const char* initialText;  // CP936
  bool tabStop;
};

constexpr int kWindowWidth = 375;
constexpr int kWindowHeight = 252;
constexpr int kComboListHeight = 160;  // the combo box's height with its list opened

// In stacking order, front to back.
const std::array<ControlSpec, 9>& controlSpecs();
const ControlSpec& specOf(Control c);

// Tab and Shift+Tab walk this cycle; only tab stops that are visible and enabled receive the focus.
const std::array<Control, 6>& tabCycle();

const char* initialPlayStopCaption();  // "播 放"
const std::array<const char*, 4>& voiceItems();

}  // namespace lectavo::win
