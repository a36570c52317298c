#include "pipeline/wav_chunks.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "audio/wav_image.h"

namespace lectavo {
namespace {

void put32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = std::uint8_t(v >> (8 * i));
}
Bytes chunk(const char* id, std::uint32_t size, std::size_t bodyBytes) {
  Bytes c(8 + bodyBytes, 0x11);
  std::memcpy(c.data(), id, 4);
  put32(c, 4, size);
  return c;
}
Bytes riff(std::initializer_list<Bytes> chunks) {
  Bytes b(12);
  std::memcpy(b.data(), "RIFF", 4);
  std::memcpy(b.data() + 8, "WAVE", 4);
  for (const auto& c : chunks) b.insert(b.end(), c.begin(), c.end());
  put32(b, 4, std::uint32_t(b.size() - 8));
  return b;
}

TEST(WavChunks, AcceptsPlayableImagesOnly) {
  struct Case { std::string name; Bytes image; std::size_t dataOffset, dataSize; };  // size 0: refused
  Bytes badRiff = wrapWav(Bytes(10));
  badRiff[0] = 'X';
  Bytes badWave = wrapWav(Bytes(10));
  badWave[11] = 'X';
  const Bytes wrapped = wrapWav(Bytes(10));
  Bytes riffTooSmall = riff({chunk("fmt ", 16, 16), chunk("data", 4, 4)});
  put32(riffTooSmall, 4, 4 + 24);  // RIFF size ends before the data chunk
  const Case cases[] = {
      {"wrapped pcm", wrapWav(Bytes(10)), 44, 10},
      {"empty data chunk", wrapWav(Bytes()), 0, 0},
      {"shorter than 36 bytes", Bytes(wrapped.begin(), wrapped.begin() + 35), 0, 0},
      {"empty buffer", Bytes(), 0, 0},
      {"not RIFF", badRiff, 0, 0},
      {"not WAVE", badWave, 0, 0},
      {"data before fmt", riff({chunk("data", 6, 6), chunk("fmt ", 16, 16)}), 20, 6},
      {"other chunk first, odd length padded", riff({chunk("LIST", 3, 4), chunk("fmt ", 16, 16), chunk("data", 2, 2)}),
       12 + 12 + 24 + 8, 2},
      {"no data chunk", riff({chunk("fmt ", 16, 16)}), 0, 0},
      {"format block too short", riff({chunk("fmt ", 14, 14), chunk("data", 2, 2)}), 0, 0},
      {"data cut short by the end", riff({chunk("fmt ", 16, 16), chunk("data", 1000, 6)}), 44, 6},
      {"RIFF size used up first", riffTooSmall, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto found = findWavChunks(c.image);
    if (c.dataSize == 0) {
      EXPECT_FALSE(found.has_value());
      continue;
    }
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->dataOffset, c.dataOffset);
    EXPECT_EQ(found->dataSize, c.dataSize);
    EXPECT_GE(found->formatSize, 16u);
  }
}

}  // namespace
}  // namespace lectavo
