#include "app/shared_state.h"

#include <windows.h>

#include "platform/error.h"

namespace lectavo {

void PieceQueues::append(Bytes wav, Text text) {
  {
    std::lock_guard<std::mutex> g(lock_);
    audio_.push_back(std::move(wav));
    text_.push_back(std::move(text));
  }
  signalStateChange();
}

bool PieceQueues::takeFront(Bytes& wav, Text& text) {
  {
    std::lock_guard<std::mutex> g(lock_);
    if (audio_.empty()) return false;
    wav = std::move(audio_.front());
    text = std::move(text_.front());
    audio_.pop_front();
    text_.pop_front();
  }
  signalStateChange();
  return true;
}

std::size_t PieceQueues::count() const {
  std::lock_guard<std::mutex> g(lock_);
  return audio_.size();
}

void PieceQueues::clear() {
  {
    std::lock_guard<std::mutex> g(lock_);
    audio_.clear();
    text_.clear();
  }
  signalStateChange();
}

SharedState& sharedState() {
  static SharedState state;
  return state;
}

void setPauseFlag(int v) {
  sharedState().pauseFlag.store(v);
  signalStateChange();
}

void setPlayingFlag(int v) {
  sharedState().playingFlag.store(v);
  signalStateChange();
}

Text readingTag() { return readText(Control::编辑框1, Prop::tag); }
Text pauseTag() { return readText(Control::按钮1, Prop::tag); }
Text saveTag() { return readText(Control::按钮3, Prop::tag); }
// Tag writes signal the state change themselves (window layer).
void setReadingTag(const Text& v) { writeText(Control::编辑框1, Prop::tag, v); }
void setPauseTag(const Text& v) { writeText(Control::按钮1, Prop::tag, v); }
void setSaveTag(const Text& v) { writeText(Control::按钮3, Prop::tag, v); }

void clearQueues() { sharedState().queues.clear(); }

void resetReadingTags() {
  setReadingTag("");
  setPauseTag("");
}

void* stateChangeEvent() {
  // Manual reset: every waiter wakes; a waiter resets it before it looks at the state again.
  static HANDLE event = [] {
    HANDLE e = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (e == nullptr) platform::fatalError("CreateEventW for the state-change signal failed");
    return e;
  }();
  return event;
}

void signalStateChange() { SetEvent(stateChangeEvent()); }

}  // namespace lectavo
