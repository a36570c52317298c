#pragma once
// The reading state the window thread and the two workers share. Tags live on controls (window.h);
// this holds the flags, the queues and the buffers, and the change signal the idle waits end on.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <deque>
#include <string>
#include <vector>

#include "app/window.h"

namespace lectavo {

using Bytes = std::vector<std::uint8_t>;

// audioQueue and textQueue under one lock: appended together, taken from together, cleared together,
// so a text can never be missing for an audio item.
class PieceQueues {
 public:
  void append(Bytes wav, Text text);
  // Takes the front item of both queues in one step; false when empty.
  bool takeFront(Bytes& wav, Text& text);
  std::size_t count() const;
  void clear();

 private:
  mutable std::mutex lock_;
  std::deque<Bytes> audio_;
  std::deque<Text> text_;
};

struct SharedState {
  std::atomic<int> pauseFlag{0};
  std::atomic<int> playingFlag{0};
  PieceQueues queues;  // audioQueue + textQueue
  // Owned by the synthesis worker (and reset by onSave on the window thread while the worker waits).
  std::mutex audioBufferLock;
  Bytes audioBuffer;
  // Owned by the playback worker.
  Text currentPieceText;
  Bytes currentPieceAudio;
};

SharedState& sharedState();

// The flags through these setters, so that waits on stateChangeEvent() end early.
void setPauseFlag(int v);
void setPlayingFlag(int v);

// Tags of the reading signals, on 编辑框1 (reading), 按钮1 (pause), 按钮3 (save).
Text readingTag();
Text pauseTag();
Text saveTag();
void setReadingTag(const Text& v);
void setPauseTag(const Text& v);
void setSaveTag(const Text& v);

void clearQueues();       // both queues, in one step
void resetReadingTags();  // reading tag and pause tag := ""

// Set whenever a tag, a flag or a queue changes, so idle polls can end early. Workers wait on it with
// waitPumping's semantics; the wait still ends at its time-out at the latest.
void signalStateChange();
void* stateChangeEvent();  // a Windows event HANDLE (manual reset), never closed

// The program's entry: creates the state, loads the window, runs the message loop; returns 0.
int programMain();

}  // namespace lectavo
