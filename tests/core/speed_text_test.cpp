#include "app/speed_text.h"

#include <gtest/gtest.h>

#include <climits>

namespace lectavo {
namespace {

TEST(SpeedText, ConvertsLikeTheSpeedBoxExpects) {
  struct Case { const char* text; int value; };
  // Literals are CP936 in this binary, so the full-width forms below are the box's real bytes.
  const Case cases[] = {
      {"50", 50},         {"", 0},           {"abc", 0},          {"12abc", 12},
      {" \t\r\n42", 42},  {"+7", 7},         {"-3", -3},          {"-", 0},
      {"+-5", 0},         {"1 2", 1},        {"- 5", 0},          {"150", 150},
      {"５０", 50},       {"　　８", 8},     {"＋９", 9},         {"－１２", -12},
      {"　-５a", -5},     {"１２３４", 1234}, {"中5", 0},          {"5中", 5},
      {"007", 7},         {"\xB0", 0},  // a lone lead byte
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(speedTextValue(c.text), c.value);
  }
}

TEST(SpeedText, SaturatesInsteadOfOverflowing) {
  struct Case { const char* text; int value; };
  const Case cases[] = {
      {"2147483647", INT_MAX},          {"2147483648", INT_MAX},
      {"-2147483648", INT_MIN},         {"-2147483649", INT_MIN},
      {"99999999999999999999999", INT_MAX}, {"-99999999999999999999999", INT_MIN},
      {"０００００００００００００００００００００００１", 1},  // long but small
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(speedTextValue(c.text), c.value);
  }
}

}  // namespace
}  // namespace lectavo
