#pragma once
// Resource ids shared by the resource script and the code.
#define LECTAVO_IDI_MAIN 1  // the program's icon, large and small
