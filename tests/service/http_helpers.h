#pragma once
// Test-side HTTP: the library client for ordinary requests, and a raw socket for what a library
// client won't do (malformed requests, stalling, hanging up mid-stream).
#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace lectavo::test {

inline constexpr const char* kAppid = "7f21ac4e";

inline std::string params(const std::string& voice, int speed = 50, const std::string& tte = "UTF8", int pitch = 70,
                          int volume = 100) {
  return "aue=raw,auf=audio/L16;rate=16000,bgs=0,ent=intp65,pitch=" + std::to_string(pitch) +
         ",speed=" + std::to_string(speed) + ",tte=" + tte + ",vcn=" + voice + ",volume=" + std::to_string(volume);
}

struct Reply {
  int status = 0;
  std::string body;
  httplib::Headers headers;
  std::string header(const std::string& k) const {
    auto it = headers.find(k);
    return it == headers.end() ? "" : it->second;
  }
};

inline Reply post(int port, const std::string& paramText, const std::string& text, const std::string& appid = kAppid,
                  const std::string& codec = "") {
  httplib::Client cli("127.0.0.1", port);
  cli.set_read_timeout(30, 0);
  httplib::Headers h;
  if (!appid.empty()) h.emplace("X-Lectavo-Appid", appid);
  h.emplace("X-Lectavo-Params", paramText);
  if (!codec.empty()) h.emplace("X-Lectavo-Codec", codec);
  auto r = cli.Post("/tts", h, text, "text/plain");
  Reply out;
  if (r) out = {r->status, r->body, r->headers};
  return out;
}

inline std::vector<std::int16_t> samples(const std::string& body) {
  std::vector<std::int16_t> v(body.size() / 2);
  std::memcpy(v.data(), body.data(), v.size() * 2);
  return v;
}

// A connected loopback socket; a small receive buffer makes the server stall on us quickly.
class RawConnection {
 public:
  explicit RawConnection(int port, int receiveBuffer = 0) {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    if (receiveBuffer > 0) setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  }
  ~RawConnection() { close(); }
  RawConnection(const RawConnection&) = delete;
  RawConnection& operator=(const RawConnection&) = delete;

  bool connected() const { return connected_; }
  void close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  bool send(const std::string& s) { return ::send(fd_, s.data(), s.size(), MSG_NOSIGNAL) == ssize_t(s.size()); }

  // Reads until `pred(received)` holds, the peer closes, or the time is up.
  template <class Pred>
  bool readUntil(Pred pred, int timeoutMs = 10000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    char buf[4096];
    while (!pred(data)) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
      if (left.count() <= 0) return false;
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, int(left.count())) <= 0) return false;
      const ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
      if (n <= 0) {
        peerClosed = true;
        return pred(data);
      }
      data.append(buf, std::size_t(n));
    }
    return true;
  }
  // Reads to the end of the connection; false if it stays open past the time.
  bool readAll(int timeoutMs = 30000) {
    readUntil([](const std::string&) { return false; }, timeoutMs);
    return peerClosed;
  }

  std::string data;
  bool peerClosed = false;

 private:
  int fd_ = -1;
  bool connected_ = false;
};

inline std::string rawSynthRequest(const std::string& paramText, const std::string& text) {
  return "POST /tts HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Lectavo-Appid: " + std::string(kAppid) +
         "\r\nX-Lectavo-Params: " + paramText + "\r\nContent-Type: text/plain\r\nContent-Length: " +
         std::to_string(text.size()) + "\r\nConnection: close\r\n\r\n" + text;
}

// Body of a chunked response; `complete` tells whether the last (empty) chunk arrived.
inline std::string dechunk(const std::string& response, bool& complete) {
  complete = false;
  std::size_t pos = response.find("\r\n\r\n");
  if (pos == std::string::npos) return {};
  pos += 4;
  std::string body;
  while (true) {
    const std::size_t eol = response.find("\r\n", pos);
    if (eol == std::string::npos) return body;
    const std::size_t size = std::stoul(response.substr(pos, eol - pos), nullptr, 16);
    if (size == 0) {
      complete = true;
      return body;
    }
    if (eol + 2 + size > response.size()) return body;
    body.append(response, eol + 2, size);
    pos = eol + 2 + size + 2;
  }
}

// Long real Chinese text within the 2048-byte limit in UTF-8.
inline std::string longText() {
  std::string t;
  const std::string s = "春眠不觉晓，处处闻啼鸟。夜来风雨声，花落知多少。床前明月光，疑是地上霜。举头望明月，低头思故乡。";
  while (t.size() + s.size() <= 2000) t += s;
  return t;
}

// Asks for a long text and takes only its first audio, so the request keeps its engine busy (the
// connection's small receive buffer stalls the server) until the connection goes.
inline bool startStalledStream(RawConnection& c, const std::string& voice = "x_yiping") {
  return c.send(rawSynthRequest(params(voice), longText())) &&
         c.readUntil([](const std::string& d) { return d.size() > 20000; });
}

template <class Pred>
bool eventually(Pred pred, int timeoutMs = 10000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!pred()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

}  // namespace lectavo::test
