#include "pipeline/sound.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "audio/wav_image.h"
#include "tests/win/pipeline/sink.h"

namespace lectavo {
namespace {

// Distinct samples, so a dropped, repeated or reordered block shows.
Bytes testPcm(std::size_t bytes, unsigned seed) {
  Bytes pcm(bytes);
  for (std::size_t i = 0; i < bytes; ++i) pcm[i] = std::uint8_t(i * 13 + (i >> 8) + seed);
  return pcm;
}

class Sound : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(test::sinkPath().empty()) << "run through with-sound";
    test::clearSink();
  }
  void TearDown() override {
    stopSound();
    test::waitUntilSilent(runningPlayers, 5000);
  }
};

TEST_F(Sound, TheDeviceGetsExactlyTheSamples) {
  // Over several device buffers, with an odd tail.
  const Bytes pcm = testPcm(3 * 32000 + 1234, 0);
  ASSERT_TRUE(playWav(wrapWav(pcm)));
  ASSERT_TRUE(test::waitUntilSilent(runningPlayers, 15000));
  const auto segments = test::readSink();
  ASSERT_EQ(segments.size(), 1u);
  EXPECT_EQ(segments[0].rate, 16000u);
  EXPECT_EQ(segments[0].channels, 1);
  EXPECT_EQ(segments[0].bits, 16);
  EXPECT_EQ(segments[0].samples.size(), pcm.size());
  EXPECT_TRUE(segments[0].samples == pcm);
}

TEST_F(Sound, RefusedImagesPlayNothing) {
  Bytes notWave = wrapWav(testPcm(100, 1));
  notWave[8] = 'X';
  for (const Bytes& image : {Bytes(), wrapWav(Bytes()), notWave}) {
    EXPECT_FALSE(playWav(image));
  }
  EXPECT_EQ(runningPlayers(), 0u);
  Sleep(300);
  EXPECT_TRUE(test::readSinkBytes().empty());
}

TEST_F(Sound, SoundsOverlapAndOneStopSilencesAll) {
  // Long enough that neither can finish before the stop, even on a device faster than real time.
  const Bytes pcm = testPcm(120 * 32000, 2);
  ASSERT_TRUE(playWav(wrapWav(pcm)));
  ASSERT_TRUE(playWav(wrapWav(pcm)));
  EXPECT_EQ(runningPlayers(), 2u);
  Sleep(500);
  EXPECT_EQ(runningPlayers(), 2u);
  stopSound();
  EXPECT_TRUE(test::waitUntilSilent(runningPlayers, 2000));
  const auto segments = test::readSink();
  EXPECT_EQ(segments.size(), 2u);  // both opened the device at once
  std::size_t played = 0;
  for (const auto& s : segments) played += s.samples.size();
  EXPECT_GT(played, 0u);
  EXPECT_LT(played, pcm.size());
  stopSound();  // stopping when nothing plays is harmless
}

}  // namespace
}  // namespace lectavo
