// Service benchmark: figures for the performance notes, not a test. Usage:
//   speechd_bench <path to lectavo-speechd> [fortune file]
// Prints: service time / raw engine time for one long real text, the same for a text sent piece by
// piece, time to the first audio byte for a 90-byte piece, and the throughput of 2 concurrent
// clients over 1.
#include <arpa/inet.h>
#include <iconv.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <future>
#include <regex>
#include <string>
#include <vector>

#include "service/engine.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
double msSince(Clock::time_point t) { return std::chrono::duration<double, std::milli>(Clock::now() - t).count(); }

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

bool toGbk(const std::string& utf8, std::string& out) {
  iconv_t cd = iconv_open("GBK", "UTF-8");
  std::string buf(utf8.size() * 2 + 8, '\0');
  char* in = const_cast<char*>(utf8.data());
  std::size_t inLeft = utf8.size(), outLeft = buf.size();
  char* dst = buf.data();
  const bool ok = iconv(cd, &in, &inLeft, &dst, &outLeft) != static_cast<std::size_t>(-1);
  iconv_close(cd);
  if (ok) out = buf.substr(0, buf.size() - outLeft);
  return ok;
}

// Fortunes without their colour escapes, joined up to `limit` GBK bytes.
void realText(const std::string& file, std::size_t limit, std::string& utf8, std::string& gbk) {
  std::ifstream in(file);
  const std::string all((std::istreambuf_iterator<char>(in)), {});
  const std::string clean = std::regex_replace(all, std::regex("\x1b\\[[0-9;]*m"), "");
  std::size_t pos = 0;
  while (pos < clean.size()) {
    std::size_t end = clean.find("\n%\n", pos);
    if (end == std::string::npos) end = clean.size();
    std::string piece = clean.substr(pos, end - pos), g;
    pos = end + 3;
    std::replace(piece.begin(), piece.end(), '\n', ' ');
    if (!toGbk(piece, g)) continue;
    if (gbk.size() + g.size() > limit) {
      if (gbk.empty()) continue;
      break;
    }
    utf8 += piece;
    gbk += g;
  }
}

struct Daemon {
  pid_t pid = -1;
  int port = 0;
  Daemon(const std::string& exe, const std::string& workers) {
    int fds[2];
    if (pipe(fds) != 0) return;
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, fds[1], 2);
    std::string a0 = exe, a1 = "--port", a2 = "0", a3 = "--workers", a4 = workers;
    char* argv[] = {a0.data(), a1.data(), a2.data(), a3.data(), a4.data(), nullptr};
    posix_spawn(&pid, exe.c_str(), &fa, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&fa);
    close(fds[1]);
    std::string log;
    char buf[256];
    std::smatch m;
    ssize_t n;
    while ((n = read(fds[0], buf, sizeof buf)) > 0) {
      log.append(buf, std::size_t(n));
      if (std::regex_search(log, m, std::regex("listening on [0-9.]+:(\\d+)"))) {
        port = std::stoi(m[1]);
        break;
      }
    }
    // The request log goes on into the pipe; drain it so the daemon never blocks on it.
    std::thread([fd = fds[0]] {
      char b[4096];
      while (read(fd, b, sizeof b) > 0) {
      }
      close(fd);
    }).detach();
  }
  ~Daemon() {
    if (pid > 0) {
      kill(pid, SIGTERM);
      int st;
      waitpid(pid, &st, 0);
    }
  }
};

struct Timing {
  double firstByteMs = -1, totalMs = 0;
  std::size_t bytes = 0;
};

// One synthesis over a fresh loopback connection, read to its end.
Timing synth(int port, const std::string& params, const std::string& body) {
  Timing t;
  const auto t0 = Clock::now();
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  int one = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<std::uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    close(fd);
    return t;
  }
  const std::string req = "POST /tts HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Lectavo-Appid: 7f21ac4e\r\nX-Lectavo-Params: " +
                          params + "\r\nContent-Length: " + std::to_string(body.size()) +
                          "\r\nConnection: close\r\n\r\n" + body;
  send(fd, req.data(), req.size(), MSG_NOSIGNAL);
  std::string head;
  std::vector<char> buf(1 << 16);
  bool inBody = false;
  ssize_t n;
  while ((n = recv(fd, buf.data(), buf.size(), 0)) > 0) {
    if (!inBody) {
      head.append(buf.data(), std::size_t(n));
      const std::size_t end = head.find("\r\n\r\n");
      if (end != std::string::npos && head.size() > end + 4) {
        inBody = true;
        t.firstByteMs = msSince(t0);
        t.bytes += head.size() - end - 4;
      }
    } else {
      t.bytes += std::size_t(n);
    }
  }
  close(fd);
  t.totalMs = msSince(t0);
  return t;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: speechd_bench <lectavo-speechd> [fortune file]\n");
    return 2;
  }
  const std::string exe = argv[1];
  const std::string fortunes = argc > 2 ? argv[2] : "/usr/share/games/fortunes/chinese.u8";
  std::string longUtf8, longGbk;
  realText(fortunes, 2048, longUtf8, longGbk);
  // A piece as the program cuts them: the first 90 bytes or so, whole characters only.
  std::size_t cut = 0;
  while (cut < longGbk.size() && cut < 90) cut += static_cast<unsigned char>(longGbk[cut]) >= 0x81 ? 2 : 1;
  const std::string pieceGbk = longGbk.substr(0, cut);
  if (longGbk.empty()) {
    std::fprintf(stderr, "no text read from %s\n", fortunes.c_str());
    return 1;
  }
  const std::string params =
      "aue=raw,auf=audio/L16;rate=16000,bgs=0,ent=intp65,pitch=70,speed=50,tte=GB2312,vcn=x_yiping,volume=100";
  const int rounds = 5;

  // 1. Service time over raw engine time, the same long text, alternating in the same run.
  if (const std::string e = lectavo::service::initEngine(); !e.empty()) {
    std::fprintf(stderr, "engine: %s\n", e.c_str());
    return 1;
  }
  lectavo::service::VoiceSettings vs;
  vs.pitch = 70;
  std::vector<double> raw, served;
  std::size_t rawSamples = 0, servedBytes = 0;
  {
    Daemon d(exe, "2");
    if (d.port == 0) return 1;
    for (int i = 0; i < rounds; ++i) {
      const auto t0 = Clock::now();
      rawSamples = 0;
      lectavo::service::synthesize(longUtf8, vs, [&](const std::int16_t*, std::size_t n) {
        rawSamples += n;
        return true;
      });
      raw.push_back(msSince(t0));
      const Timing t = synth(d.port, params, longGbk);
      served.push_back(t.totalMs);
      servedBytes = t.bytes;
    }
  }
  std::printf("long text: %zu GBK bytes, %.1f s of audio (service %zu bytes, engine %zu samples)\n", longGbk.size(),
              rawSamples / 16000.0, servedBytes, rawSamples);
  std::printf("  raw engine %.1f ms, through the service %.1f ms: ratio %.2f (median of %d)\n", median(raw),
              median(served), median(served) / median(raw), rounds);

  // 2. The long text as the program sends it, piece after piece: what each request adds to the
  // engine's own time for the same piece.
  {
    std::vector<std::string> piecesGbk, piecesUtf8;
    std::string piece;
    for (std::size_t at = 0; at < longUtf8.size() && piecesGbk.size() < 20;) {
      std::size_t len = 1;  // whole UTF-8 characters; a Chinese one is 2 bytes in GBK, as the program counts
      while (at + len < longUtf8.size() && (static_cast<unsigned char>(longUtf8[at + len]) & 0xC0) == 0x80) ++len;
      piece += longUtf8.substr(at, len);
      at += len;
      std::string gbk;
      if (toGbk(piece, gbk) && gbk.size() >= 88) {
        piecesGbk.push_back(gbk);
        piecesUtf8.push_back(piece);
        piece.clear();
      }
    }
    Daemon d(exe, "2");
    double rawMs = 0, servedMs = 0;
    for (int round = 0; round < 3; ++round) {
      for (std::size_t i = 0; i < piecesGbk.size(); ++i) {
        const auto t0 = Clock::now();
        lectavo::service::synthesize(piecesUtf8[i], vs, [](const std::int16_t*, std::size_t) { return true; });
        rawMs += msSince(t0);
        servedMs += synth(d.port, params, piecesGbk[i]).totalMs;
      }
    }
    const double n = 3.0 * static_cast<double>(piecesGbk.size());
    std::printf("pieces of ~90 bytes, one request each: raw engine %.1f ms, through the service %.1f ms a piece (%zu pieces, 3 rounds)\n",
                rawMs / n, servedMs / n, piecesGbk.size());
  }

  // 3. Request to first audio byte for a 90-byte piece.
  {
    Daemon d(exe, "2");
    std::vector<double> first;
    for (int i = 0; i < 30; ++i) first.push_back(synth(d.port, params, pieceGbk).firstByteMs);
    std::sort(first.begin(), first.end());
    std::printf("first audio byte, %zu-byte piece: median %.1f ms, best %.1f ms, worst %.1f ms (30 requests)\n",
                pieceGbk.size(), median(first), first.front(), first.back());
  }

  // 4. Throughput: 2 concurrent clients over 1 client, 2 engine workers. The two are measured in
  // turns, three times each, so that a change in the machine's other load hits both alike.
  {
    Daemon d(exe, "2");
    const int perClient = 4;
    auto client = [&] {
      for (int i = 0; i < perClient; ++i) synth(d.port, params, longGbk);
    };
    std::vector<double> ones, twos, ratios;
    for (int round = 0; round < 3; ++round) {
      auto t0 = Clock::now();
      client();
      const double one = perClient / (msSince(t0) / 1000);
      t0 = Clock::now();
      auto a = std::async(std::launch::async, client), b = std::async(std::launch::async, client);
      a.get(), b.get();
      const double two = 2 * perClient / (msSince(t0) / 1000);
      ones.push_back(one), twos.push_back(two), ratios.push_back(two / one);
    }
    std::printf("throughput: 1 client %.2f req/s, 2 clients %.2f req/s: ratio %.2f (median of 3 turns, %u cores)\n",
                median(ones), median(twos), median(ratios), std::thread::hardware_concurrency());
  }
  return 0;
}
