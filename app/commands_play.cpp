// Play/Stop and what follows the text box's focus and content.
#include "app/commands.h"
#include "app/handlers.h"
#include "app/shared_state.h"
#include "pipeline/sound.h"
#include "pipeline/waits.h"

namespace lectavo {

namespace {
const Text kPlay = "播 放";
const Text kStop = "停 止";

Text playStopCaption() { return readText(Control::按钮1, Prop::caption); }
void setPlayStopCaption(const Text& c) { writeText(Control::按钮1, Prop::caption, c); }
}  // namespace

void holdPlayback() {
  setPauseTag(" ");
  stopSound();
  setPauseFlag(1);
  writeBool(Control::按钮3, Prop::disabled, true);
  // The playback worker is still in the timed wait of the stopped piece (already silent).
  while (sharedState().playingFlag.load() == 1) {
    writeBool(Control::按钮1, Prop::disabled, true);
    waitPumping(1000);
    processEvents();
  }
  writeBool(Control::按钮1, Prop::disabled, false);
  writeBool(Control::按钮3, Prop::disabled, false);
}

void onPlayStop() {
  giveFocus(Control::编辑框1);
  setPlayStopCaption(playStopCaption() == kPlay ? kStop : kPlay);
  if (playStopCaption() != kStop) {
    holdPlayback();
    return;
  }
  if (readText(Control::编辑框1, Prop::text).empty()) {
    waitPumping(1000);
    setPlayStopCaption(kPlay);
    return;
  }
  if (pauseTag() == " ") {  // resume: the playback worker replays the interrupted piece
    setPauseFlag(0);
    return;
  }
  if (readingTag().empty() || sharedState().queues.count() == 0) {
    setPauseFlag(0);
    setReadingTag("N");
  }
}

// A click on 按钮1 while 编辑框1 has the focus, as the platform delivers it (seen under Wine; the
// documented Win32 order is the same: the focus moves when the mouse button goes down, BN_CLICKED
// follows when it comes up over the button, and focus notices are sent synchronously, nested in the
// focus change):
//   1. button down: the button takes the mouse capture and the focus; 编辑框1 reports losing it
//      (onTextLostFocus).
//   2. Idle (caption "播 放"): nothing more happens until the button comes up; then onPlayStop starts a
//      reading. Its first step gives 编辑框1 the focus back while the caption is still "播 放", so the
//      button's own focus loss (onPlayStopLostFocus) does nothing.
//   3. Reading (caption "停 止"): onTextLostFocus gives the focus back to 编辑框1 at once, so 按钮1 loses
//      it again, nested in the button-down: onPlayStopLostFocus runs onPlayStop, which stops. What the
//      platform does next depends on that stop. If it waited, servicing messages, for a piece's timed
//      wait, the button-up came during the wait, before the button counted as pressed, and made no
//      click; if it returned at once (no piece in its timed wait), the button-up completes a click,
//      which would run onPlayStop again and resume. The window layer therefore takes a focus loss in
//      the middle of a mouse press on 按钮1 as that press's answer and raises no click for it: the click
//      stops the reading once, either way. Space on 按钮1 and later presses are not affected.
void onPlayStopLostFocus() {
  if (playStopCaption() == kStop) onPlayStop();
}

// While reading, the text box keeps the focus so the highlighted piece stays visible (see above for
// what that does to a click on 按钮1).
void onTextLostFocus() {
  if (playStopCaption() == kStop) giveFocus(Control::编辑框1);
}

void onTextChanged() {
  if (playStopCaption() == kStop) onPlayStop();
  resetReadingTags();
  clearQueues();  // the next Play starts a new reading
}

}  // namespace lectavo
