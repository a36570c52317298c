#include <windows.h>
#include <gtest/gtest.h>

#include "audio/wav_image.h"
#include "pipeline/sound.h"

namespace lectavo {
namespace {

// Run with no output device: playing is no failure, and the player gives up by itself.
TEST(MissingDevice, PlayerEndsAfterItsNoProgressTime) {
  const ULONGLONG start = GetTickCount64();
  ASSERT_TRUE(playWav(wrapWav(Bytes(32000, 1))));
  Sleep(7500);
  EXPECT_EQ(runningPlayers(), 1u) << "ended before the no-progress time";
  while (runningPlayers() > 0 && GetTickCount64() - start < 12000) Sleep(20);
  const ULONGLONG took = GetTickCount64() - start;
  EXPECT_EQ(runningPlayers(), 0u);
  EXPECT_GE(took, 8888u);
  EXPECT_LT(took, 10500u);
}

TEST(MissingDevice, StopEndsAWaitingPlayerAtOnce) {
  ASSERT_TRUE(playWav(wrapWav(Bytes(32000, 1))));
  Sleep(300);
  stopSound();
  const ULONGLONG start = GetTickCount64();
  while (runningPlayers() > 0 && GetTickCount64() - start < 3000) Sleep(10);
  EXPECT_EQ(runningPlayers(), 0u);
}

}  // namespace
}  // namespace lectavo
