// QTTSInit against the real service and against servers that are not it.
#include <gtest/gtest.h>

#include "fake_server.h"
#include "support.h"

namespace sdktest {
namespace {

TEST(MscInit, SucceedsAgainstTheServiceAndSessionsNeedIt) {
  FiniGuard fini;
  int err = 0;
  EXPECT_EQ(QTTSSessionBegin(kParams, &err), nullptr);
  EXPECT_EQ(err, MSC_ERROR_NOT_INITIALISED);

  ASSERT_NE(servicePort(), 0) << "no test service (LECTAVO_SERVICE_DIR)";
  ASSERT_EQ(QTTSInit(configFor(servicePort()).c_str()), 0);
  // The program's own configuration form: a host name, the fixed keys in their order.
  const std::string programForm = "server_url=localhost:" + std::to_string(servicePort()) +
                                  "/index.htm,appid=7f21ac4e,timeout=10000,coding_libs=speex.dll,max_text_size=2048";
  EXPECT_EQ(QTTSInit(programForm.c_str()), 0);
  EXPECT_EQ(QTTSFini(), 0);
  EXPECT_EQ(QTTSSessionBegin(kParams, &err), nullptr) << "after QTTSFini nothing is left to use";
  EXPECT_EQ(err, MSC_ERROR_NOT_INITIALISED);
}

TEST(MscInit, EachFailureHasItsOwnCode) {
  FiniGuard fini;
  ASSERT_NE(servicePort(), 0);
  FakeServer webServer([](const Request&) {
    Reply r;
    r.contentType = "text/html";
    r.chunks = {"<html>it works</html>"};
    return r;
  });
  const std::string port = std::to_string(servicePort());
  struct Case {
    std::string config;
    int code;
  };
  const Case cases[] = {
      {"", MSC_ERROR_CONFIG_MALFORMED},
      {"appid=7f21ac4e", MSC_ERROR_CONFIG_MALFORMED},
      {"server_url=127.0.0.1:" + port + "/index.htm,appid=7f21ac4e,timeout=ten", MSC_ERROR_CONFIG_MALFORMED},
      {"server_url=127.0.0.1:" + port + "/index.htm;appid=7f21ac4e", MSC_ERROR_CONFIG_MALFORMED},
      {configFor(closedPort()), MSC_ERROR_SERVICE_UNREACHABLE},
      {"server_url=127.0.0.1:" + port + "/index.htm,appid=0badc0de", MSC_ERROR_APPID_REFUSED},
      {configFor(webServer.port()), MSC_ERROR_SERVICE_UNUSABLE},
  };
  for (const auto& c : cases) EXPECT_EQ(QTTSInit(c.config.c_str()), c.code) << c.config;
  EXPECT_EQ(QTTSInit(nullptr), MSC_ERROR_CONFIG_MALFORMED);
  // The appid travels with the health check.
  ASSERT_FALSE(webServer.requests().empty());
  EXPECT_EQ(webServer.requests()[0].header("x-lectavo-appid"), kAppid);
  EXPECT_EQ(webServer.requests()[0].path, "/index.htm");
}

TEST(MscInit, SilentServiceFailsWithinTheTimeout) {
  FiniGuard fini;
  FakeServer silent([](const Request&) {
    Reply r;
    r.sendHead = false;
    return r;
  });
  const ULONGLONG t0 = GetTickCount64();
  const std::string config = "server_url=127.0.0.1:" + std::to_string(silent.port()) + "/index.htm,appid=a,timeout=400";
  EXPECT_EQ(QTTSInit(config.c_str()), MSC_ERROR_SERVICE_UNREACHABLE);
  EXPECT_LT(GetTickCount64() - t0, 4000u);
}

}  // namespace
}  // namespace sdktest
