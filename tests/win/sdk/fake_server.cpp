#include "fake_server.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <stdexcept>

namespace sdktest {
namespace {

struct WinsockUser {
  WinsockUser() {
    WSADATA d;
    if (WSAStartup(MAKEWORD(2, 2), &d) != 0) throw std::runtime_error("WSAStartup failed");
  }
  ~WinsockUser() { WSACleanup(); }
};

bool sendAll(SOCKET s, const std::string& data) {
  std::size_t sent = 0;
  while (sent < data.size()) {
    const int n = send(s, data.data() + sent, static_cast<int>(data.size() - sent), 0);
    if (n <= 0) return false;
    sent += static_cast<std::size_t>(n);
  }
  return true;
}

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

// Reads one request (head and Content-Length body); false when the peer went away first.
bool readRequest(SOCKET s, Request& r) {
  std::string data;
  char buf[4096];
  std::size_t headEnd = std::string::npos;
  while ((headEnd = data.find("\r\n\r\n")) == std::string::npos) {
    const int n = recv(s, buf, sizeof buf, 0);
    if (n <= 0) return false;
    data.append(buf, static_cast<std::size_t>(n));
  }
  const std::string head = data.substr(0, headEnd);
  std::size_t lineEnd = head.find("\r\n");
  const std::string first = head.substr(0, lineEnd);
  const std::size_t sp1 = first.find(' ');
  const std::size_t sp2 = first.find(' ', sp1 + 1);
  r.method = first.substr(0, sp1);
  r.path = first.substr(sp1 + 1, sp2 - sp1 - 1);
  while (lineEnd != std::string::npos && lineEnd < head.size()) {
    const std::size_t next = head.find("\r\n", lineEnd + 2);
    const std::string line = head.substr(lineEnd + 2, next == std::string::npos ? std::string::npos : next - lineEnd - 2);
    const std::size_t colon = line.find(':');
    if (colon != std::string::npos) {
      std::size_t v = colon + 1;
      while (v < line.size() && line[v] == ' ') ++v;
      r.headers[lower(line.substr(0, colon))] = line.substr(v);
    }
    lineEnd = next;
  }
  std::size_t length = 0;
  const std::string cl = r.header("content-length");
  std::from_chars(cl.data(), cl.data() + cl.size(), length);
  r.body = data.substr(headEnd + 4);
  while (r.body.size() < length) {
    const int n = recv(s, buf, sizeof buf, 0);
    if (n <= 0) return false;
    r.body.append(buf, static_cast<std::size_t>(n));
  }
  return true;
}

std::string chunk(const std::string& data) {
  char size[20];
  std::snprintf(size, sizeof size, "%zx\r\n", data.size());
  return size + data + "\r\n";
}

}  // namespace

Reply healthyPage() {
  Reply r;
  r.contentType = "application/json";
  r.chunks = {R"({"service":"lectavo-speechd","version":"1.0.0","voices":["x_yiping"]})"};
  return r;
}

FakeServer::FakeServer(std::function<Reply(const Request&)> answer) : answer_(std::move(answer)) {
  static WinsockUser winsock;
  listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = 0;
  int len = sizeof a;
  if (listener_ == INVALID_SOCKET || bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
      listen(listener_, 8) != 0 || getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &len) != 0)
    throw std::runtime_error("fake server: cannot listen on loopback");
  port_ = ntohs(a.sin_port);
  acceptor_ = std::thread([this] { acceptLoop(); });
}

FakeServer::~FakeServer() {
  {
    std::lock_guard<std::mutex> hold(lock_);
    stop_ = true;
  }
  stopping_.notify_all();
  closesocket(listener_);
  {
    // Connections the client keeps open for its next request end now.
    std::lock_guard<std::mutex> hold(lock_);
    for (SOCKET s : open_) shutdown(s, SD_BOTH);
  }
  acceptor_.join();
  for (auto& t : connections_) t.join();
}

void FakeServer::acceptLoop() {
  for (;;) {
    const SOCKET s = accept(listener_, nullptr, nullptr);
    std::lock_guard<std::mutex> hold(lock_);
    if (s == INVALID_SOCKET || stop_) {
      if (s != INVALID_SOCKET) closesocket(s);
      return;
    }
    open_.push_back(s);
    connections_.emplace_back([this, s] { serve(s); });
  }
}

void FakeServer::waitStopping() {
  std::unique_lock<std::mutex> hold(lock_);
  stopping_.wait(hold, [this] { return stop_; });
}

void FakeServer::serve(SOCKET s) {
  for (;;) {
    Request r;
    if (!readRequest(s, r)) break;
    {
      std::lock_guard<std::mutex> hold(lock_);
      requests_.push_back(r);
    }
    const Reply reply = answer_(r);
    if (!reply.sendHead) {
      waitStopping();
      break;
    }
    if (!sendAll(s, "HTTP/1.1 " + reply.status + "\r\nContent-Type: " + reply.contentType +
                        "\r\nTransfer-Encoding: chunked\r\n\r\n"))
      break;
    bool ok = true;
    for (const auto& c : reply.chunks) {
      if (reply.chunkGapMs) Sleep(reply.chunkGapMs);
      if (!(ok = sendAll(s, chunk(c)))) break;
    }
    if (!ok) break;
    if (reply.end == Reply::End::drop) {
      if (reply.chunkGapMs) Sleep(reply.chunkGapMs);
      break;
    }
    if (reply.end == Reply::End::stall) {
      waitStopping();
      break;
    }
    if (!sendAll(s, "0\r\n\r\n")) break;
  }
  // An abortive close: the client sees the connection reset, as when a service dies.
  linger l{1, 0};
  setsockopt(s, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&l), sizeof l);
  std::lock_guard<std::mutex> hold(lock_);
  open_.erase(std::find(open_.begin(), open_.end(), s));
  closesocket(s);
}

std::vector<Request> FakeServer::requests() const {
  std::lock_guard<std::mutex> hold(lock_);
  return requests_;
}

std::vector<Request> FakeServer::requests(const std::string& method) const {
  std::vector<Request> out;
  for (auto& r : requests())
    if (r.method == method) out.push_back(r);
  return out;
}

}  // namespace sdktest
