#include "pipeline/piece_cutter.h"

#include <algorithm>
#include <utility>

namespace lectavo {

bool isIdeographChar(std::string_view ch, Decode936 decode) {
  Text kept;
  for (std::size_t i = 0; i < ch.size();) {
    const auto b = static_cast<unsigned char>(ch[i]);
    if (b == 0x20) {
      ++i;
    } else if (b == 0xA1 && i + 1 < ch.size() && static_cast<unsigned char>(ch[i + 1]) == 0xA1) {
      i += 2;  // full-width space
    } else {
      const std::size_t n = isLeadByte936(b) ? std::min<std::size_t>(2, ch.size() - i) : 1;
      kept.append(ch.substr(i, n));
      i += n;
    }
  }
  if (kept.size() < 2) return false;
  const std::u32string points = decode(kept);
  return !points.empty() && std::all_of(points.begin(), points.end(), [](char32_t c) {
    return c >= U'\u4E00' && c <= U'\u9FA5';
  });
}

PieceCutter::PieceCutter(Text text, IdeographTest isIdeograph)
    : text_(std::move(text)), isIdeograph_(std::move(isIdeograph)) {}

std::optional<Text> PieceCutter::step() {
  if (atEnd()) return std::nullopt;
  bool mayFlush = true;
  if (isLeadByte936(static_cast<unsigned char>(text_[position_]))) {
    // A lead byte at the very end brings only itself.
    const std::string_view ch(text_.data() + position_, std::min<std::size_t>(2, text_.size() - position_));
    piece_.append(ch);
    mayFlush = !isIdeograph_(ch);
    position_ += 2;
  } else {
    piece_.push_back(text_[position_]);
    position_ += 1;
  }
  if (mayFlush && piece_.size() > kFlushLength) return takePending();
  return std::nullopt;
}

Text PieceCutter::takePending() { return std::exchange(piece_, Text()); }

std::vector<Text> cutPieces(const Text& text, const PieceCutter::IdeographTest& isIdeograph) {
  PieceCutter cutter(text, isIdeograph);
  std::vector<Text> pieces;
  while (!cutter.atEnd()) {
    if (auto piece = cutter.step()) pieces.push_back(std::move(*piece));
  }
  if (!cutter.pending().empty()) pieces.push_back(cutter.takePending());
  return pieces;
}

}  // namespace lectavo
