#include "pipeline/wav_chunks.h"

#include <algorithm>
#include <cstring>

namespace lectavo {
namespace {
std::uint32_t get32(const std::uint8_t* at) {
  return std::uint32_t(at[0]) | std::uint32_t(at[1]) << 8 | std::uint32_t(at[2]) << 16 |
         std::uint32_t(at[3]) << 24;
}
}  // namespace

std::optional<WavChunks> findWavChunks(const std::vector<std::uint8_t>& image) {
  if (image.size() < 36 || std::memcmp(image.data(), "RIFF", 4) != 0 ||
      std::memcmp(image.data() + 8, "WAVE", 4) != 0) {
    return std::nullopt;
  }
  const std::uint64_t end = std::min<std::uint64_t>(image.size(), std::uint64_t(get32(&image[4])) + 8);
  WavChunks found;
  bool haveFormat = false, haveData = false;
  std::uint64_t pos = 12;
  while (!(haveFormat && haveData) && pos + 8 <= end) {
    const std::uint8_t* chunk = image.data() + pos;
    const std::uint64_t size = get32(chunk + 4);
    const std::uint64_t body = pos + 8;
    if (std::memcmp(chunk, "fmt ", 4) == 0 && !haveFormat) {
      if (size < 16 || body + size > end) return std::nullopt;  // a format block must be whole
      found.formatOffset = body;
      found.formatSize = size;
      haveFormat = true;
    } else if (std::memcmp(chunk, "data", 4) == 0 && !haveData) {
      // A data chunk cut short by the image's end still plays what is there.
      const std::uint64_t present = std::min(size, end - body);
      if (present == 0) return std::nullopt;
      found.dataOffset = body;
      found.dataSize = present;
      haveData = true;
    }
    pos = body + size + (size & 1);  // chunks are padded to even length
  }
  if (!haveFormat || !haveData) return std::nullopt;
  return found;
}

}  // namespace lectavo
