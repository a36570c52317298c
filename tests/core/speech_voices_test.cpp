#include <gtest/gtest.h>

#include "speech/voices.h"

namespace lectavo::speech {
namespace {

TEST(SessionParams, TextByteForByte) {
  EXPECT_EQ(sessionParamText(voiceNameFor(1, "小媛"), "50"),
            "aue=raw,auf=audio/L16;rate=16000,bgs=0,ent=intp65,pitch=70,speed=50,tte=GB2312,vcn=x_xiaoyuan,"
            "volume=100");
  // The speed box's text goes out as it is, spaces and all.
  EXPECT_NE(sessionParamText("x_yiping", " 7").find(",speed= 7,tte="), Text::npos);
}

TEST(SessionParams, VoiceFromItemOrFieldText) {
  struct Case {
    int item;
    Text field;
    std::string_view voice;
  };
  const Case cases[] = {
      {0, "一萍", "x_yiping"},    {3, "楠楠", "x_nannan"},
      {2, "一萍", "x_binge"},     // the current item decides, not a stale field
      {-1, "彬哥", "x_binge"},    // typed exactly as a list text
      {-1, "小媛 ", "x_yiping"},  // anything else: item 0's voice
      {-1, "", "x_yiping"},       {7, "楠楠", "x_nannan"},
  };
  for (const auto& c : cases) EXPECT_EQ(voiceNameFor(c.item, c.field), c.voice) << c.item << " " << c.field;
}

}  // namespace
}  // namespace lectavo::speech
