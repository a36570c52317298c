#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "speech/server_choice.h"

namespace lectavo::speech {
namespace {

// Answers for the targets in `up`; records every probe.
class FakeProber : public Prober {
 public:
  explicit FakeProber(std::set<std::string> up) : up_(std::move(up)) {}
  long probe(const std::string& target, unsigned timeoutMs) override {
    probed.push_back(target);
    timeouts.push_back(timeoutMs);
    return up_.count(target) ? 0 : -1;  // 0 ms is an answer too
  }
  std::vector<std::string> probed;
  std::vector<unsigned> timeouts;

 private:
  std::set<std::string> up_;
};

TEST(ServerChoice, FirstTargetThatAnswersWinsAndProbingStops) {
  struct Case {
    std::set<std::string> up;
    std::string server;
    std::vector<std::string> probed;
  };
  const std::vector<Case> cases = {
      {{"localhost", "127.0.0.1"}, "localhost:80/index.htm", {"localhost"}},
      {{"127.0.0.2", "127.0.0.3"}, "127.0.0.2:80/index.htm", {"localhost", "127.0.0.1", "127.0.0.2"}},
      {{"127.0.0.3"}, "127.0.0.3:80/index.htm", {"localhost", "127.0.0.1", "127.0.0.2", "127.0.0.3"}},
      {{}, "localhost:1028/index.htm", {"localhost", "127.0.0.1", "127.0.0.2", "127.0.0.3"}},
  };
  for (const auto& c : cases) {
    FakeProber prober(c.up);
    EXPECT_EQ(chooseServer(prober), c.server);
    EXPECT_EQ(prober.probed, c.probed);
    for (unsigned t : prober.timeouts) EXPECT_EQ(t, 3000u);
  }
}

TEST(ServerChoice, ConfigurationTextIsPlainConcatenation) {
  FakeProber none({});
  EXPECT_EQ(configText(chooseServer(none)),
            "server_url=localhost:1028/index.htm,appid=7f21ac4e,timeout=10000,coding_libs=speex.dll,"
            "max_text_size=2048");
}

}  // namespace
}  // namespace lectavo::speech
