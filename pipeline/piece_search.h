#pragma once
// Where a piece lies in the text box's text, for highlighting it while it plays.
#include <cstddef>
#include <optional>
#include <string>

namespace lectavo {

// The first occurrence of `piece` in `text` (CP936, byte-exact) that starts at a character boundary:
// a match starting on the trail byte of a two-byte character does not count.
std::optional<std::size_t> findAtCharBoundary(const std::string& text, const std::string& piece);

}  // namespace lectavo
