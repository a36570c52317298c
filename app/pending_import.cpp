// Built only while the text import's Windows library is not in the tree.
#include "app/handlers.h"

namespace lectavo {
void onBrowse() {}
}  // namespace lectavo
