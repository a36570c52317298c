// The sample text's form: sizes of the whole and of both paragraphs, and what it is made of.
#include "app/window/sample_text.h"
#include "platform/cp936.h"
#include "window_fixture.h"

namespace lectavo::testing {
namespace {

TEST(SampleText, HasTheStatedForm) {
  const Text& t = win::sampleText();
  EXPECT_EQ(t.size(), 546u);
  std::size_t gap = t.find("\r\n\r\n");
  ASSERT_NE(gap, Text::npos);
  EXPECT_EQ(gap, 372u);
  EXPECT_EQ(t.size() - gap - 4, 170u);
  EXPECT_EQ(t.find('\n', gap + 4), Text::npos) << "one paragraph break only, none at the end";

  std::wstring w = widen936(t);
  EXPECT_EQ(w.size(), 276u);
  int ideographs = 0, marks = 0, digits = 0;
  for (wchar_t c : w) {
    if (c >= 0x4E00 && c <= 0x9FA5) ++ideographs;
    else if (std::wstring(L"，、。—“”").find(c) != std::wstring::npos) ++marks;
    else if (c >= L'0' && c <= L'9') ++digits;
  }
  EXPECT_EQ(ideographs, 239);
  EXPECT_EQ(marks, 31);
  EXPECT_EQ(digits, 2);
  std::size_t firstDigit = w.find_first_of(L"0123456789");
  EXPECT_GT(firstDigit, w.find(L"\r\n\r\n")) << "the number is in the second paragraph";
  EXPECT_TRUE(iswdigit(w[firstDigit + 1])) << "one two-digit number";
  EXPECT_EQ(w.back(), L'。');
}

using SampleTextBox = WindowTest;

TEST_F(SampleTextBox, TheTextBoxStartsWithItUnchanged) {
  loadWindow();
  EXPECT_EQ(readText(Control::编辑框1, Prop::text), win::sampleText());
}

}  // namespace
}  // namespace lectavo::testing
