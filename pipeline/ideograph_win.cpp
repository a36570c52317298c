#include <windows.h>

#include "pipeline/ideograph.h"
#include "pipeline/piece_cutter.h"

namespace lectavo {
namespace {

std::u32string decodeCodePage936(std::string_view text) {
  if (text.empty()) return {};
  wchar_t wide[16];
  if (text.size() > 8) return {};  // one character at a time
  const int n = MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                                    wide, 16);
  if (n <= 0) return {};
  // The range tested lies inside the BMP, so UTF-16 units stand for themselves.
  return std::u32string(wide, wide + n);
}

}  // namespace

bool isIdeograph(std::string_view ch) { return isIdeographChar(ch, decodeCodePage936); }

}  // namespace lectavo
