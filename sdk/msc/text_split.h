#pragma once
// Splitting a code-page-936 text into requests of at most maxBytes bytes, never inside a double-byte
// character. Portable.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace lectavo::msc {

// maxBytes must be at least 2. An empty text gives no parts.
std::vector<std::string> splitAtCharacters(std::string_view text, std::size_t maxBytes);

}  // namespace lectavo::msc
