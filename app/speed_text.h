#pragma once
// The speed box's text as a number: full-width digits, signs and spaces count as their ASCII forms,
// leading white space is skipped, an optional sign and the digits after it are taken up to the first
// other character. No digits gives 0; values past the int range saturate.
#include <string>

namespace lectavo {

using Text = std::string;  // CP936 bytes

int speedTextValue(const Text& text);

}  // namespace lectavo
