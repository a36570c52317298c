// The user commands of the main window.
#include "app/handlers.h"

namespace lectavo {

void onPlayStop() {}
void onPlayStopLostFocus() {}
void onTextLostFocus() {}
void onTextChanged() {}
void onVoiceSelected() {}
void onSpeedChanged() {}
void onSave() {}

}  // namespace lectavo
