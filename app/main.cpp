#include <windows.h>

#include "app/shared_state.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return lectavo::programMain(); }
