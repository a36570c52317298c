#pragma once
#include <string_view>

namespace lectavo {

// True when the CP936 character is a CJK unified ideograph (U+4E00..U+9FA5); spaces never are.
bool isIdeograph(std::string_view ch);

}  // namespace lectavo
