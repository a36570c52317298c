// The playback worker: plays the queued pieces in order, each highlighted in the text box.
#include "app/shared_state.h"
#include "audio/wav_image.h"
#include "pipeline/piece_search.h"
#include "pipeline/sound.h"
#include "pipeline/waits.h"
#include "pipeline/workers.h"

namespace lectavo {
namespace {

constexpr unsigned kPollMs = 1000;
constexpr int kAfterPieceMs = 500;

void playPiece() {
  auto& s = sharedState();
  const Text text = readText(Control::编辑框1, Prop::text);
  if (const auto at = findAtCharBoundary(text, s.currentPieceText)) {
    writeInt(Control::编辑框1, Prop::selectionStart, static_cast<int>(*at));
    writeInt(Control::编辑框1, Prop::selectionLength, static_cast<int>(s.currentPieceText.size()));
  }
  playWav(s.currentPieceAudio);
  setPlayingFlag(1);
  // Timed by the image's whole seconds, not by the sound: a stopped sound does not shorten it.
  delayPumping(static_cast<int>(wavSeconds(s.currentPieceAudio)) * 1000 + kAfterPieceMs);
  setPlayingFlag(0);
  if (s.queues.count() == 0 && pauseTag() != " ") {
    writeText(Control::按钮1, Prop::caption, "播 放");
    setPauseFlag(1);
  }
  while (s.pauseFlag.load() == 1) {
    waitPumpingOrStateChange(kPollMs);
    processEvents();
  }
}

}  // namespace

void playbackWorkerMain() {
  auto& s = sharedState();
  for (;;) {
    const std::size_t count = s.queues.count();
    if (readText(Control::编辑框1, Prop::text).empty()) {
      // The reading is abandoned. Clear only what is set, or the change signal would wake this very
      // wait again and the loop would spin.
      if (!readingTag().empty() || !pauseTag().empty()) resetReadingTags();
      if (s.queues.count() > 0) clearQueues();
      waitPumpingOrStateChange(kPollMs);
      continue;
    }
    if (pauseTag() == " ") {
      setPauseTag("");
      playPiece();  // the interrupted piece again
      continue;
    }
    // Image and text are taken together, so a text can never be missing for an image.
    if (count >= 1 && s.queues.takeFront(s.currentPieceAudio, s.currentPieceText)) {
      playPiece();
      continue;
    }
    waitPumpingOrStateChange(kPollMs);
    processEvents();
  }
}

}  // namespace lectavo
