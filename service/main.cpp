// lectavo-speechd: Mandarin speech synthesis over HTTP.
#include <signal.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "service/engine_host.h"
#include "service/server.h"

namespace {

constexpr const char* kUsage =
    "usage: lectavo-speechd [--address 127.0.0.1] [--port 80 --port 1028 ...] [--workers N] [--queue N]\n"
    "                       [--appid ID] [--max-text BYTES] [--read-timeout SECONDS]\n";

bool number(std::string_view text, unsigned long max, unsigned long& out) {
  unsigned long v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size() || v > max) return false;
  out = v;
  return true;
}

std::string selfPath(const char* argv0) {
  char buf[4096];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n > 0) return std::string(buf, static_cast<std::size_t>(n));
  return argv0;
}

int usageError(const std::string& message) {
  std::fprintf(stderr, "lectavo-speechd: %s\n%s", message.c_str(), kUsage);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string_view(argv[1]) == "--engine-host") {
    unsigned long voice = 0;
    if (!number(argv[2], lectavo::wire::kVoiceNames.size() - 1, voice)) return 2;
    return lectavo::service::runEngineHost(3, static_cast<lectavo::wire::Voice>(voice));
  }

  lectavo::service::ServerConfig config;
  config.engineExecutable = selfPath(argv[0]);
  bool portsGiven = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view opt = argv[i];
    if (opt == "--help" || opt == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (i + 1 >= argc) return usageError("missing value after " + std::string(opt));
    const std::string_view value = argv[++i];
    unsigned long n = 0;
    if (opt == "--address") {
      config.address = value;
    } else if (opt == "--port") {
      if (!number(value, 65535, n)) return usageError("--port: not a port number: " + std::string(value));
      if (!portsGiven) config.ports.clear();
      portsGiven = true;
      config.ports.push_back(static_cast<int>(n));
    } else if (opt == "--workers") {
      if (!number(value, 1024, n) || n == 0) return usageError("--workers: expected 1 to 1024");
      config.workers = static_cast<unsigned>(n);
    } else if (opt == "--queue") {
      if (!number(value, 100000, n)) return usageError("--queue: expected 0 to 100000");
      config.queue = static_cast<unsigned>(n);
    } else if (opt == "--appid") {
      config.appid = value;
    } else if (opt == "--max-text") {
      if (!number(value, 1 << 20, n) || n == 0) return usageError("--max-text: expected 1 to 1048576");
      config.maxTextBytes = n;
    } else if (opt == "--read-timeout") {
      if (!number(value, 3600, n) || n == 0) return usageError("--read-timeout: expected 1 to 3600");
      config.readTimeoutSeconds = static_cast<int>(n);
    } else {
      return usageError("unknown option " + std::string(opt));
    }
  }

  // Signals are taken by sigwait below; every thread inherits the block.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGINT);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  lectavo::service::SpeechServer server(config);
  std::string error;
  if (!server.start(error)) {
    std::fprintf(stderr, "lectavo-speechd: %s\n", error.c_str());
    return 1;
  }
  std::string where;
  for (const int p : server.ports()) where += " " + config.address + ":" + std::to_string(p);
  std::fprintf(stderr, "lectavo-speechd: listening on%s (workers %u, queue %u)\n", where.c_str(),
               server.config().workers, server.config().queue);

  int sig = 0;
  sigwait(&stopSignals, &sig);
  std::fprintf(stderr, "lectavo-speechd: %s, finishing requests in flight\n", strsignal(sig));
  server.stop();
  std::fprintf(stderr, "lectavo-speechd: stopped\n");
  return 0;
}
