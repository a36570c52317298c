#include <gtest/gtest.h>

#include <string>

#include "sdk/msc/text_split.h"

namespace lectavo::msc {
namespace {

std::string joined(const std::vector<std::string>& parts) {
  std::string all;
  for (const auto& p : parts) all += p;
  return all;
}

// True when every part is whole characters of code page 936.
bool wholeCharacters(const std::string& part) {
  for (std::size_t i = 0; i < part.size(); ++i) {
    const auto b = static_cast<unsigned char>(part[i]);
    if (b >= 0x81 && b <= 0xFE) {
      if (i + 1 >= part.size()) return false;
      ++i;
    }
  }
  return true;
}

TEST(TextSplit, PartsAreBoundedWholeCharactersInOrder) {
  // Odd offsets of double-byte characters (the leading "a") put a naive cut inside a character.
  const std::string text = std::string("a") + "春眠不觉晓，处处闻啼鸟。" + "x1" + "夜来风雨声，花落知多少。";
  for (std::size_t max : {2u, 3u, 5u, 8u, 90u}) {
    const auto parts = splitAtCharacters(text, max);
    EXPECT_EQ(joined(parts), text) << max;
    for (const auto& p : parts) {
      EXPECT_LE(p.size(), max);
      EXPECT_FALSE(p.empty());
      EXPECT_TRUE(wholeCharacters(p)) << max;
    }
  }
  EXPECT_EQ(splitAtCharacters(text, 2048).size(), 1u);
  EXPECT_TRUE(splitAtCharacters("", 10).empty());
}

TEST(TextSplit, LoneLeadByteAtTheEndStaysLast) {
  const std::string text = std::string("ab") + "\xC4";
  const auto parts = splitAtCharacters(text, 2);
  ASSERT_EQ(parts.size(), 2u);
  EXPECT_EQ(parts[1], "\xC4");
}

}  // namespace
}  // namespace lectavo::msc
