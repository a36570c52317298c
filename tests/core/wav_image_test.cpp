#include "audio/wav_image.h"

#include <gtest/gtest.h>

#include <cstring>

namespace lectavo {
namespace {

std::uint32_t at32(const Bytes& b, std::size_t i) {
  return b[i] | b[i + 1] << 8 | b[i + 2] << 16 | std::uint32_t(b[i + 3]) << 24;
}
std::uint16_t at16(const Bytes& b, std::size_t i) { return std::uint16_t(b[i] | b[i + 1] << 8); }

TEST(WavImage, HeaderFieldsAndBodyForEachLength) {
  struct Case { std::size_t pcm; std::uint32_t seconds; };
  for (const Case c : {Case{0, 0}, Case{31999, 0}, Case{32000, 1}, Case{32001, 1}, Case{96000, 3}}) {
    SCOPED_TRACE(c.pcm);
    Bytes pcm(c.pcm);
    for (std::size_t i = 0; i < pcm.size(); ++i) pcm[i] = std::uint8_t(i * 7 + 3);
    const Bytes image = wrapWav(pcm);
    ASSERT_EQ(image.size(), 44 + c.pcm);
    EXPECT_EQ(0, std::memcmp(image.data(), "RIFF", 4));
    EXPECT_EQ(at32(image, 4), c.pcm + 36);
    EXPECT_EQ(0, std::memcmp(image.data() + 8, "WAVEfmt ", 8));
    EXPECT_EQ(at32(image, 16), 16u);
    EXPECT_EQ(at16(image, 20), 1);      // PCM
    EXPECT_EQ(at16(image, 22), 1);      // mono
    EXPECT_EQ(at32(image, 24), 16000u);
    EXPECT_EQ(at32(image, 28), 32000u);
    EXPECT_EQ(at16(image, 32), 2);
    EXPECT_EQ(at16(image, 34), 16);
    EXPECT_EQ(0, std::memcmp(image.data() + 36, "data", 4));
    EXPECT_EQ(at32(image, 40), c.pcm);
    EXPECT_TRUE(std::equal(pcm.begin(), pcm.end(), image.begin() + 44));
    EXPECT_EQ(wavSeconds(image), c.seconds);
  }
}

TEST(WavImage, StandaloneHeaderMatchesTheWrappedImage) {
  // A file written as header + spooled PCM must be byte-identical to wrapWav of the same PCM.
  const Bytes image = wrapWav(Bytes(1234, 0x5A));
  const auto header = wavHeader(1234);
  EXPECT_TRUE(std::equal(header.begin(), header.end(), image.begin()));
  // The largest body keeps the RIFF size inside 32 bits and whole sample frames.
  EXPECT_EQ(kWavMaxPcm % 2, 0u);
  EXPECT_LE(kWavMaxPcm + 36, 0xFFFFFFFFull);
  EXPECT_GT(kWavMaxPcm + 38, 0xFFFFFFFFull);
  const auto largest = wavHeader(std::uint32_t(kWavMaxPcm));
  EXPECT_EQ(at32(Bytes(largest.begin(), largest.end()), 4), 0xFFFFFFFFu - 1);
}

TEST(WavImage, SecondsOfMalformedBuffersIsZero) {
  EXPECT_EQ(wavSeconds(Bytes(43, 0xFF)), 0u);
  Bytes image = wrapWav(Bytes(64000));
  image[28] = image[29] = image[30] = image[31] = 0;  // zero bytes per second
  EXPECT_EQ(wavSeconds(image), 0u);
}

}  // namespace
}  // namespace lectavo
