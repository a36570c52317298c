#pragma once
// The in-memory WAV image: a fixed 44-byte RIFF/WAVE header (16 kHz, 16-bit, mono PCM) and the PCM bytes.
#include <array>
#include <cstdint>
#include <vector>

namespace lectavo {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kWavHeaderSize = 44;
constexpr std::uint32_t kWavBytesPerSecond = 32000;
// The RIFF size field (PCM length + 36) must fit 32 bits; keep whole sample frames.
constexpr std::uint64_t kWavMaxPcm = (0xFFFFFFFFull - 36) & ~1ull;

// The header for a PCM body of the given length (for images written piecewise, e.g. spooled to disk).
std::array<std::uint8_t, kWavHeaderSize> wavHeader(std::uint32_t pcmLength);

// Header + a copy of the PCM. PCM longer than kWavMaxPcm is cut there, so the header never lies.
Bytes wrapWav(const Bytes& pcm);

// Whole seconds the image plays: data length / bytes per second, rounded down. 0 for a buffer too short
// to hold a header or with a zero rate.
std::uint32_t wavSeconds(const Bytes& image);

}  // namespace lectavo
