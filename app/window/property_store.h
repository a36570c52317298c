#pragma once
// What the window layer keeps in memory rather than on the screen: every tag, the caption of 按钮1
// and the file dialog's settings. Any thread reads and writes them; one lock keeps each value whole.
#include <array>
#include <mutex>

#include "app/window.h"

namespace lectavo::win {

struct DialogSettings {
  int kind = 0;  // 0 open, 1 save
  Text fileName;
  Text filter;
  Text initialFolder;
  Text defaultExtension;
};

class PropertyStore {
 public:
  void reset();  // the state of a freshly loaded window

  Text tag(Control c) const;
  void setTag(Control c, const Text& v);
  Text caption() const;
  void setCaption(const Text& v);
  DialogSettings dialog() const;
  void setDialog(const DialogSettings& d);

 private:
  mutable std::mutex lock_;
  std::array<Text, static_cast<std::size_t>(Control::通用对话框1) + 1> tags_;
  Text caption_;
  DialogSettings dialog_;
};

PropertyStore& propertyStore();

}  // namespace lectavo::win
