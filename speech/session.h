#pragma once
// The one synthesis session the program holds: opened with the voice and speed the user picked.
#include "app/window.h"

namespace lectavo {

// Ends the session held (if any), then opens one with the voice list's voice and the speed box's
// text; a failure is shown in a message box and leaves an empty identifier.
void openSession();
// Ends the session held; its identifier is kept until the next open.
void closeSession();
// Copies of the identifier and of the parameter text last sent.
Text currentSessionId();
Text currentSessionParams();

}  // namespace lectavo
