// Start-up: runs while the main window is still hidden, before the message loop.
#include "app/handlers.h"

namespace lectavo {

void onWindowCreated() { writeBool(Control::mainWindow, Prop::visible, true); }

}  // namespace lectavo
