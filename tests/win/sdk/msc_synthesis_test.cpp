// Sessions and synthesis through msc.dll against the real service.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>

#include "support.h"

namespace sdktest {
namespace {

const std::string kLine1 = "春眠不觉晓，处处闻啼鸟。";
const std::string kLine2 = "夜来风雨声，花落知多少。";

double seconds(const std::string& pcm) { return pcm.size() / 32000.0; }

class MscSynthesis : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(servicePort(), 0) << "no test service (LECTAVO_SERVICE_DIR)";
    ASSERT_EQ(QTTSInit(configFor(servicePort()).c_str()), 0);
  }
  void TearDown() override { QTTSFini(); }
};

TEST_F(MscSynthesis, SessionBeginChecksTheParameterText) {
  struct Case {
    std::string params;
    int code;
  };
  const std::string base = "aue=raw,auf=audio/L16;rate=16000,bgs=0,ent=intp65,pitch=70,speed=50,tte=GB2312,";
  const Case cases[] = {
      {kParams, 0},
      {base + "vcn=x_nannan,volume=100", 0},
      {"aue=raw,auf=audio/L16;rate=16000,bgs=0,ent=intp65,pitch=70,speed= 50,tte=GB2312,vcn=x_binge,volume=100", 0},
      {base + "vcn=x_nobody,volume=100", MSC_ERROR_UNKNOWN_VOICE},
      {base + "vcn=x_yiping,volume=100,colour=red", MSC_ERROR_PARAMS_MALFORMED},
      {base + "vcn=x_yiping,volume", MSC_ERROR_PARAMS_MALFORMED},
  };
  std::set<std::string> ids;
  for (const auto& c : cases) {
    int err = -1;
    const char* sid = QTTSSessionBegin(c.params.c_str(), &err);
    EXPECT_EQ(err, c.code) << c.params;
    EXPECT_EQ(sid != nullptr, c.code == 0) << c.params;
    if (sid) {
      EXPECT_TRUE(ids.insert(sid).second) << "a fresh identifier for every session";
    }
  }
  int err = -1;
  EXPECT_EQ(QTTSSessionBegin(nullptr, &err), nullptr);
  EXPECT_EQ(err, MSC_ERROR_INVALID_ARGUMENT);
}

TEST_F(MscSynthesis, SeveralPiecesInOneSessionComeInOrderAndWhole) {
  const Fetched one = synthesize(kLine1);
  const Fetched two = synthesize(kLine2);
  ASSERT_TRUE(one.ended && two.ended);
  ASSERT_EQ(one.error, 0);
  EXPECT_GT(seconds(one.pcm), 0.8);
  EXPECT_LT(seconds(one.pcm), 8.0);
  EXPECT_EQ(one.pcm.size() % 2, 0u);

  int err = 0;
  const std::string sid = QTTSSessionBegin(kParams, &err);
  // Piece by piece, as the reading worker does ...
  for (const std::string* piece : {&kLine1, &kLine2}) {
    QTTSTextPut(sid.c_str(), piece->data(), static_cast<unsigned>(piece->size()), "");
    const Fetched f = fetchAll(sid.c_str());
    EXPECT_TRUE(f.ended);
    EXPECT_EQ(f.error, 0);
    EXPECT_EQ(f.pcm, piece == &kLine1 ? one.pcm : two.pcm);
  }
  // ... and two puts before the first fetch: status 2 only after both.
  QTTSTextPut(sid.c_str(), kLine1.data(), static_cast<unsigned>(kLine1.size()), "");
  QTTSTextPut(sid.c_str(), kLine2.data(), static_cast<unsigned>(kLine2.size()), "");
  EXPECT_EQ(fetchAll(sid.c_str()).pcm, one.pcm + two.pcm);
  EXPECT_EQ(QTTSSessionEnd(sid.c_str(), ""), 0);
  EXPECT_EQ(QTTSSessionEnd(sid.c_str(), ""), MSC_ERROR_INVALID_SESSION);
}

TEST_F(MscSynthesis, TextLongerThanTheServiceTakesIsSplitTransparently) {
  std::string text;
  while (text.size() < 2 * 2048 + 100) text += kLine1 + kLine2 + "1 2 3, ";
  const Fetched whole = synthesize(text);
  EXPECT_TRUE(whole.ended);
  EXPECT_EQ(whole.error, 0) << "a single request of this size is refused by the service";
  const Fetched firstPart = synthesize(text.substr(0, 2000));
  EXPECT_GT(whole.pcm.size(), 2 * firstPart.pcm.size());
}

TEST_F(MscSynthesis, VoiceAndSpeedReachTheService) {
  const std::string base = "aue=raw,auf=audio/L16;rate=16000,bgs=0,ent=intp65,pitch=70,tte=GB2312,volume=100,";
  const Fetched slow = synthesize(kLine1, (base + "speed=10,vcn=x_yiping").c_str());
  const Fetched fast = synthesize(kLine1, (base + "speed=90,vcn=x_yiping").c_str());
  const Fetched other = synthesize(kLine1, (base + "speed=10,vcn=x_binge").c_str());
  ASSERT_EQ(slow.error + fast.error + other.error, 0);
  EXPECT_GT(slow.pcm.size(), fast.pcm.size() * 3 / 2);
  EXPECT_NE(slow.pcm, other.pcm);
}

// Decoded ADPCM from speex.dll against the plain PCM of the same text.
TEST_F(MscSynthesis, CompressedAndPlainAudioAgree) {
  const Fetched adpcm = synthesize(kLine1);
  ASSERT_EQ(QTTSInit(configFor(servicePort(), ",coding_libs=no-such-codec.dll").c_str()), 0);
  const Fetched pcm = synthesize(kLine1);
  ASSERT_EQ(adpcm.error + pcm.error, 0);
  ASSERT_EQ(adpcm.pcm.size(), pcm.pcm.size());
  ASSERT_NE(adpcm.pcm, pcm.pcm) << "the two requests took different codecs";
  const std::size_t n = pcm.pcm.size() / 2;
  std::vector<short> a(n), b(n);
  std::memcpy(a.data(), adpcm.pcm.data(), n * 2);
  std::memcpy(b.data(), pcm.pcm.data(), n * 2);
  double signal = 0, noise = 0;
  for (std::size_t i = 0; i < n; ++i) {
    signal += double(b[i]) * b[i];
    noise += double(a[i] - b[i]) * (a[i] - b[i]);
  }
  EXPECT_GT(10 * std::log10(signal / (noise + 1)), 20.0) << "signal to noise in dB";
}

}  // namespace
}  // namespace sdktest
