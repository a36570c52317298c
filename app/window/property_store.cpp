#include "app/window/property_store.h"

#include "app/window/controls.h"

namespace lectavo::win {

void PropertyStore::reset() {
  std::lock_guard<std::mutex> g(lock_);
  for (auto& t : tags_) t.clear();
  caption_ = initialPlayStopCaption();
  dialog_ = DialogSettings{};
  dialog_.filter = "文本文件（*.txt）|*.txt";
}

Text PropertyStore::tag(Control c) const {
  std::lock_guard<std::mutex> g(lock_);
  return tags_[static_cast<std::size_t>(c)];
}

void PropertyStore::setTag(Control c, const Text& v) {
  std::lock_guard<std::mutex> g(lock_);
  tags_[static_cast<std::size_t>(c)] = v;
}

Text PropertyStore::caption() const {
  std::lock_guard<std::mutex> g(lock_);
  return caption_;
}

void PropertyStore::setCaption(const Text& v) {
  std::lock_guard<std::mutex> g(lock_);
  caption_ = v;
}

DialogSettings PropertyStore::dialog() const {
  std::lock_guard<std::mutex> g(lock_);
  return dialog_;
}

void PropertyStore::setDialog(const DialogSettings& d) {
  std::lock_guard<std::mutex> g(lock_);
  dialog_ = d;
}

PropertyStore& propertyStore() {
  static PropertyStore store;
  return store;
}

}  // namespace lectavo::win
