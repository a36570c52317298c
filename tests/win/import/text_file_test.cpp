#include "textimport/text_file.h"

#include <gtest/gtest.h>

#include <string>

namespace lectavo::textimport {
namespace {

// A Unix path of the build machine as Wine's Z: drive sees it.
Text winePath(std::string unixPath) {
  for (char& c : unixPath) c = c == '/' ? '\\' : c;
  return "Z:" + unixPath;
}
Text fixture(const char* name) {
  return winePath(std::string(LECTAVO_SOURCE_DIR) + "/tests/fixtures/textimport/" + name);
}
Text fortuneCopy(const std::string& name) {
  return winePath(std::string(FORTUNE_COPIES_DIR) + "/" + name);
}

// The fixtures' text, as CP936 bytes (this binary's narrow literals are CP936).
const Text kSample = "朗读测试：你好，世界。\r\n第2行 text";

TEST(TextFile, EachFixtureLoadsAsItsKindSays) {
  struct Case { const char* file; EncodingCode code; Text text; };
  const Case cases[] = {
      {"gbk.txt", kAnsi, kSample},
      {"utf8.txt", kUtf8, kSample},
      {"utf8-mark.txt", kUtf8, kSample},  // the mark is not loaded
      {"emoji.txt", kUtf8, "你好?世界"},   // one mark for the emoji, the rest kept
      {"utf16le-mark.txt", kUtf16Le, kSample},
      {"utf16be-mark.txt", kUtf16Be, kSample},
      {"utf16le.txt", kUtf16Le, kSample},
      {"utf16be.txt", kUtf16Be, kSample},
      {"empty.txt", kAnsi, ""},
      {"one-byte.txt", kAnsi, "A"},
      {"ef-bb.txt", kAnsi, "\xEF\xBB"},
      {"zero-middle.txt", kUtf8, "你好"},
      {"ascii-like-utf16.txt", kAnsi, "Bush hid the facts"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    EXPECT_EQ(detectTextEncoding(fixture(c.file)), c.code);
    const std::optional<Text> text = loadTextFile(fixture(c.file));
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(*text, c.text);
  }
}

TEST(TextFile, AMissingFileIsNoText) {
  EXPECT_FALSE(loadTextFile(fixture("no-such-file.txt")).has_value());
  EXPECT_EQ(detectTextEncoding(fixture("no-such-file.txt")), kAnsi);  // counts as empty
}

TEST(TextFile, ConversionsKeepWhatCodePage936LacksAsOneMarkEach) {
  const auto utf8 = [](const char8_t* s) {
    return Bytes(s, s + std::char_traits<char8_t>::length(s));
  };
  EXPECT_EQ(utf8ToAnsiText(utf8(u8"a\U0001F600b\u0800c")), "a?b?c");
  EXPECT_EQ(utf8ToAnsiText(utf8(u8"\uFEFF")), utf16ToAnsiText(u"\xFEFF"));
  EXPECT_EQ(utf8ToAnsiText(Bytes{}), "");
  EXPECT_EQ(utf16ToAnsiText(u"\U0001F600世界"), "?世界");
  EXPECT_EQ(utf8ToAnsiText(Bytes{'a', 0, 'b'}), "a");  // the text ends at its first zero
}

TEST(TextFile, RealChineseTextsLoadFromEveryEncoding) {
  for (const std::string name : {"tang300", "song100"}) {
    const std::optional<Text> gbk = loadTextFile(fortuneCopy(name + ".gbk.txt"));
    ASSERT_TRUE(gbk.has_value()) << name;
    ASSERT_GT(gbk->size(), 10000u) << name;
    EXPECT_EQ(detectTextEncoding(fortuneCopy(name + ".gbk.txt")), kAnsi);
    for (const char* kind : {".utf8.txt", ".utf8-mark.txt", ".utf16le-mark.txt", ".utf16be.txt"}) {
      SCOPED_TRACE(name + kind);
      const std::optional<Text> text = loadTextFile(fortuneCopy(name + kind));
      ASSERT_TRUE(text.has_value());
      EXPECT_TRUE(*text == *gbk) << "sizes " << text->size() << " and " << gbk->size();
    }
  }
}

}  // namespace
}  // namespace lectavo::textimport
