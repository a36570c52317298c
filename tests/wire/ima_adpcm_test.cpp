#include "wire/ima_adpcm.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "service/engine.h"

namespace codec = lectavo::codec;

namespace {

// Real speech from the engine: the codec must hold up on it, not just on tones.
const std::vector<std::int16_t>& speech() {
  static const std::vector<std::int16_t> pcm = [] {
    std::vector<std::int16_t> out;
    EXPECT_EQ(lectavo::service::initEngine(), "");
    lectavo::service::VoiceSettings s;
    s.voice = lectavo::wire::Voice::binge;
    lectavo::service::synthesize("今天天气很好，我们一起去公园散步吧。", s, [&](const std::int16_t* p, std::size_t n) {
      out.insert(out.end(), p, p + n);
      return true;
    });
    return out;
  }();
  return pcm;
}

double snrDb(const std::vector<std::int16_t>& ref, const std::vector<std::int16_t>& got) {
  double sig = 0, noise = 0;
  for (std::size_t i = 0; i < ref.size(); ++i) {
    sig += double(ref[i]) * ref[i];
    const double d = double(ref[i]) - got[i];
    noise += d * d;
  }
  return 10 * std::log10(sig / (noise + 1));
}

std::string tempPath(const std::string& name) {
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir ? dir : "/tmp") + "/wire_test_" + std::to_string(getpid()) + "_" + name;
}

void put16(std::string& s, unsigned v) { s += char(v & 255), s += char((v >> 8) & 255); }
void put32(std::string& s, unsigned v) { put16(s, v & 0xffff), put16(s, v >> 16); }

// A mono IMA ADPCM WAV file of full blocks, as sox and others read it.
void writeImaWav(const std::string& path, const std::vector<std::uint8_t>& blocks, std::size_t samples) {
  std::string fmt;
  put16(fmt, 0x11), put16(fmt, 1), put32(fmt, 16000), put32(fmt, 16000 * codec::kBlockBytes / codec::kSamplesPerBlock);
  put16(fmt, codec::kBlockBytes), put16(fmt, 4), put16(fmt, 2), put16(fmt, codec::kSamplesPerBlock);
  std::string f = "RIFF";
  put32(f, 4 + 8 + fmt.size() + 12 + 8 + blocks.size());
  f += "WAVEfmt ";
  put32(f, fmt.size());
  f += fmt;
  f += "fact";
  put32(f, 4), put32(f, samples);
  f += "data";
  put32(f, blocks.size());
  f.append(reinterpret_cast<const char*>(blocks.data()), blocks.size());
  std::ofstream(path, std::ios::binary).write(f.data(), std::streamsize(f.size()));
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::int16_t> readRaw(const std::string& path) {
  const std::string b = readFile(path);
  std::vector<std::int16_t> v(b.size() / 2);
  std::memcpy(v.data(), b.data(), v.size() * 2);
  return v;
}

void writeRaw(const std::string& path, const std::vector<std::int16_t>& pcm) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(pcm.data()), std::streamsize(pcm.size() * 2));
}

int run(const std::string& cmd) { return std::system((cmd + " 2>&1").c_str()); }

// Our encoder's blocks, read back by sox, give exactly what our decoder gives.
TEST(ImaAdpcm, SoxDecodesOurBlocksAsWeDo) {
  const auto& pcm = speech();
  const std::size_t whole = pcm.size() / codec::kSamplesPerBlock * codec::kSamplesPerBlock;
  ASSERT_GT(whole, 20 * codec::kSamplesPerBlock);
  std::vector<std::uint8_t> blocks;
  std::vector<std::int16_t> ours;
  for (std::size_t at = 0; at < whole; at += codec::kSamplesPerBlock) {
    const std::size_t before = blocks.size();
    codec::encodeBlock(pcm.data() + at, codec::kSamplesPerBlock, blocks);
    ASSERT_EQ(blocks.size() - before, codec::kBlockBytes);
    ASSERT_TRUE(codec::decodeBlock(blocks.data() + before, codec::kSamplesPerBlock, ours));
  }
  const std::string wav = tempPath("ours.wav"), raw = tempPath("ours.raw");
  writeImaWav(wav, blocks, whole);
  ASSERT_EQ(run("sox " + wav + " -t raw -e signed -b 16 " + raw), 0);
  const auto theirs = readRaw(raw);
  std::remove(wav.c_str()), std::remove(raw.c_str());
  ASSERT_EQ(theirs.size(), ours.size());
  EXPECT_EQ(theirs, ours);
  // And the round trip on speech stays close to the original.
  const std::vector<std::int16_t> ref(pcm.begin(), pcm.begin() + std::ptrdiff_t(whole));
  EXPECT_GT(snrDb(ref, ours), 20.0);
}

// Blocks sox encodes decode with our decoder exactly as sox decodes them, and our encoder does
// about as well as sox's on the same speech.
TEST(ImaAdpcm, WeDecodeSoxBlocksAsSoxDoes) {
  const auto& pcm = speech();
  const std::string in = tempPath("in.raw"), wav = tempPath("sox.wav"), back = tempPath("sox.raw");
  writeRaw(in, pcm);
  ASSERT_EQ(run("sox -t raw -r 16000 -e signed -b 16 -c 1 " + in + " -D -e ima-adpcm " + wav), 0);
  ASSERT_EQ(run("sox " + wav + " -t raw -e signed -b 16 " + back), 0);
  const std::string file = readFile(wav);
  const auto soxDecoded = readRaw(back);
  std::remove(in.c_str()), std::remove(wav.c_str()), std::remove(back.c_str());

  // Walk the chunks for the block size and the data.
  std::size_t blockAlign = 0, samplesPerBlock = 0, pos = 12;
  std::string data;
  while (pos + 8 <= file.size()) {
    const std::string id = file.substr(pos, 4);
    std::uint32_t size;
    std::memcpy(&size, file.data() + pos + 4, 4);
    if (id == "fmt ") {
      blockAlign = static_cast<unsigned char>(file[pos + 20]) | static_cast<unsigned char>(file[pos + 21]) << 8;
      samplesPerBlock = static_cast<unsigned char>(file[pos + 26]) | static_cast<unsigned char>(file[pos + 27]) << 8;
    } else if (id == "data") {
      data = file.substr(pos + 8, size);
    }
    pos += 8 + size + (size & 1);
  }
  ASSERT_GT(blockAlign, 4u);
  ASSERT_EQ(samplesPerBlock, 1 + (blockAlign - 4) * 2);
  std::vector<std::int16_t> ours;
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(data.data());
  for (std::size_t at = 0; at + blockAlign <= data.size(); at += blockAlign) {
    ASSERT_TRUE(codec::decodeBlock(bytes + at, samplesPerBlock, ours));  // sox's blocks may be larger than ours
  }
  ASSERT_GE(soxDecoded.size(), ours.size());
  EXPECT_TRUE(std::equal(ours.begin(), ours.end(), soxDecoded.begin()));

  const std::vector<std::int16_t> ref(pcm.begin(), pcm.begin() + std::ptrdiff_t(ours.size()));
  std::vector<std::int16_t> mine;
  codec::StreamEncoder enc;
  std::vector<std::uint8_t> wire;
  enc.feed(ref.data(), ref.size(), wire);
  enc.finish(wire);
  codec::StreamDecoder dec;
  ASSERT_TRUE(dec.feed(wire.data(), wire.size(), mine));
  EXPECT_GT(snrDb(ref, mine), snrDb(ref, ours) - 3.0);
}

TEST(ImaAdpcm, StreamFramesSurviveAnySplitAndEndPartial) {
  const auto& pcm = speech();
  const std::size_t n = 3 * codec::kSamplesPerBlock + 123;  // a partial last frame
  std::vector<std::uint8_t> wire;
  codec::StreamEncoder enc;
  for (std::size_t at = 0; at < n; at += 77) enc.feed(pcm.data() + at, std::min<std::size_t>(77, n - at), wire);
  enc.finish(wire);
  EXPECT_EQ(wire.size(), 3 * (2 + codec::kBlockBytes) + 2 + codec::blockBytes(123));

  std::vector<std::int16_t> whole, split;
  codec::StreamDecoder a, b;
  ASSERT_TRUE(a.feed(wire.data(), wire.size(), whole));
  for (const auto byte : wire) ASSERT_TRUE(b.feed(&byte, 1, split));
  EXPECT_EQ(whole.size(), n);
  EXPECT_EQ(split, whole);
  EXPECT_TRUE(b.atFrameBoundary());
  codec::StreamDecoder c;
  std::vector<std::int16_t> part;
  ASSERT_TRUE(c.feed(wire.data(), wire.size() - 1, part));
  EXPECT_FALSE(c.atFrameBoundary());  // a stream cut short is noticed
}

TEST(ImaAdpcm, MalformedFramesFailAndStayFailed) {
  std::vector<std::uint8_t> good;
  const std::int16_t pcm[3] = {100, 200, 300};
  codec::StreamEncoder enc;
  enc.feed(pcm, 3, good);
  enc.finish(good);
  const struct {
    const char* what;
    std::size_t at;
    std::uint8_t value;
  } cases[] = {
      {"zero samples", 0, 0},
      {"too many samples", 1, 0x02},  // 3 + 512
      {"step index beyond the table", 4, 89},
      {"reserved header byte set", 5, 1},
  };
  for (const auto& c : cases) {
    auto bad = good;
    bad[c.at] = c.value;
    codec::StreamDecoder d;
    std::vector<std::int16_t> out;
    EXPECT_FALSE(d.feed(bad.data(), bad.size(), out)) << c.what;
    EXPECT_FALSE(d.feed(good.data(), good.size(), out)) << c.what;
    EXPECT_FALSE(d.atFrameBoundary()) << c.what;
  }
}

}  // namespace
