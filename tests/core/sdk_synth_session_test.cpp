#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "sdk/msc/msc_errors.h"
#include "sdk/msc/synth_session.h"

namespace lectavo::msc {
namespace {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

// Answers each text with its bytes as audio, in two deliveries; a text "fail" fails after the first;
// a text "hold" delivers once and then blocks until released or stopped.
class ScriptedSynthesizer : public Synthesizer {
 public:
  int synthesize(const std::string& text, const std::function<void(Bytes&&)>& onAudio,
                 const std::atomic<bool>& stop) override {
    const std::size_t half = text.size() / 2;
    onAudio(Bytes(text.begin(), text.begin() + half));
    if (text == "fail") return MSC_ERROR_NETWORK;
    if (text == "hold") {
      std::unique_lock<std::mutex> h(lock);
      released.wait(h, [&] { return release || stop; });
    }
    onAudio(Bytes(text.begin() + half, text.end()));
    return 0;
  }
  // Ending a session must cut the request short through here.
  void abort() override {
    std::lock_guard<std::mutex> h(lock);
    released.notify_all();
  }
  std::mutex lock;
  std::condition_variable released;
  bool release = false;
};

struct Drained {
  std::string audio;
  int error = 0;
  bool ended = false;  // status 2 seen
};

Drained drain(SynthSession& s, milliseconds limit = milliseconds(5000)) {
  Drained d;
  const auto end = Clock::now() + limit;
  while (Clock::now() < end) {
    const AudioHandout h = s.take(20);
    d.audio.append(reinterpret_cast<const char*>(h.data), h.length);
    if (h.status == 2) {
      d.error = h.error;
      d.ended = true;
      break;
    }
  }
  return d;
}

// The first delivery of a "hold" text.
AudioHandout firstAudio(SynthSession& s) {
  AudioHandout h;
  for (int i = 0; i < 100 && h.length == 0; ++i) h = s.take(20);
  return h;
}

std::shared_ptr<SynthSession> session(ScriptedSynthesizer*& fake) {
  auto synth = std::make_unique<ScriptedSynthesizer>();
  fake = synth.get();
  return std::make_shared<SynthSession>("s1", std::move(synth));
}

TEST(SynthSession, AudioOfEveryPartInOrderThenStatusTwo) {
  ScriptedSynthesizer* fake = nullptr;
  auto s = session(fake);
  EXPECT_EQ(s->take(0).status, 2) << "nothing put: nothing to wait for";
  s->put({"abcd", "efgh"});
  s->put({"ij"});
  const Drained d = drain(*s);
  EXPECT_TRUE(d.ended);
  EXPECT_EQ(d.error, 0);
  EXPECT_EQ(d.audio, "abcdefghij");
  // Later texts in the same session work the same way.
  s->put({"klmn"});
  EXPECT_EQ(drain(*s).audio, "klmn");
  s->end();
}

TEST(SynthSession, FailureEndsTheTextPutSoFarOnceAndTheNextTextWorks) {
  ScriptedSynthesizer* fake = nullptr;
  auto s = session(fake);
  s->put({"ab", "fail", "dropped"});
  const Drained d = drain(*s);
  EXPECT_TRUE(d.ended);
  EXPECT_EQ(d.error, MSC_ERROR_NETWORK);
  EXPECT_EQ(d.audio, "abfa") << "audio before the failure is kept, the parts after it are dropped";
  s->put({"xy"});
  const Drained again = drain(*s);
  EXPECT_EQ(again.error, 0);
  EXPECT_EQ(again.audio, "xy");
  s->end();
}

TEST(SynthSession, EndMidPieceReturnsAtOnceAndHandsOutNothingMore) {
  ScriptedSynthesizer* fake = nullptr;
  auto s = session(fake);
  s->put({"hold"});
  ASSERT_EQ(firstAudio(*s).length, 2u);
  const auto t0 = Clock::now();
  s->end();
  EXPECT_LT(Clock::now() - t0, milliseconds(100));
  const AudioHandout after = s->take(20);
  EXPECT_EQ(after.length, 0u);
  EXPECT_EQ(after.status, 2);
  EXPECT_NE(after.error, 0);
  EXPECT_TRUE(s->waitEnded(2000)) << "the worker sees the stop and ends";
}

TEST(SynthSession, TakeWaitsForAudioStillToCome) {
  ScriptedSynthesizer* fake = nullptr;
  auto s = session(fake);
  s->put({"hold"});
  ASSERT_EQ(firstAudio(*s).status, 1);
  std::thread releaser([&] {
    std::this_thread::sleep_for(milliseconds(30));
    std::lock_guard<std::mutex> g(fake->lock);
    fake->release = true;
    fake->released.notify_all();
  });
  // Arrives within the wait: handed out by this one call, with status 2 as it is the last.
  const AudioHandout rest = s->take(2000);
  releaser.join();
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(rest.data), rest.length), "ld");
  EXPECT_EQ(rest.status, 2);
  s->end();
}

}  // namespace
}  // namespace lectavo::msc
