#include "pipeline/piece_search.h"

#include <gtest/gtest.h>

namespace lectavo {
namespace {

TEST(PieceSearch, FirstOccurrenceOnACharacterBoundary) {
  struct Case { const char* name; std::string text, piece; std::optional<std::size_t> at; };
  // "\xB0\xA1" is one character; its trail byte 0xA1 followed by "\xB0\xA1" must not be taken as a match
  // of "\xA1\xB0" — an offset inside a character would select half of it.
  const Case cases[] = {
      {"plain", "abc。def", "def", 5},
      {"same sentence twice: the first", "你好。你好。", "你好。", 0},
      {"case matters", "Hello hello", "hello", 6},
      {"not there", "abc", "abd", std::nullopt},
      {"empty piece", "abc", "", std::nullopt},
      {"match inside a character skipped", "\xB0\xA1\xB0\xA1", "\xA1\xB0", std::nullopt},
      {"later match on a boundary", "\xB0\xA1\xB0" "a\xA1\xB0", "\xA1\xB0", 4},
      {"ASCII-looking trail byte", "\x81" "ab", "ab", std::nullopt},
      {"after a ASCII-looking trail byte", "\x81" "aab", "ab", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(findAtCharBoundary(c.text, c.piece), c.at);
  }
}

}  // namespace
}  // namespace lectavo
