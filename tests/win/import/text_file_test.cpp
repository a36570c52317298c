#include "textimport/text_file.h"

#include <gtest/gtest.h>

#include <string>

#include "fixture_cases.h"

namespace lectavo::textimport {
namespace {

using namespace testing_support;

TEST(TextFile, EachFixtureLoadsAsItsKindSays) {
  for (const FixtureCase& c : kFixtureCases) {
    SCOPED_TRACE(c.file);
    EXPECT_EQ(detectTextEncoding(fixturePath(c.file)), c.code);
    const std::optional<Text> text = loadTextFile(fixturePath(c.file));
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(*text, c.text);
  }
}

TEST(TextFile, AMissingFileIsNoText) {
  EXPECT_FALSE(loadTextFile(fixturePath("no-such-file.txt")).has_value());
  EXPECT_EQ(detectTextEncoding(fixturePath("no-such-file.txt")), kAnsi);  // counts as empty
}

TEST(TextFile, ConversionsKeepWhatCodePage936LacksAsOneMarkEach) {
  const auto utf8 = [](const char8_t* s) {
    return Bytes(s, s + std::char_traits<char8_t>::length(s));
  };
  EXPECT_EQ(utf8ToAnsiText(utf8(u8"a\U0001F600b\u0800c")), "a?b?c");
  EXPECT_EQ(utf8ToAnsiText(Bytes{}), "");
  EXPECT_EQ(utf16ToAnsiText(u"\U0001F600世界"), "?世界");
  EXPECT_EQ(utf8ToAnsiText(Bytes{'a', 0, 'b'}), "a");  // the text ends at its first zero
}

TEST(TextFile, RealChineseTextsLoadFromEveryEncoding) {
  for (const std::string name : {"tang300", "song100"}) {
    const std::optional<Text> gbk = loadTextFile(fortuneCopyPath(name + ".gbk.txt"));
    ASSERT_TRUE(gbk.has_value()) << name;
    ASSERT_GT(gbk->size(), 10000u) << name;
    EXPECT_EQ(detectTextEncoding(fortuneCopyPath(name + ".gbk.txt")), kAnsi);
    for (const char* kind : {".utf8.txt", ".utf8-mark.txt", ".utf16le-mark.txt", ".utf16be.txt"}) {
      SCOPED_TRACE(name + kind);
      const std::optional<Text> text = loadTextFile(fortuneCopyPath(name + kind));
      ASSERT_TRUE(text.has_value());
      EXPECT_TRUE(*text == *gbk) << "sizes " << text->size() << " and " << gbk->size();
    }
  }
}

}  // namespace
}  // namespace lectavo::textimport
