#include "audio/wav_image.h"

#include <algorithm>
#include <cstring>

namespace lectavo {
namespace {

void put32(std::uint8_t* at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
void put16(std::uint8_t* at, std::uint16_t v) {
  at[0] = static_cast<std::uint8_t>(v);
  at[1] = static_cast<std::uint8_t>(v >> 8);
}
std::uint32_t get32(const std::uint8_t* at) {
  return std::uint32_t(at[0]) | std::uint32_t(at[1]) << 8 | std::uint32_t(at[2]) << 16 |
         std::uint32_t(at[3]) << 24;
}

}  // namespace

std::array<std::uint8_t, kWavHeaderSize> wavHeader(std::uint32_t pcmLength) {
  constexpr std::uint16_t channels = 1, bits = 16;
  constexpr std::uint32_t rate = 16000;
  std::array<std::uint8_t, kWavHeaderSize> h{};
  std::memcpy(&h[0], "RIFF", 4);
  put32(&h[4], pcmLength + 36);
  std::memcpy(&h[8], "WAVE", 4);
  std::memcpy(&h[12], "fmt ", 4);
  put32(&h[16], 16);
  put16(&h[20], 1);
  put16(&h[22], channels);
  put32(&h[24], rate);
  put32(&h[28], channels * rate * bits / 8);
  put16(&h[32], channels * bits / 8);
  put16(&h[34], bits);
  std::memcpy(&h[36], "data", 4);
  put32(&h[40], pcmLength);
  return h;
}

Bytes wrapWav(const Bytes& pcm) {
  const auto length = static_cast<std::uint32_t>(std::min<std::uint64_t>(pcm.size(), kWavMaxPcm));
  const auto header = wavHeader(length);
  Bytes image;
  image.reserve(kWavHeaderSize + std::size_t(length));
  image.insert(image.end(), header.begin(), header.end());
  image.insert(image.end(), pcm.begin(), pcm.begin() + length);
  return image;
}

std::uint32_t wavSeconds(const Bytes& image) {
  if (image.size() < kWavHeaderSize) return 0;
  const std::uint32_t rate = get32(&image[28]);
  if (rate == 0) return 0;
  // Integer division is exact, so no quotient just below a whole number is lost to rounding.
  return get32(&image[40]) / rate;
}

}  // namespace lectavo
