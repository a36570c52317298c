#include "pipeline/piece_cutter.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <numeric>

namespace lectavo {
namespace {

// The same conversion the program makes with code page 936, here through iconv.
std::u32string decodeWithIconv(std::string_view cp936) {
  iconv_t cd = iconv_open("UTF-32LE", "CP936");
  if (cd == iconv_t(-1)) return {};
  std::string in(cp936);
  std::u32string out(in.size() + 1, 0);
  char* src = in.data();
  char* dst = reinterpret_cast<char*>(out.data());
  std::size_t srcLeft = in.size(), dstLeft = out.size() * sizeof(char32_t);
  const std::size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
  iconv_close(cd);
  if (r == std::size_t(-1) || srcLeft != 0) return {};
  out.resize(out.size() - dstLeft / sizeof(char32_t));
  return out;
}

bool ideograph(std::string_view ch) { return isIdeographChar(ch, decodeWithIconv); }

Text repeat(const Text& s, int n) {
  Text r;
  for (int i = 0; i < n; ++i) r += s;
  return r;
}

std::vector<std::size_t> sizes(const std::vector<Text>& pieces) {
  std::vector<std::size_t> r;
  for (const auto& p : pieces) r.push_back(p.size());
  return r;
}

TEST(IsIdeograph, OnlyUnifiedIdeographsOfTheBasicBlock) {
  struct Case { const char* ch; bool expected; };
  const Case cases[] = {
      {"中", true},   {"丂", true},  // first lead byte 0x81
      {"龥", true},   // U+9FA5, the end of the range
      {"，", false},  {"。", false}, {"“", false}, {"０", false}, {"〇", false},  // U+3007
      {"　", false},  // the full-width space is removed before the test
      {"a", false},   {"\xB0", false},  // one byte left: never
      {"\xA2\xA0", false},  // not a valid CP936 character
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ch);
    EXPECT_EQ(ideograph(c.ch), c.expected);
  }
}

TEST(PieceCutter, CutsAtTheFlushRule) {
  struct Case { const char* name; Text text; std::vector<std::size_t> sizes; };
  const Case cases[] = {
      {"ascii flushes at 91", repeat("a", 200), {91, 91, 18}},
      {"ideographs never flush", repeat("中", 100), {200}},
      {"comma after 120 bytes of ideographs", repeat("中", 60) + "，" + "abc", {122, 3}},
      {"ascii after ideographs flushes at once", repeat("中", 50) + "ab", {101, 1}},
      {"CR LF are single bytes", repeat("a", 89) + "\r\n" + "b", {91, 1}},
      {"CR alone reaches 90, LF flushes", repeat("a", 88) + "\r\n\r\n", {91, 1}},
      {"two-byte punctuation flushes past 90", repeat("a", 89) + "，x", {91, 1}},
      {"an ideograph at 91 waits", repeat("a", 89) + "中x", {92}},
      {"full-width space is a break", repeat("中", 46) + "　" + "中", {94, 2}},
      {"exactly 90 bytes stays one piece", repeat("a", 90), {90}},
      {"lead byte at the very end", repeat("a", 5) + "\xB0", {6}},
      {"lone lead byte at the end can flush", repeat("a", 90) + "\xB0", {91}},
      {"empty text", "", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto pieces = cutPieces(c.text, ideograph);
    EXPECT_EQ(sizes(pieces), c.sizes);
    EXPECT_EQ(std::accumulate(pieces.begin(), pieces.end(), Text()), c.text);
  }
}

TEST(PieceCutter, CommaPieceEndsWithTheComma) {
  const auto pieces = cutPieces(repeat("中", 60) + "，" + "abc", ideograph);
  ASSERT_EQ(pieces.size(), 2u);
  EXPECT_EQ(pieces[0], repeat("中", 60) + "，");
}

TEST(PieceCutter, StepsOneCharacterAtATime) {
  // The worker checks its tags between steps: each step must take exactly one character.
  PieceCutter cutter("a中\xB0", ideograph);
  std::vector<std::size_t> positions;
  while (!cutter.atEnd()) {
    EXPECT_FALSE(cutter.step().has_value());
    positions.push_back(cutter.position());
  }
  EXPECT_EQ(positions, (std::vector<std::size_t>{1, 3, 5}));
  EXPECT_EQ(cutter.takePending(), "a中\xB0");
  EXPECT_EQ(cutter.pending(), "");
}

TEST(PieceCutter, MixedTextNeverSplitsACharacter) {
  // Two-byte characters whose trail byte looks like ASCII ('@', 'A') must stay whole.
  Text text;
  for (int i = 0; i < 40; ++i) text += "ab丂\x81\x41，中 \r\n";
  const auto pieces = cutPieces(text, ideograph);
  std::size_t offset = 0;
  for (std::size_t k = 0; k < pieces.size(); ++k) {
    SCOPED_TRACE(k);
    if (k + 1 < pieces.size()) {
      EXPECT_GT(pieces[k].size(), kFlushLength);
    }
    // Walking the text from the start, every piece boundary falls on a character boundary.
    std::size_t at = 0;
    while (at < offset) at += isLeadByte936(static_cast<unsigned char>(text[at])) ? 2 : 1;
    EXPECT_EQ(at, offset);
    offset += pieces[k].size();
  }
  EXPECT_EQ(offset, text.size());
}

}  // namespace
}  // namespace lectavo
