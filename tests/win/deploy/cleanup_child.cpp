// Stands in for the program at exit: runs one of the close handlers, shows the real main window
// with the clean-up handlers until it is closed, or waits to be terminated.
#include <windows.h>

#include <cstring>

#include "app/handlers.h"
#include "app/window.h"

int main(int argc, char** argv) {
  const char* mode = argc > 1 ? argv[1] : "";
  if (std::strcmp(mode, "close") == 0) {
    lectavo::onCloseRequested();
    return 3;  // reached only when termination failed
  }
  if (std::strcmp(mode, "destroying") == 0) {
    lectavo::onWindowDestroying();
    return 4;
  }
  if (std::strcmp(mode, "window") == 0) {
    lectavo::EventHandlers handlers;
    handlers.closeRequested = lectavo::onCloseRequested;
    handlers.destroying = lectavo::onWindowDestroying;
    lectavo::loadMainWindow(handlers);
    lectavo::writeBool(lectavo::Control::mainWindow, lectavo::Prop::visible, true);
    lectavo::runMessageLoop();
    return 6;
  }
  if (std::strcmp(mode, "wait") == 0) {
    Sleep(60000);
    return 5;
  }
  return 2;
}
