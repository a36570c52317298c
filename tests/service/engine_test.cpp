// The engine itself, in this process: Chinese characters are read as Mandarin.
#include "service/engine.h"

#include <gtest/gtest.h>

namespace lectavo::service {
namespace {

TEST(Engine, ChineseIsReadAsMandarinNotEnglish) {
  ASSERT_EQ(initEngine(), "");
  for (const auto voice : {wire::Voice::yiping, wire::Voice::xiaoyuan, wire::Voice::binge, wire::Voice::nannan}) {
    const std::string ph = phonemes("你好。我有3本书。", voice);
    EXPECT_EQ(ph.find("(en)"), std::string::npos) << ph;  // the engine marks a language switch this way
    // Mandarin syllables with their tone contours: ni3 hao3, san1.
    EXPECT_NE(ph.find("n'i214"), std::string::npos) << ph;
    EXPECT_NE(ph.find("X'Au214"), std::string::npos) << ph;
    EXPECT_NE(ph.find("s'a55n"), std::string::npos) << ph;
  }
}

TEST(Engine, RateFollowsSpeedWithFiftyAsNormal) {
  EXPECT_EQ(engineRate(50), 175);
  for (int s = 1; s <= 100; ++s) EXPECT_GT(engineRate(s), engineRate(s - 1)) << s;
}

}  // namespace
}  // namespace lectavo::service
