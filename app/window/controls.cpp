#include "app/window/controls.h"

#include <stdexcept>

#include "app/window/sample_text.h"

namespace lectavo::win {

const std::array<ControlSpec, 9>& controlSpecs() {
  static const std::array<ControlSpec, 9> specs = {{
      {Control::编辑框2, Kind::speedBox, 1002, 42, 192, 28, 20, "50", true},
      {Control::标签2, Kind::label, 1005, 6, 190, 48, 24, "语速：", false},
      {Control::按钮2, Kind::button, 1008, 198, 189, 80, 25, "浏 览", false},
      {Control::标签1, Kind::label, 1004, 83, 190, 48, 24, "发音人：", false},
      {Control::组合框1, Kind::comboBox, 1003, 131, 192, 50, 20, "", false},
      {Control::按钮1, Kind::button, 1007, 285, 189, 80, 25, "播 放", true},
      {Control::按钮3, Kind::button, 1009, 285, 158, 80, 25, "保 存", false},
      {Control::标签3, Kind::label, 1006, 6, 160, 272, 24,
       "保存文件：文本越长转换成语音需要的时间也越长", false},
      {Control::编辑框1, Kind::textBox, 1001, 1, 1, 367, 152, nullptr, true},  // the sample text
  }};
  return specs;
}

const ControlSpec& specOf(Control c) {
  for (const auto& s : controlSpecs())
    if (s.control == c) return s;
  throw std::invalid_argument("the control has no place on the screen");
}

const std::array<Control, 6>& tabCycle() {
  static const std::array<Control, 6> cycle = {Control::编辑框1, Control::编辑框2, Control::组合框1,
                                               Control::按钮2,   Control::按钮1,   Control::按钮3};
  return cycle;
}

const char* initialPlayStopCaption() { return "播 放"; }

const std::array<const char*, 4>& voiceItems() {
  static const std::array<const char*, 4> items = {"一萍", "小媛", "彬哥", "楠楠"};
  return items;
}

}  // namespace lectavo::win
