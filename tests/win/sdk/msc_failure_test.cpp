// What msc.dll sends, and how it ends when the service misbehaves: scripted servers on loopback.
#include <gtest/gtest.h>

#include <cstring>

#include "fake_server.h"
#include "support.h"
#include "wire/ima_adpcm.h"

namespace sdktest {
namespace {

std::string configFor(const FakeServer& s, const std::string& extra) {
  return "server_url=127.0.0.1:" + std::to_string(s.port()) + "/index.htm,appid=" + kAppid + extra;
}

// Health page for GET; the synthesis answer for POST.
FakeServer serverAnswering(std::function<Reply(const Request&)> synthesis) {
  return FakeServer([synthesis](const Request& r) { return r.method == "GET" ? healthyPage() : synthesis(r); });
}

struct Session {
  std::string id;
  explicit Session(const std::string& text) {
    int err = -1;
    const char* sid = QTTSSessionBegin(kParams, &err);
    EXPECT_EQ(err, 0);
    if (sid) id = sid;
    QTTSTextPut(id.c_str(), text.data(), static_cast<unsigned>(text.size()), "");
  }
  ~Session() { QTTSSessionEnd(id.c_str(), ""); }
};

Reply pcmReply(std::vector<std::string> chunks, Reply::End end = Reply::End::finish, int gapMs = 0) {
  Reply r;
  r.chunks = std::move(chunks);
  r.end = end;
  r.chunkGapMs = gapMs;
  return r;
}

std::string joined(const std::vector<std::string>& parts) {
  std::string all;
  for (const auto& p : parts) all += p;
  return all;
}

TEST(MscRequests, LongTextIsSplitAtCharactersAndAudioKeepsItsOrder) {
  FiniGuard fini;
  // Each request is answered with its own text as "audio" (padded to whole samples).
  FakeServer server = serverAnswering([](const Request& r) {
    std::string body = r.body;
    if (body.size() % 2) body += '.';
    return pcmReply({body.substr(0, body.size() / 2), body.substr(body.size() / 2)});
  });
  ASSERT_EQ(QTTSInit(configFor(server, ",timeout=5000,coding_libs=no-such-codec.dll,max_text_size=64").c_str()), 0);
  std::string text = "x";  // puts the double-byte characters on odd offsets
  while (text.size() < 300) text += "春眠不觉晓，处处闻啼鸟。ab";
  Session s(text);
  const Fetched f = fetchAll(s.id.c_str());
  EXPECT_TRUE(f.ended);
  EXPECT_EQ(f.error, 0);

  const auto posts = server.requests("POST");
  ASSERT_GE(posts.size(), 5u);
  std::string sent, expectedAudio;
  for (const auto& p : posts) {
    EXPECT_LE(p.body.size(), 64u);
    sent += p.body;
    expectedAudio += p.body.size() % 2 ? p.body + "." : p.body;
    // Never a cut inside a character: each request is valid code-page-936 text on its own.
    EXPECT_GT(MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, p.body.data(), int(p.body.size()), nullptr, 0), 0);
    EXPECT_EQ(p.path, "/tts");
    EXPECT_EQ(p.header("x-lectavo-params"), kParams);
    EXPECT_EQ(p.header("x-lectavo-appid"), kAppid);
    EXPECT_EQ(p.header("x-lectavo-codec"), "pcm") << "no codec library: plain PCM";
  }
  EXPECT_EQ(sent, text);
  EXPECT_EQ(f.pcm, expectedAudio);
}

TEST(MscRequests, WithTheCodecLibraryAudioTravelsCompressed) {
  FiniGuard fini;
  std::vector<std::int16_t> samples(1500);
  for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<std::int16_t>((i * 97) % 20000 - 10000);
  std::vector<std::uint8_t> wire;
  lectavo::codec::StreamEncoder enc;
  enc.feed(samples.data(), samples.size(), wire);
  enc.finish(wire);
  std::vector<std::int16_t> expected;
  lectavo::codec::StreamDecoder dec;
  ASSERT_TRUE(dec.feed(wire.data(), wire.size(), expected));

  FakeServer server = serverAnswering([&](const Request& r) {
    Reply reply;
    if (r.header("x-lectavo-codec") != "ima-adpcm") {
      reply.status = "400 Bad Request";
      return reply;
    }
    reply.contentType = "audio/x-lectavo-ima-adpcm;rate=16000";
    const std::string bytes(wire.begin(), wire.end());
    reply.chunks = {bytes.substr(0, 301), bytes.substr(301)};  // split inside a frame
    return reply;
  });
  ASSERT_EQ(QTTSInit(configFor(server, ",coding_libs=speex.dll").c_str()), 0);
  Session s("abc");
  const Fetched f = fetchAll(s.id.c_str());
  EXPECT_EQ(f.error, 0);
  ASSERT_EQ(f.pcm.size(), expected.size() * 2);
  EXPECT_EQ(std::memcmp(f.pcm.data(), expected.data(), f.pcm.size()), 0);
}

TEST(MscFailures, EachEndsWithStatusTwoAndAnError) {
  FiniGuard fini;
  struct Case {
    const char* what;
    Reply reply;
    int error;
    std::string audioBefore;  // handed out before the failure at least
  };
  Reply refused;
  refused.status = "413 Payload Too Large";
  refused.contentType = "application/json";
  Reply stallBeforeAnswer;
  stallBeforeAnswer.sendHead = false;
  const Case cases[] = {
      {"killed mid-piece", pcmReply({"abcd", "efgh", "ijkl"}, Reply::End::drop, 30), MSC_ERROR_NETWORK, "abcd"},
      {"silent after some audio", pcmReply({"abcd", "efgh", "ijkl"}, Reply::End::stall, 30), MSC_ERROR_TIMEOUT, "abcd"},
      {"no answer at all", stallBeforeAnswer, MSC_ERROR_TIMEOUT, ""},
      {"refused", refused, MSC_ERROR_REQUEST_REFUSED, ""},
      {"odd byte count", pcmReply({"abc"}), MSC_ERROR_AUDIO_MALFORMED, "ab"},
  };
  for (const auto& c : cases) {
    FakeServer server = serverAnswering([&](const Request&) { return c.reply; });
    ASSERT_EQ(QTTSInit(configFor(server, ",timeout=500,coding_libs=no-such-codec.dll").c_str()), 0);
    const ULONGLONG t0 = GetTickCount64();
    Session s("piece");
    const Fetched f = fetchAll(s.id.c_str(), 10000);
    EXPECT_TRUE(f.ended) << c.what << ": no hang";
    EXPECT_EQ(f.error, c.error) << c.what;
    EXPECT_EQ(f.pcm.substr(0, c.audioBefore.size()), c.audioBefore) << c.what;
    EXPECT_EQ(joined(c.reply.chunks).substr(0, f.pcm.size()), f.pcm) << c.what << ": nothing but what was sent";
    EXPECT_LT(GetTickCount64() - t0, 5000u) << c.what;
    // The session stays usable: the next text is tried afresh (and fails the same way).
    QTTSTextPut(s.id.c_str(), "x", 1, "");
    EXPECT_EQ(fetchAll(s.id.c_str(), 10000).error, c.error) << c.what;
  }
}

TEST(MscFailures, ServiceGoneAfterInit) {
  FiniGuard fini;
  auto server = std::make_unique<FakeServer>([](const Request& r) { return r.method == "GET" ? healthyPage() : pcmReply({"ab"}); });
  ASSERT_EQ(QTTSInit(configFor(*server, ",timeout=2000").c_str()), 0);
  server.reset();
  Session s("piece");
  const Fetched f = fetchAll(s.id.c_str(), 10000);
  EXPECT_TRUE(f.ended);
  EXPECT_EQ(f.error, MSC_ERROR_NETWORK);
}

TEST(MscFailures, SessionEndMidPieceCancelsAtOnce) {
  FiniGuard fini;
  FakeServer server = serverAnswering([](const Request& r) {
    return r.body == "next" ? pcmReply({"next"}) : pcmReply({"abcd", "efgh", "ijkl"}, Reply::End::stall, 30);
  });
  ASSERT_EQ(QTTSInit(configFor(server, ",timeout=10000").c_str()), 0);
  int err = 0;
  const std::string sid = QTTSSessionBegin(kParams, &err);
  QTTSTextPut(sid.c_str(), "long", 4, "");
  unsigned len = 0;
  int status = 0;
  for (int i = 0; i < 200 && len == 0; ++i) QTTSAudioGet(sid.c_str(), &len, &status, &err);
  ASSERT_EQ(len, 4u);
  // Once nothing more arrives, a call waits a little instead of returning empty at once.
  bool sawEmpty = false;
  for (int i = 0; i < 50 && !sawEmpty; ++i) {
    const ULONGLONG w0 = GetTickCount64();
    if (QTTSAudioGet(sid.c_str(), &len, &status, &err) == nullptr) {
      sawEmpty = true;
      EXPECT_GE(GetTickCount64() - w0, 20u);
      EXPECT_EQ(status, 1);
    }
  }
  EXPECT_TRUE(sawEmpty);

  const ULONGLONG t0 = GetTickCount64();
  EXPECT_EQ(QTTSSessionEnd(sid.c_str(), ""), 0);
  EXPECT_LT(GetTickCount64() - t0, 1000u) << "the stalled request does not hold the caller";
  EXPECT_EQ(QTTSAudioGet(sid.c_str(), &len, &status, &err), nullptr);
  EXPECT_EQ(status, 2);
  EXPECT_EQ(err, MSC_ERROR_INVALID_SESSION);
  // The next session is not disturbed by the one that was cut off.
  Session next("next");
  const Fetched f = fetchAll(next.id.c_str());
  EXPECT_EQ(f.error, 0);
  EXPECT_EQ(f.pcm, "next");
}

}  // namespace
}  // namespace sdktest
