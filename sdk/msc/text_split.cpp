#include "sdk/msc/text_split.h"

namespace lectavo::msc {
namespace {
bool isLeadByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }
}  // namespace

std::vector<std::string> splitAtCharacters(std::string_view text, std::size_t maxBytes) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    // A lead byte at the very end stands alone.
    const std::size_t width =
        isLeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size() ? 2 : 1;
    if (pos + width - start > maxBytes) {
      parts.emplace_back(text.substr(start, pos - start));
      start = pos;
    }
    pos += width;
  }
  if (start < text.size()) parts.emplace_back(text.substr(start));
  return parts;
}

}  // namespace lectavo::msc
