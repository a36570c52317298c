#pragma once
// Sound output: plays a WAV image from memory on a player thread of its own, without blocking.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace lectavo {

using Bytes = std::vector<std::uint8_t>;

// Starts a player for a RIFF/WAVE image ("fmt " and a non-empty "data" chunk); true at once while it
// plays. Sounds already playing go on. A missing or busy device is no failure: that player ends by
// itself after 8888 ms without progress.
bool playWav(const Bytes& image);

// Tells every running player to stop (discarding queued audio); returns at once.
void stopSound();

// Players that have not ended yet.
std::size_t runningPlayers();

}  // namespace lectavo
