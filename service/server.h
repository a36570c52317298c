#pragma once
// The speech service's HTTP front: health page, streaming synthesis, admission and request log.
// Stateless between requests, so replicas can stand side by side behind a balancer.
#include <atomic>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
struct Request;
struct Response;
}

namespace lectavo::service {

class Admission;
class EngineHost;

struct ServerConfig {
  std::string address = "127.0.0.1";
  std::vector<int> ports = {80, 1028};  // 0: any free port
  unsigned workers = 0;                 // 0: one per core
  unsigned queue = 16;
  std::string appid = "7f21ac4e";
  std::size_t maxTextBytes = 2048;
  int readTimeoutSeconds = 5;    // a client that stops sending its request
  int writeTimeoutSeconds = 30;  // a client that stops taking its audio
  std::string healthPath = "/index.htm";
  std::string engineExecutable;  // the daemon binary, run as `--engine-host`
  std::FILE* log = stderr;
};

struct ServerStats {
  std::atomic<unsigned> completed{0};
  std::atomic<unsigned> clientGone{0};
  std::atomic<unsigned> busy{0};
};

class SpeechServer {
 public:
  explicit SpeechServer(ServerConfig config);
  ~SpeechServer();
  SpeechServer(const SpeechServer&) = delete;
  SpeechServer& operator=(const SpeechServer&) = delete;

  // Starts the engine host and binds every port; false with a message naming what failed.
  bool start(std::string& error);
  // The ports actually bound, in the order asked for.
  const std::vector<int>& ports() const { return bound_; }
  // Stops accepting; requests in flight are finished first (idle kept-alive connections are given
  // up to their keep-alive time).
  void stop();

  const ServerStats& stats() const { return stats_; }
  // Requests waiting for an engine right now.
  std::size_t queued() const;
  const ServerConfig& config() const { return config_; }

 private:
  void install(httplib::Server& http, int* listenFd);
  void health(const httplib::Request& req, httplib::Response& res);
  void synthesis(const httplib::Request& req, httplib::Response& res);
  void logLine(const std::string& line);

  ServerConfig config_;
  ServerStats stats_;
  std::unique_ptr<EngineHost> engine_;
  std::unique_ptr<Admission> admission_;
  std::vector<std::unique_ptr<httplib::Server>> servers_;
  std::vector<std::thread> threads_;
  std::vector<int> bound_;
  std::vector<std::unique_ptr<int>> listenFds_;
  std::mutex logMutex_;
};

}  // namespace lectavo::service
