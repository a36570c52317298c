#pragma once
// IMA ADPCM, 4 bits a sample, mono, 16-bit PCM: the service's compressed wire codec, shared by the
// service (encoder) and speex.dll (decoder). Portable: no platform headers.
//
// Block layout (the same as a mono IMA ADPCM WAV block, so sox can check it): a 4-byte header
// (int16 LE first sample, uint8 step index 0..88, uint8 0), then the remaining samples as nibbles,
// two a byte, low nibble first. A full block holds kSamplesPerBlock samples in kBlockBytes bytes.
//
// Wire stream: a sequence of frames, each a uint16 LE sample count n (1..kSamplesPerBlock) followed by
// one block of blockBytes(n) bytes. Every frame but the last holds a full block.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace lectavo::codec {

inline constexpr std::size_t kBlockBytes = 256;
inline constexpr std::size_t kSamplesPerBlock = 505;  // 1 + (256 - 4) * 2

// Bytes of a block holding n samples (n >= 1).
constexpr std::size_t blockBytes(std::size_t n) { return 4 + n / 2; }

// One block: encodes n = pcm.size() samples (1..kSamplesPerBlock), appending blockBytes(n) bytes.
void encodeBlock(const std::int16_t* pcm, std::size_t n, std::vector<std::uint8_t>& out);
// Decodes a block of n samples from blockBytes(n) bytes; appends n samples. False on a bad header.
bool decodeBlock(const std::uint8_t* block, std::size_t n, std::vector<std::int16_t>& out);

// Encodes PCM into wire frames as it comes; call finish() for the last, partial frame.
class StreamEncoder {
 public:
  void feed(const std::int16_t* pcm, std::size_t n, std::vector<std::uint8_t>& out);
  void finish(std::vector<std::uint8_t>& out);

 private:
  std::vector<std::int16_t> pending_;
};

// Decodes wire frames split at any byte boundary.
class StreamDecoder {
 public:
  // Appends decoded samples; false on malformed input (the decoder then stays failed).
  bool feed(const std::uint8_t* data, std::size_t n, std::vector<std::int16_t>& out);
  // True when no partial frame is left over.
  bool atFrameBoundary() const { return pending_.empty() && !failed_; }

 private:
  std::vector<std::uint8_t> pending_;
  bool failed_ = false;
};

}  // namespace lectavo::codec
