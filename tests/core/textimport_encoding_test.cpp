#include "textimport/text_encoding.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace lectavo::textimport {
namespace {

Bytes fixture(const std::string& name) {
  std::ifstream in(std::string(LECTAVO_SOURCE_DIR) + "/tests/fixtures/textimport/" + name,
                   std::ios::binary);
  EXPECT_TRUE(in) << name;
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

Bytes bytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

// Stand-ins for the platform's statistical test, counting how often they are asked.
int guessCalls = 0;
bool neverUtf16(const std::uint8_t*, std::size_t) { return ++guessCalls, false; }
bool alwaysUtf16(const std::uint8_t*, std::size_t) { return ++guessCalls, true; }
// Roughly the platform's test: whole units, some with a zero high byte, none with a zero low byte.
bool looksLikeUtf16Le(const std::uint8_t* data, std::size_t size) {
  ++guessCalls;
  if (size < 2 || size % 2 != 0) return false;
  bool zeroHigh = false;
  for (std::size_t i = 0; i < size; i += 2) {
    if (data[i] == 0) return false;
    zeroHigh = zeroHigh || data[i + 1] == 0;
  }
  return zeroHigh;
}

TEST(DetectTextEncoding, FixtureFilesGetTheirCodes) {
  struct Case { const char* file; Utf16Guess guess; EncodingCode code; };
  const Case cases[] = {
      {"gbk.txt", looksLikeUtf16Le, kAnsi},
      {"utf8.txt", looksLikeUtf16Le, kUtf8},
      {"utf8-mark.txt", looksLikeUtf16Le, kUtf8},
      {"emoji.txt", looksLikeUtf16Le, kUtf8},  // four-byte sequence with lead 0xF0
      {"utf16le-mark.txt", neverUtf16, kUtf16Le},
      {"utf16be-mark.txt", neverUtf16, kUtf16Be},
      {"utf16le.txt", looksLikeUtf16Le, kUtf16Le},
      {"utf16be.txt", looksLikeUtf16Le, kUtf16Be},  // recognised with its pairs swapped
      {"utf16le.txt", neverUtf16, kAnsi},
      {"empty.txt", alwaysUtf16, kAnsi},
      {"one-byte.txt", alwaysUtf16, kAnsi},
      {"ef-bb.txt", alwaysUtf16, kAnsi},  // incomplete mark; ends inside a sequence
      {"zero-middle.txt", looksLikeUtf16Le, kUtf8},
      {"ascii-like-utf16.txt", alwaysUtf16, kAnsi},  // no zero byte: never UTF-16
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    EXPECT_EQ(detectTextEncoding(fixture(c.file), c.guess), c.code);
  }
}

TEST(DetectTextEncoding, DecisionsComeInOrder) {
  struct Case { std::string content; Utf16Guess guess; EncodingCode code; int calls; };
  const Case cases[] = {
      // Marks decide without asking the statistical test, whatever follows.
      {std::string("\xFF\xFE\xC4\xE3", 4), alwaysUtf16, kUtf16Le, 0},
      {std::string("\xFE\xFF\0A", 4), alwaysUtf16, kUtf16Be, 0},
      {std::string("\xEF\xBB\xBF\0A\0", 6), alwaysUtf16, kUtf8, 0},
      // An incomplete UTF-8 mark skips the UTF-16 marks and goes on to the statistical test.
      {std::string("\xEF\xBB\0A", 4), alwaysUtf16, kUtf16Le, 1},
      // The statistical test comes before the UTF-8 test, and is asked again with pairs swapped.
      {std::string("\xC3\xA9\0", 3), alwaysUtf16, kUtf16Le, 1},
      {std::string("\xC3\xA9\0", 3), neverUtf16, kUtf8, 2},
      {std::string("A\0B", 3), neverUtf16, kAnsi, 2},
      // Without a zero byte it is never asked.
      {"plain ascii", alwaysUtf16, kAnsi, 0},
      {"\xE4\xBD\xA0", alwaysUtf16, kUtf8, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.content));
    guessCalls = 0;
    EXPECT_EQ(detectTextEncoding(bytes(c.content), c.guess), c.code);
    EXPECT_EQ(guessCalls, c.calls);
  }
}

TEST(IsUtf8Text, AcceptsExactlyWellFormedTextBeyondAscii) {
  struct Case { std::string content; bool utf8; };
  const Case cases[] = {
      {"", false},
      {"A", false},
      {std::string("ascii\0only", 10), false},
      {"\xC3\xA9", true},
      {"\xE4\xBD\xA0\xE5\xA5\xBD", true},        // Chinese, lead bytes 0xE4..0xE9
      {"\xE0\xA0\x80", true},                    // U+0800, lead 0xE0
      {"\xE0\xBF\xBF", true},                    // U+0FFF
      {"\xF0\x9F\x98\x80", true},                // U+1F600, lead 0xF0
      {"\xF4\x8F\xBF\xBF", true},                // U+10FFFF
      {"\xEF\xBB\xBF", true},                    // the mark alone
      {std::string("\xC3\xA9\0", 3), true},      // a zero byte is ASCII
      {"\xC3", false},                           // ends inside a sequence
      {"\xEF\xBB", false},
      {"\xF0\x9F\x98", false},
      {"A\x81" "B", false},                      // lone continuation byte
      {"\xBF", false},
      {"\xC0\x80", false},                       // overlong forms
      {"\xC1\xBF", false},
      {"\xE0\x9F\xBF", false},
      {"\xF0\x8F\xBF\xBF", false},
      {"\xED\xA0\x80", false},                   // surrogate
      {"\xED\x9F\xBF", true},                    // U+D7FF, just below the surrogates
      {"\xF4\x90\x80\x80", false},               // beyond U+10FFFF
      {"\xF5\x80\x80\x80", false},
      {"\xF8\x88\x80\x80\x80", false},
      {"\xFE", false},
      {"\xFF", false},
      {"\xC4\xE3\xBA\xC3", false},               // GBK text
      {"\xE4\xBD" "A", false},                   // continuation expected, ASCII found
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.content));
    EXPECT_EQ(isUtf8Text(bytes(c.content)), c.utf8);
  }
}

TEST(TextBodies, MarksAreDroppedAndTextEndsAtTheFirstZero) {
  const std::u16string text = u"朗读测试：你好，世界。\r\n第2行 text";
  EXPECT_EQ(utf16Body(fixture("utf16le-mark.txt"), false), text);
  EXPECT_EQ(utf16Body(fixture("utf16le.txt"), false), text);
  EXPECT_EQ(utf16Body(fixture("utf16be-mark.txt"), true), text);
  EXPECT_EQ(utf16Body(fixture("utf16be.txt"), true), text);
  EXPECT_EQ(utf16Body(bytes(std::string("A\0B\0\0\0C\0", 8)), false), u"AB");
  EXPECT_EQ(utf16Body(bytes(std::string("A\0B", 3)), false), u"A");  // odd last byte
  EXPECT_EQ(utf16Body(bytes(std::string("A\0\xFF\xFE", 4)), false), u"A\xFEFF");  // not at start

  const std::string u8text(reinterpret_cast<const char*>(u8"朗读测试：你好，世界。\r\n第2行 text"));
  EXPECT_EQ(utf8Body(fixture("utf8-mark.txt")), bytes(u8text));
  EXPECT_EQ(utf8Body(fixture("utf8.txt")), bytes(u8text));
  EXPECT_EQ(utf8Body(fixture("zero-middle.txt")), bytes(reinterpret_cast<const char*>(u8"你好")));
  EXPECT_EQ(utf8Body(bytes("\xEF\xBB\xBF")), Bytes{});

  EXPECT_EQ(ansiBody(fixture("gbk.txt")), "朗读测试：你好，世界。\r\n第2行 text");  // CP936 literal
  EXPECT_EQ(ansiBody(bytes(std::string("ab\0cd", 5))), "ab");
  EXPECT_EQ(ansiBody(fixture("ef-bb.txt")), "\xEF\xBB");
}

TEST(FoldSurrogates, EachCharacterBeyondTheBasicPlaneLeavesOneMark) {
  EXPECT_EQ(foldSurrogates(u"你好\U0001F600世界"), u"你好?世界");
  EXPECT_EQ(foldSurrogates(u"\U0001F600\U0001F600"), u"??");
  EXPECT_EQ(foldSurrogates(std::u16string{u'a', char16_t(0xD83D), u'b'}), u"a?b");  // lone high
  EXPECT_EQ(foldSurrogates(std::u16string{char16_t(0xDE00), char16_t(0xD83D)}), u"??");
  EXPECT_EQ(foldSurrogates(u"\xFEFF\xFFFD"), u"\xFEFF\xFFFD");
}

// Converters that show which way a file went and what it was handed.
Text taggedUtf8(const Bytes& b) { return "8:" + Text(b.begin(), b.end()); }
Text taggedUtf16(const std::u16string& u) {
  Text out = "16:";
  for (char16_t c : u) out += c < 0x80 ? char(c) : '#';
  return out;
}

TEST(ImportedText, EachKindGoesThroughItsConversion) {
  const Converters tagged{taggedUtf8, taggedUtf16};
  struct Case { std::string content; Text text; };
  const Case cases[] = {
      {"\xEF\xBB\xBF" "ab", "8:ab"},
      {std::string("\xFF\xFE" "a\0b\0", 6), "16:ab"},
      {std::string("\xFE\xFF\0a\0b", 6), "16:ab"},
      {std::string("a\0b\0c\0", 6), "16:abc"},
      {std::string("\0a\0b\0c", 6), "16:abc"},
      {std::string("ab\0\xC4\xE3", 5), "ab"},
      {"\xC4\xE3", "\xC4\xE3"},
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.content));
    EXPECT_EQ(importedText(bytes(c.content), looksLikeUtf16Le, tagged), c.text);
  }
}

}  // namespace
}  // namespace lectavo::textimport
