// Voice and speed: both open a new synthesis session.
#include "app/commands.h"
#include "app/handlers.h"
#include "app/shared_state.h"
#include "app/speed_text.h"
#include "speech/session.h"

namespace lectavo {

void onVoiceSelected() {
  writeBool(Control::按钮3, Prop::disabled, true);
  giveFocus(Control::编辑框1);
  holdPlayback();
  resetReadingTags();
  clearQueues();
  openSession();  // with the newly selected voice
  writeBool(Control::按钮3, Prop::disabled, false);
}

void onSpeedChanged() {
  int speed = speedTextValue(readText(Control::编辑框2, Prop::text));
  if (speed < 0 || speed > 100) {
    // Raises this event again; that nested run opens a session with speed "50".
    writeText(Control::编辑框2, Prop::text, "50");
  }
  openSession();
}

}  // namespace lectavo
