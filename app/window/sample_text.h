#pragma once
#include "app/window.h"

namespace lectavo::win {
// The text 编辑框1 starts with: two paragraphs separated by CR LF CR LF, ending with "。".
const Text& sampleText();
}
