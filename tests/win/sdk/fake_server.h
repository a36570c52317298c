#pragma once
// A scripted HTTP server on loopback, for the failures a real service shows only by chance: answers
// that stall, connections dropped in the middle of the audio, and a look at what the client sent.
#include <winsock2.h>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace sdktest {

struct Request {
  std::string method;
  std::string path;
  std::map<std::string, std::string> headers;  // names in lower case
  std::string body;
  std::string header(const std::string& lowerName) const {
    auto it = headers.find(lowerName);
    return it == headers.end() ? "" : it->second;
  }
};

struct Reply {
  std::string status = "200 OK";
  std::string contentType = "audio/L16;rate=16000";
  std::vector<std::string> chunks;  // sent with chunked transfer encoding
  enum class End { finish, drop, stall } end = End::finish;
  bool sendHead = true;  // false: stall before any answer
  int chunkGapMs = 0;    // pause before each chunk (and before a drop)
};

// The health page answer of a service that accepts every appid.
Reply healthyPage();

class FakeServer {
 public:
  explicit FakeServer(std::function<Reply(const Request&)> answer);
  ~FakeServer();
  FakeServer(const FakeServer&) = delete;
  FakeServer& operator=(const FakeServer&) = delete;

  std::uint16_t port() const { return port_; }
  std::vector<Request> requests() const;
  // Requests of one method ("POST" for the synthesis ones).
  std::vector<Request> requests(const std::string& method) const;

 private:
  void acceptLoop();
  void serve(SOCKET s);
  void waitStopping();

  std::function<Reply(const Request&)> answer_;
  SOCKET listener_ = INVALID_SOCKET;
  std::uint16_t port_ = 0;
  mutable std::mutex lock_;
  std::condition_variable stopping_;
  bool stop_ = false;
  std::vector<Request> requests_;
  std::vector<std::thread> connections_;
  std::vector<SOCKET> open_;  // accepted and not yet closed
  std::thread acceptor_;
};

}  // namespace sdktest
