#include "pipeline/piece_search.h"

#include "pipeline/piece_cutter.h"

namespace lectavo {

std::optional<std::size_t> findAtCharBoundary(const std::string& text, const std::string& piece) {
  if (piece.empty()) return std::nullopt;
  std::size_t boundary = 0;  // a character boundary at or before the candidate
  for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) {
    while (boundary < at) boundary += isLeadByte936(static_cast<unsigned char>(text[boundary])) ? 2 : 1;
    if (boundary == at) return at;
  }
  return std::nullopt;
}

}  // namespace lectavo
