#include "deploy/cleanup_text.h"

#include <gtest/gtest.h>

#include "deploy/working_folder.h"

namespace lectavo::deploy {
namespace {

TEST(CheckDrivePath, NeedsADriveLetterAndASeparatorAfterAColon) {
  struct Case { const char* path; bool rejectRoot; bool ok; };
  const Case cases[] = {
      {"C:\\Program Files\\Lectavo\\3f9c", true, true},
      {"c:\\app", true, true},                  // lower-case drive letter
      {"C:/app/x", true, true},
      {"C:\\\\\\app\\\\x", true, true},         // runs of separators collapse
      {"C:////app", true, true},
      {"C:\\", true, false},                    // a drive root
      {"C:/", true, false},
      {"C:\\\\\\", true, false},                // collapses to a root
      {"C://", true, false},
      {"C:\\", false, true},
      {"C:\\\\", false, true},
      {"C:", true, false},                      // no separator
      {"C:", false, false},
      {"", false, false},
      {"\\\\server\\share\\app", true, false},  // network path: no drive letter
      {"1:\\app", true, false},
      {"@:\\app", true, false},
      {"[:\\app", true, false},                 // just past Z
      {"Z:\\a", true, true},
      {"AB:\\app", true, true},                 // ":\" later than the second character
      {"xyz\\q:/r", true, true},
      {"C:\\/", true, true},                    // "\/" is no pair: 4 bytes, no root
      {"C\\app", true, false},
      {"C:x\\app", true, false},                // colon and separator apart
      // 0x5C as the trail byte of a double-byte character is no separator.
      {"C:\x95\\", true, false},
      {"C:\\\x95\\", true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::string(c.path)) + (c.rejectRoot ? " reject" : ""));
    EXPECT_EQ(checkDrivePath(c.path, c.rejectRoot), c.ok);
  }
}

TEST(CheckDrivePath, AcceptsTheWorkingFolderOfAProgramInADriveRoot) {
  EXPECT_EQ(workingFolderPath("D:"), std::string("D:\\") + kWorkingFolderName);
  EXPECT_TRUE(checkDrivePath(workingFolderPath("D:"), true));
  EXPECT_EQ(std::string(kWorkingFolderName).find_first_not_of("0123456789abcdef"), std::string::npos);
  EXPECT_EQ(std::string(kWorkingFolderName).size(), 32u);
}

TEST(Replace936, MatchesOnlyAtCharacterStarts) {
  struct Case { const char* s; const char* from; const char* to; const char* out; };
  const Case cases[] = {
      {"a\\\\b\\\\\\c", "\\\\", "\\", "a\\b\\\\c"},  // one pass, left to right, no overlap
      {"aaa", "aa", "b", "ba"},
      {"x根目录y根目录", "根目录", "C:\\w\\", "xC:\\w\\yC:\\w\\"},
      {"\x95\\\\", "\\\\", "|", "\x95\\\\"},         // the first 0x5C is a trail byte
      {"\x95\\\\\\", "\\\\", "|", "\x95\\|"},
      {"\xB8\xF9", "\xF9", "!", "\xB8\xF9"},         // no match inside a character
      {"abc", "", "x", "abc"},
      {"", "a", "b", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::string(c.s)));
    EXPECT_EQ(replaceAll936(c.s, c.from, c.to), c.out);
  }
  EXPECT_TRUE(endsWithBackslash936("C:\\w\\"));
  EXPECT_FALSE(endsWithBackslash936("C:\\w"));
  EXPECT_FALSE(endsWithBackslash936("C:\\\x95\\"));  // ends in a double-byte character
  EXPECT_TRUE(endsWithBackslash936("C:\\\x95\\\\"));
  EXPECT_FALSE(endsWithBackslash936(""));
}

TEST(TimeStampName, SecondsSinceTheBaseThenThreeDigitMilliseconds) {
  struct Case { LocalDateTime t; int ms; const char* name; };
  const Case cases[] = {
      {{2026, 12, 11, 13, 5, 9}, 7, "1796965509007"},
      {{2026, 12, 11, 13, 5, 9}, 45, "1796965509045"},
      {{2026, 12, 11, 13, 5, 9}, 0, "1796965509000"},
      {{2026, 12, 11, 13, 5, 9}, 999, "1796965509999"},
      {{1970, 1, 1, 8, 0, 0}, 7, "0007000000000"},    // short names are padded on the right
      {{1970, 1, 1, 8, 16, 40}, 123, "1000123000000"},
      {{2001, 9, 9, 9, 46, 39}, 5, "999999999005"  "0"},
      {{2286, 11, 21, 1, 46, 40}, 1, "10000000000001"},  // longer: not cut
      {{2000, 2, 29, 8, 0, 0}, 0, "951782400000"  "0"},  // leap day
      {{1970, 1, 1, 7, 59, 59}, 0, "-100000000000"},  // before the base
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(makeTimeStampName(secondsSinceStampBase(c.t), c.ms), c.name);
  }
}

TEST(CleanupBatch, TemplateIsFortyOneBytesAndFillsBothLines) {
  const std::string expected =
      "Rd /s /q \"\xB8\xF9\xC4\xBF\xC2\xBC\"\r\n"
      "Del /f /q \"\xD6\xB4\xD0\xD0\xCE\xC4\xBC\xFE\xC3\xFB\"";
  EXPECT_EQ(batchTemplate(), expected);
  EXPECT_EQ(batchTemplate().size(), 41u);

  const std::string folder = "C:\\Users\\First Last\\程序\\3f9c\\";
  EXPECT_EQ(fillBatch(folder, batchFileName("1796965509007")),
            "Rd /s /q \"C:\\Users\\First Last\\程序\\3f9c\\\"\r\n"
            "Del /f /q \"1796965509007_Speed.bat\"");
  // A folder that holds a placeholder's text is taken as it is.
  EXPECT_EQ(fillBatch("C:\\执行文件名\\", "n.bat"),
            "Rd /s /q \"C:\\执行文件名\\\"\r\nDel /f /q \"n.bat\"");
  EXPECT_EQ(batchCommandLine("C:\\Users\\First Last\\AppData\\Local\\Temp\\1_Speed.bat"),
            "\"C:\\Users\\First Last\\AppData\\Local\\Temp\\1_Speed.bat\"");
}

}  // namespace
}  // namespace lectavo::deploy
