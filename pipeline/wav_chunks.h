#pragma once
// Finding the format block and the samples of a RIFF/WAVE image.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace lectavo {

struct WavChunks {
  std::size_t formatOffset = 0, formatSize = 0;
  std::size_t dataOffset = 0, dataSize = 0;
};

// Walks the chunks from offset 12 until both "fmt " and a non-empty "data" are found or the RIFF size is
// used up. Nothing for anything that is not a playable image.
std::optional<WavChunks> findWavChunks(const std::vector<std::uint8_t>& image);

}  // namespace lectavo
