#pragma once
// Cutting a reading's text into pieces for synthesis. The text is CP936 bytes; a piece is flushed as
// soon as it is longer than 90 bytes, but never inside a two-byte character and never right after an
// ideograph (so a run of ideographs keeps growing until punctuation or a single-byte character).
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lectavo {

using Text = std::string;

constexpr std::size_t kFlushLength = 90;

// True for the first byte of a two-byte character in code page 936.
constexpr bool isLeadByte936(unsigned char b) { return b >= 0x81 && b <= 0xFE; }

// Converts CP936 text to code points; empty when the bytes are not valid CP936.
using Decode936 = std::u32string (*)(std::string_view cp936);

// A character (one or two bytes of CP936) is an ideograph when, with ASCII and full-width spaces
// removed, at least two bytes remain and all of it decodes into U+4E00..U+9FA5.
bool isIdeographChar(std::string_view ch, Decode936 decode);

// The byte walk, one character per step, so the caller can look at the shared state between steps.
class PieceCutter {
 public:
  using IdeographTest = std::function<bool(std::string_view ch)>;

  PieceCutter(Text text, IdeographTest isIdeograph);

  bool atEnd() const { return position_ >= text_.size(); }
  std::size_t position() const { return position_; }
  // Takes the next character into the piece; returns the piece when this step flushed it.
  std::optional<Text> step();
  // What was collected since the last flush.
  const Text& pending() const { return piece_; }
  Text takePending();

 private:
  Text text_;
  IdeographTest isIdeograph_;
  std::size_t position_ = 0;
  Text piece_;
};

// The whole walk: every flushed piece, then the rest if any.
std::vector<Text> cutPieces(const Text& text, const PieceCutter::IdeographTest& isIdeograph);

}  // namespace lectavo
