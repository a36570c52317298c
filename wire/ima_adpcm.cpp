#include "ima_adpcm.h"

#include <algorithm>
#include <cstdlib>

namespace lectavo::codec {
namespace {

constexpr int kStepTable[89] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,
    25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,    73,    80,
    88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,   253,   279,
    307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,   876,   963,
    1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749,  3024,  3327,
    3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493,  10442, 11487,
    12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};
constexpr int kIndexTable[16] = {-1, -1, -1, -1, 2, 4, 6, 8, -1, -1, -1, -1, 2, 4, 6, 8};
constexpr int kMaxIndex = 88;

struct Channel {
  int predictor = 0;
  int index = 0;

  // Applies one nibble exactly as a decoder does; the encoder tracks the same state so both stay
  // in step.
  std::int16_t apply(std::uint8_t code) {
    const int step = kStepTable[index];
    int diff = step >> 3;
    if (code & 4) diff += step;
    if (code & 2) diff += step >> 1;
    if (code & 1) diff += step >> 2;
    predictor += (code & 8) ? -diff : diff;
    predictor = std::clamp(predictor, -32768, 32767);
    index = std::clamp(index + kIndexTable[code & 15], 0, kMaxIndex);
    return static_cast<std::int16_t>(predictor);
  }

  std::uint8_t encode(std::int16_t sample) {
    const int step = kStepTable[index];
    int diff = sample - predictor;
    std::uint8_t code = 0;
    if (diff < 0) {
      code = 8;
      diff = -diff;
    }
    if (diff >= step) {
      code |= 4;
      diff -= step;
    }
    if (diff >= step >> 1) {
      code |= 2;
      diff -= step >> 1;
    }
    if (diff >= step >> 2) code |= 1;
    apply(code);
    return code;
  }
};

// A block carries no state from the one before, so its first step size is guessed from how fast
// the signal moves at its start; a guess too small costs a burst of error while the index climbs.
int startIndex(const std::int16_t* pcm, std::size_t n) {
  if (n < 2) return 0;
  const std::size_t look = std::min<std::size_t>(n - 1, 8);
  long sum = 0;
  for (std::size_t i = 0; i < look; ++i) sum += std::labs(long{pcm[i + 1]} - long{pcm[i]});
  const long target = sum / static_cast<long>(look);
  int index = 0;
  while (index < kMaxIndex && kStepTable[index] < target) ++index;
  return index;
}

void putU16(std::vector<std::uint8_t>& out, std::size_t v) {
  out.push_back(static_cast<std::uint8_t>(v & 0xff));
  out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xff));
}

}  // namespace

void encodeBlock(const std::int16_t* pcm, std::size_t n, std::vector<std::uint8_t>& out) {
  if (n == 0) return;
  Channel ch;
  ch.predictor = pcm[0];
  ch.index = startIndex(pcm, n);
  const auto first = static_cast<std::uint16_t>(pcm[0]);
  putU16(out, first);
  out.push_back(static_cast<std::uint8_t>(ch.index));
  out.push_back(0);
  for (std::size_t i = 1; i < n; i += 2) {
    std::uint8_t byte = ch.encode(pcm[i]);
    if (i + 1 < n) byte |= static_cast<std::uint8_t>(ch.encode(pcm[i + 1]) << 4);
    out.push_back(byte);
  }
}

bool decodeBlock(const std::uint8_t* block, std::size_t n, std::vector<std::int16_t>& out) {
  if (n == 0 || n > kSamplesPerBlock) return false;
  if (block[2] > kMaxIndex || block[3] != 0) return false;
  Channel ch;
  ch.predictor = static_cast<std::int16_t>(block[0] | (block[1] << 8));
  ch.index = block[2];
  out.push_back(static_cast<std::int16_t>(ch.predictor));
  for (std::size_t i = 1; i < n; i += 2) {
    const std::uint8_t byte = block[4 + (i - 1) / 2];
    out.push_back(ch.apply(byte & 15));
    if (i + 1 < n) out.push_back(ch.apply(byte >> 4));
  }
  return true;
}

void StreamEncoder::feed(const std::int16_t* pcm, std::size_t n, std::vector<std::uint8_t>& out) {
  pending_.insert(pending_.end(), pcm, pcm + n);
  std::size_t done = 0;
  while (pending_.size() - done >= kSamplesPerBlock) {
    putU16(out, kSamplesPerBlock);
    encodeBlock(pending_.data() + done, kSamplesPerBlock, out);
    done += kSamplesPerBlock;
  }
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(done));
}

void StreamEncoder::finish(std::vector<std::uint8_t>& out) {
  if (pending_.empty()) return;
  putU16(out, pending_.size());
  encodeBlock(pending_.data(), pending_.size(), out);
  pending_.clear();
}

bool StreamDecoder::feed(const std::uint8_t* data, std::size_t n, std::vector<std::int16_t>& out) {
  if (failed_) return false;
  pending_.insert(pending_.end(), data, data + n);
  std::size_t pos = 0;
  while (pending_.size() - pos >= 2) {
    const std::size_t count = pending_[pos] | (pending_[pos + 1] << 8);
    if (count == 0 || count > kSamplesPerBlock) {
      failed_ = true;
      return false;
    }
    const std::size_t need = 2 + blockBytes(count);
    if (pending_.size() - pos < need) break;
    if (!decodeBlock(pending_.data() + pos + 2, count, out)) {
      failed_ = true;
      return false;
    }
    pos += need;
  }
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(pos));
  return true;
}

}  // namespace lectavo::codec
