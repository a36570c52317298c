// Built only while the exit clean-up's Windows library is not in the tree.
#include "app/handlers.h"

namespace lectavo {
CloseAnswer onCloseRequested() { return CloseAnswer::none; }
void onWindowDestroying() {}
}  // namespace lectavo
