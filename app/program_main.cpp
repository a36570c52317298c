#include <cstdlib>

#include "app/handlers.h"
#include "app/shared_state.h"

namespace lectavo {

EventHandlers programHandlers() {
  EventHandlers h;
  h.created = onWindowCreated;
  h.closeRequested = onCloseRequested;
  h.destroying = onWindowDestroying;
  h.textChanged = onTextChanged;
  h.textLostFocus = onTextLostFocus;
  h.speedChanged = onSpeedChanged;
  h.playStopClicked = onPlayStop;
  h.playStopLostFocus = onPlayStopLostFocus;
  h.browseClicked = onBrowse;
  h.saveClicked = onSave;
  h.voiceSelected = onVoiceSelected;
  return h;
}

namespace {
// At a normal end of the process: free the queues with their items and the program-owned buffers.
void releaseState() {
  SharedState& s = sharedState();
  s.queues.clear();
  {
    std::lock_guard<std::mutex> g(s.audioBufferLock);
    Bytes().swap(s.audioBuffer);
  }
  Text().swap(s.currentPieceText);
  Bytes().swap(s.currentPieceAudio);
}
}  // namespace

int programMain() {
  sharedState().queues.clear();  // audioQueue and textQueue start empty
  std::atexit(releaseState);
  loadMainWindow(programHandlers());
  runMessageLoop();
  return 0;
}

}  // namespace lectavo
