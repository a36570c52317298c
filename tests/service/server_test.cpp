// The service in this process (HTTP front on threads, engines in child processes), spoken to over
// real loopback HTTP.
#include "service/server.h"

#include <gtest/gtest.h>

#include <future>
#include <memory>

#include "tests/service/audio_measure.h"
#include "tests/service/http_helpers.h"
#include "wire/ima_adpcm.h"

namespace lectavo::test {
namespace {

using service::ServerConfig;
using service::SpeechServer;

const std::string kPhrase = "今天天气很好，我们一起去公园散步吧。";
const std::string kHelloGbk = "\xc4\xe3\xba\xc3\xca\xc0\xbd\xe7";  // 你好世界
const std::string kHelloUtf8 = "你好世界";

std::unique_ptr<SpeechServer> startServer(unsigned workers, unsigned queue, int readTimeout = 5) {
  ServerConfig c;
  c.readTimeoutSeconds = readTimeout;
  c.ports = {0};
  c.workers = workers;
  c.queue = queue;
  c.engineExecutable = LECTAVO_SPEECHD;
  c.log = nullptr;
  auto s = std::make_unique<SpeechServer>(c);
  std::string error;
  EXPECT_TRUE(s->start(error)) << error;
  return s;
}

class Service : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { server_ = startServer(2, 4).release(); }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }
  static int port() { return server_->ports().at(0); }
  static std::vector<std::int16_t> speak(const std::string& p, const std::string& text = kPhrase) {
    const Reply r = post(port(), p, text);
    EXPECT_EQ(r.status, 200) << r.body;
    EXPECT_EQ(r.header("Content-Type"), "audio/L16;rate=16000");
    return samples(r.body);
  }
  static SpeechServer* server_;
};
SpeechServer* Service::server_ = nullptr;

TEST_F(Service, HealthPageNamesServiceAndVoicesAndChecksAnAppidGiven) {
  httplib::Client cli("127.0.0.1", port());
  auto r = cli.Get("/index.htm");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->status, 200);
  EXPECT_EQ(r->body, R"({"service":"lectavo-speechd","version":")" LECTAVO_VERSION
                     R"(","voices":["x_yiping","x_xiaoyuan","x_binge","x_nannan"]})");
  r = cli.Get("/index.htm", {{"X-Lectavo-Appid", kAppid}});
  ASSERT_TRUE(r);
  EXPECT_EQ(r->status, 200);
  r = cli.Get("/index.htm", {{"X-Lectavo-Appid", "00000000"}});
  ASSERT_TRUE(r);
  EXPECT_EQ(r->status, 403);
}

// Two women, a man and a child, told apart by what they sound like: their voice pitch.
TEST_F(Service, FourVoicesAreDistinctByTheirPitch) {
  const double yiping = medianF0(speak(params("x_yiping")));
  const double xiaoyuan = medianF0(speak(params("x_xiaoyuan")));
  const double binge = medianF0(speak(params("x_binge")));
  const double nannan = medianF0(speak(params("x_nannan")));
  RecordProperty("f0", std::to_string(yiping) + " " + std::to_string(xiaoyuan) + " " + std::to_string(binge) + " " +
                           std::to_string(nannan));
  EXPECT_GT(binge, 70);
  EXPECT_LT(binge * 1.3, std::min(yiping, xiaoyuan)) << "the man speaks lower than the women";
  EXPECT_GT(nannan, 1.3 * std::max(yiping, xiaoyuan)) << "the child speaks higher than the women";
  EXPECT_GT(std::max(yiping, xiaoyuan), 1.1 * std::min(yiping, xiaoyuan)) << "the two women differ";
}

TEST_F(Service, SpeedPitchAndVolumeHaveTheirEffect) {
  const auto slow = speak(params("x_yiping", 0)), normal = speak(params("x_yiping", 50)),
             fast = speak(params("x_yiping", 100));
  EXPECT_LT(fast.size(), normal.size());
  EXPECT_LT(normal.size(), slow.size());
  EXPECT_LT(fast.size() * 2, slow.size()) << "speed 100 is clearly shorter than speed 0";

  const double low = medianF0(speak(params("x_binge", 50, "UTF8", 0)));
  const double high = medianF0(speak(params("x_binge", 50, "UTF8", 100)));
  EXPECT_GT(high, low * 1.2);

  const double quiet = rms(speak(params("x_yiping", 50, "UTF8", 70, 20)));
  const double loud = rms(speak(params("x_yiping", 50, "UTF8", 70, 100)));
  EXPECT_GT(loud, quiet * 2);
}

TEST_F(Service, SameRequestSameAudioWhateverTheTextEncoding) {
  const auto utf8 = speak(params("x_nannan", 50, "UTF8"), kHelloUtf8);
  EXPECT_GT(utf8.size(), 8000u);
  // (Whole-buffer comparisons: a failure should not print megabytes of samples.)
  EXPECT_TRUE(speak(params("x_nannan", 50, "GB2312"), kHelloGbk) == utf8);
  EXPECT_TRUE(speak(params("x_nannan", 50, "GBK"), kHelloGbk) == utf8);
  EXPECT_TRUE(speak(params("x_nannan", 50, "UTF8"), kHelloUtf8) == utf8);
}

TEST_F(Service, TheProgramsOwnParameterTextWorksAsSent) {
  // Speed straight from the speed box, leading space included.
  const std::string sent = "aue=raw,auf=audio/L16;rate=16000,bgs=0,ent=intp65,pitch=70,speed= 50,tte=GB2312,"
                           "vcn=x_xiaoyuan,volume=100";
  EXPECT_TRUE(speak(sent, kHelloGbk) == speak(params("x_xiaoyuan", 50, "GB2312"), kHelloGbk));
}

TEST_F(Service, BadRequestsGetClearErrors) {
  const struct {
    const char* what;
    std::string params, text, appid, codec;
    int status;
    std::string key;
  } cases[] = {
      {"unknown key", "vcn=x_yiping,colour=red", kHelloUtf8, kAppid, "", 400, "colour"},
      {"bad value", params("x_bob"), kHelloUtf8, kAppid, "", 400, "vcn"},
      {"pair without '='", "tte=UTF8,speed", kHelloUtf8, kAppid, "", 400, "speed"},
      {"text not in the named encoding", params("x_yiping", 50, "UTF8"), kHelloGbk, kAppid, "", 400, "tte"},
      {"unknown codec", params("x_yiping"), kHelloUtf8, kAppid, "mp3", 400, "codec"},
      {"unknown appid", params("x_yiping"), kHelloUtf8, "12345678", "", 403, "appid"},
      {"no appid", params("x_yiping"), kHelloUtf8, "", "", 403, "appid"},
      {"text over 2048 bytes", params("x_yiping"), std::string(2049, 'a'), kAppid, "", 413, ""},
  };
  for (const auto& c : cases) {
    const Reply r = post(port(), c.params, c.text, c.appid, c.codec);
    EXPECT_EQ(r.status, c.status) << c.what;
    EXPECT_EQ(r.header("Content-Type"), "application/json") << c.what;
    EXPECT_NE(r.body.find("\"error\":"), std::string::npos) << c.what << ": " << r.body;
    if (!c.key.empty()) {
      EXPECT_NE(r.body.find("\"key\":\"" + c.key + "\""), std::string::npos) << c.what << ": " << r.body;
    }
  }
  // Exactly at the limit is fine.
  EXPECT_EQ(post(port(), params("x_yiping"), std::string(2048, ' ')).status, 200);
}

TEST_F(Service, MalformedHttpIsAnswered400) {
  const std::string cases[] = {
      "HELLO\r\n\r\n",
      "GET /index.htm HTTP/9\r\n\r\n",
      "GET  HTTP/1.1\r\n\r\n",
      "GET /index.htm HTTP/1.1\r\nX-Long: " + std::string(9000, 'a') + "\r\n\r\n",
      "POST /tts HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n",
  };
  for (const std::string& req : cases) {
    RawConnection c(port());
    ASSERT_TRUE(c.connected());
    c.send(req);
    c.readUntil([](const std::string& d) { return d.find('}') != std::string::npos; }, 5000);
    EXPECT_EQ(c.data.substr(0, 12), "HTTP/1.1 400") << req.substr(0, 40) << " -> " << c.data;
    EXPECT_NE(c.data.find("{\"error\":"), std::string::npos) << c.data;
  }
}

TEST_F(Service, CompressedAudioDecodesToTheSameSpeech) {
  const Reply pcm = post(port(), params("x_binge"), kPhrase);
  const Reply ima = post(port(), params("x_binge"), kPhrase, kAppid, "ima-adpcm");
  ASSERT_EQ(ima.status, 200);
  EXPECT_EQ(ima.header("Content-Type"), "audio/x-lectavo-ima-adpcm;rate=16000");
  EXPECT_LT(ima.body.size() * 3, pcm.body.size());
  codec::StreamDecoder dec;
  std::vector<std::int16_t> decoded;
  ASSERT_TRUE(dec.feed(reinterpret_cast<const std::uint8_t*>(ima.body.data()), ima.body.size(), decoded));
  EXPECT_TRUE(dec.atFrameBoundary());
  const auto ref = samples(pcm.body);
  ASSERT_EQ(decoded.size(), ref.size());
  double sig = 0, noise = 0;
  for (std::size_t i = 0; i < ref.size(); ++i) {
    sig += double(ref[i]) * ref[i];
    noise += (double(ref[i]) - decoded[i]) * (double(ref[i]) - decoded[i]);
  }
  EXPECT_GT(10 * std::log10(sig / noise), 20.0);
}

TEST_F(Service, ConcurrentRequestsNeverMixTheirAudio) {
  const std::string a = params("x_binge"), b = params("x_nannan", 80);
  const std::string textB = "床前明月光，疑是地上霜。";
  const auto refA = speak(a), refB = speak(b, textB);
  for (int round = 0; round < 3; ++round) {
    auto fa = std::async(std::launch::async, [&] { return post(port(), a, kPhrase); });
    auto fb = std::async(std::launch::async, [&] { return post(port(), b, textB); });
    const Reply ra = fa.get(), rb = fb.get();
    EXPECT_TRUE(samples(ra.body) == refA) << "round " << round;
    EXPECT_TRUE(samples(rb.body) == refB) << "round " << round;
  }
}

// One engine and no queue: what holds the engine, and what is turned away meanwhile.
TEST(ServiceLimits, AudioStreamsAndStopsWhenTheClientGoes) {
  auto server = startServer(1, 0);
  const int port = server->ports().at(0);
  RawConnection c(port, 4096);
  ASSERT_TRUE(startStalledStream(c));
  EXPECT_EQ(c.data.substr(0, 12), "HTTP/1.1 200");
  EXPECT_NE(c.data.find("Transfer-Encoding: chunked"), std::string::npos);
  // Audio is here while the engine is still speaking: the first audio left long before the end.
  EXPECT_EQ(server->stats().completed.load(), 0u);

  // Meanwhile the engine is taken and nothing may wait: turned away, told when to come back.
  const Reply busy = post(port, params("x_yiping"), kHelloUtf8);
  EXPECT_EQ(busy.status, 503);
  EXPECT_EQ(busy.header("Retry-After"), "1");
  EXPECT_NE(busy.body.find("busy"), std::string::npos);

  c.close();
  EXPECT_TRUE(eventually([&] { return server->stats().clientGone.load() == 1; }));
  EXPECT_EQ(server->stats().completed.load(), 0u);
  // The engine is free again at once.
  EXPECT_EQ(post(port, params("x_yiping"), kHelloUtf8).status, 200);
}

TEST(ServiceLimits, AQueuedRequestWaitsForItsTurn) {
  auto server = startServer(1, 1);
  const int port = server->ports().at(0);
  RawConnection holder(port, 4096);
  ASSERT_TRUE(startStalledStream(holder));
  auto queued = std::async(std::launch::async, [&] { return post(port, params("x_binge"), kHelloUtf8); });
  ASSERT_TRUE(eventually([&] { return server->queued() == 1; }));
  EXPECT_EQ(post(port, params("x_binge"), kHelloUtf8).status, 503) << "the queue's one place is taken";
  holder.close();
  EXPECT_EQ(queued.get().status, 200);
}

TEST(ServiceLimits, AClientThatStopsSendingIsCutOff) {
  auto server = startServer(1, 0, 1);
  RawConnection c(server->ports().at(0));
  ASSERT_TRUE(c.send("POST /tts HTTP/1.1\r\nContent-Length: 100\r\n\r\nonly part of it"));
  const auto t0 = std::chrono::steady_clock::now();
  EXPECT_TRUE(c.readAll(4000)) << "still open after 4 s";
  EXPECT_GE(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(900));
  EXPECT_EQ(c.data.substr(0, 12), "HTTP/1.1 400");
  // The engine was never taken.
  EXPECT_EQ(post(server->ports().at(0), params("x_yiping"), kHelloUtf8).status, 200);
}

}  // namespace
}  // namespace lectavo::test
