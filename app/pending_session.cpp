// Built only while the speech session's Windows library is not in the tree.
#include "app/handlers.h"

namespace lectavo {
void onVoiceSelected() {}
void onSpeedChanged() {}
}  // namespace lectavo
