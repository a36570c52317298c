#include <gtest/gtest.h>

#include "sdk/msc/client_config.h"

namespace lectavo::msc {
namespace {

TEST(ClientConfig, TheProgramsConfiguration) {
  const auto r = parseClientConfig(
      "server_url=localhost:1028/index.htm,appid=7f21ac4e,timeout=10000,coding_libs=speex.dll,max_text_size=2048");
  ASSERT_TRUE(r.config) << r.error;
  EXPECT_EQ(r.config->host, "localhost");
  EXPECT_EQ(r.config->port, 1028);
  EXPECT_EQ(r.config->path, "/index.htm");
  EXPECT_EQ(r.config->appid, "7f21ac4e");
  EXPECT_EQ(r.config->timeoutMs, 10000u);
  EXPECT_EQ(r.config->codingLibs, "speex.dll");
  EXPECT_EQ(r.config->maxTextSize, 2048u);
}

TEST(ClientConfig, DefaultsAndUrlForms) {
  const auto r = parseClientConfig("appid=a,server_url=http://127.0.0.2,future_key=1,");
  ASSERT_TRUE(r.config) << r.error;
  EXPECT_EQ(r.config->host, "127.0.0.2");
  EXPECT_EQ(r.config->port, 80);
  EXPECT_EQ(r.config->path, "/");
  EXPECT_EQ(r.config->codingLibs, "");
  EXPECT_EQ(r.config->maxTextSize, 2048u);
}

TEST(ClientConfig, BadTextsNameTheKey) {
  const char* base = ",appid=a";
  struct Case {
    std::string text;
    std::string key;
  };
  const Case cases[] = {
      {"", "server_url"},
      {"server_url=h:80/x", "appid"},
      {std::string("server_url=h:0/x") + base, "server_url"},
      {std::string("server_url=h:65536/x") + base, "server_url"},
      {std::string("server_url=h:8o/x") + base, "server_url"},
      {std::string("server_url=:80/x") + base, "server_url"},
      {std::string("server_url=h/x,timeout=-5") + base, "timeout"},
      {std::string("server_url=h/x,timeout=10s") + base, "timeout"},
      {std::string("server_url=h/x,max_text_size=99999999999") + base, "max_text_size"},
      {std::string("server_url=h/x,coding_libs=..\\evil.dll") + base, "coding_libs"},
      {std::string("server_url=h/x,coding_libs=C:codec.dll") + base, "coding_libs"},
      {std::string("server_url=h/x,appid=") , "appid"},
      {std::string("server_url=h/x,server_url=g/x") + base, "server_url"},
      {std::string("server_url=h/x,junk") + base, "junk"},
  };
  for (const auto& c : cases) {
    const auto r = parseClientConfig(c.text);
    EXPECT_FALSE(r.config) << c.text;
    EXPECT_NE(r.error.find(c.key), std::string::npos) << c.text << " -> " << r.error;
  }
}

}  // namespace
}  // namespace lectavo::msc
