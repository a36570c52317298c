#pragma once
// Reading what the test's ALSA file sink recorded: one WAV header and its samples per device opening,
// appended one after another.
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace lectavo::test {

using Bytes = std::vector<std::uint8_t>;

struct SinkSegment {
  std::uint32_t rate = 0;
  std::uint16_t channels = 0, bits = 0;
  Bytes samples;
};

// The sink as a Windows path (the sink's Unix path through drive Z:).
inline std::string sinkPath() {
  const char* unix = std::getenv("LECTAVO_SINK");
  if (unix == nullptr) return {};
  std::string path = std::string("Z:") + unix;
  for (auto& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

inline Bytes readSinkBytes() {
  std::ifstream in(sinkPath(), std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

inline void clearSink() { DeleteFileA(sinkPath().c_str()); }

// Splits the recording at each header. Headers are found where "RIFF....WAVEfmt " starts, which the
// test PCM never contains.
inline std::vector<SinkSegment> readSink() {
  const Bytes b = readSinkBytes();
  std::vector<std::size_t> starts;
  for (std::size_t i = 0; i + 44 <= b.size(); ++i) {
    if (std::memcmp(&b[i], "RIFF", 4) == 0 && std::memcmp(&b[i + 8], "WAVEfmt ", 8) == 0) starts.push_back(i);
  }
  std::vector<SinkSegment> segments;
  for (std::size_t k = 0; k < starts.size(); ++k) {
    const std::size_t s = starts[k], e = k + 1 < starts.size() ? starts[k + 1] : b.size();
    SinkSegment seg;
    std::memcpy(&seg.channels, &b[s + 22], 2);
    std::memcpy(&seg.rate, &b[s + 24], 4);
    std::memcpy(&seg.bits, &b[s + 34], 2);
    // The fmt chunk may be longer than 16 bytes: the samples follow the "data" chunk header.
    std::size_t data = s + 12;
    while (data + 8 <= e && std::memcmp(&b[data], "data", 4) != 0) {
      std::uint32_t size;
      std::memcpy(&size, &b[data + 4], 4);
      data += 8 + size;
    }
    if (data + 8 <= e) seg.samples.assign(b.begin() + data + 8, b.begin() + e);
    segments.push_back(std::move(seg));
  }
  return segments;
}

// Waits (bounded) until no player is left; true when none is.
template <typename Count>
bool waitUntilSilent(Count runningPlayers, DWORD limitMs) {
  const ULONGLONG start = GetTickCount64();
  while (runningPlayers() > 0) {
    if (GetTickCount64() - start > limitMs) return false;
    Sleep(10);
  }
  return true;
}

}  // namespace lectavo::test
