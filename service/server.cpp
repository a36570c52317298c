#include "server.h"

#include <httplib.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <chrono>
#include <ctime>

#include "service/admission.h"
#include "service/engine_host.h"
#include "service/json.h"
#include "service/text_input.h"
#include "wire/ima_adpcm.h"
#include "wire/params.h"

#ifndef LECTAVO_VERSION
#define LECTAVO_VERSION "0.0.0"
#endif

namespace lectavo::service {
namespace {

constexpr const char* kAppidHeader = "X-Lectavo-Appid";
constexpr const char* kParamsHeader = "X-Lectavo-Params";
constexpr const char* kCodecHeader = "X-Lectavo-Codec";
constexpr const char* kJson = "application/json";
constexpr const char* kPcmType = "audio/L16;rate=16000";
constexpr const char* kAdpcmType = "audio/x-lectavo-ima-adpcm;rate=16000";
constexpr int kRetryAfterSeconds = 1;

void answerError(httplib::Response& res, int status, std::string_view message, std::string_view key = {}) {
  JsonObject o;
  o.add("error", message);
  if (!key.empty()) o.add("key", key);
  res.status = status;
  res.set_content(o.str(), kJson);
}

const char* reasonOf(int status) {
  switch (status) {
    case 400: return "malformed request";
    case 404: return "no such path";
    case 405: return "method not allowed";
    case 408: return "request timed out";
    case 413: return "request body too large";
    case 414: return "request path too long";
    case 431: return "request headers too large";
    default: return "request failed";
  }
}

std::string utcNow() {
  const std::time_t t = std::time(nullptr);
  std::tm tm{};
  gmtime_r(&t, &tm);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%SZ", &tm);
  return buf;
}

double msSince(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

std::string requestHead(const httplib::Request& req) {
  const std::string who = req.remote_addr.empty() ? "-" : req.remote_addr + ":" + std::to_string(req.remote_port);
  return who + " " + (req.method.empty() ? "-" : req.method) + " " + (req.path.empty() ? "-" : req.path);
}

// One streamed synthesis: the engine job, its slot and what the log line reports.
struct Stream {
  Job job;
  Admission::Ticket ticket;
  bool adpcm = false;
  codec::StreamEncoder encoder;
  std::vector<std::int16_t> pcm;
  std::vector<std::uint8_t> bytes;
  std::size_t sent = 0;
  std::string outcome = "unfinished";
  std::string head;
  std::string voice;
  std::chrono::steady_clock::time_point t0;
  double firstByteMs = -1;

  Stream(Job j, Admission::Ticket t) : job(std::move(j)), ticket(std::move(t)) {}

  bool write(httplib::DataSink& sink, const void* data, std::size_t n) {
    if (n == 0) return true;
    if (!sink.is_writable() || !sink.write(static_cast<const char*>(data), n)) return false;
    if (firstByteMs < 0) firstByteMs = msSince(t0);
    sent += n;
    return true;
  }

  // Moves the next engine packet to the client; false ends the response (done or not).
  bool pump(httplib::DataSink& sink, ServerStats& stats) {
    while (true) {
      pcm.clear();
      std::string error;
      switch (job.next(pcm, error)) {
        case Job::Next::audio: {
          bool ok;
          if (adpcm) {
            bytes.clear();
            encoder.feed(pcm.data(), pcm.size(), bytes);
            if (bytes.empty()) continue;
            ok = write(sink, bytes.data(), bytes.size());
          } else {
            ok = write(sink, pcm.data(), pcm.size() * 2);
          }
          if (!ok) {
            outcome = "client gone";
            ++stats.clientGone;
            return false;  // closing the job's socket ends its engine process
          }
          return true;
        }
        case Job::Next::done:
          if (adpcm) {
            bytes.clear();
            encoder.finish(bytes);
            if (!write(sink, bytes.data(), bytes.size())) {
              outcome = "client gone";
              ++stats.clientGone;
              return false;
            }
          }
          sink.done();
          outcome = "done";
          ++stats.completed;
          return true;
        case Job::Next::failed:
          // Ending without the last chunk tells the client the audio is incomplete.
          outcome = "engine failed: " + error;
          return false;
      }
    }
  }
};

}  // namespace

SpeechServer::SpeechServer(ServerConfig config) : config_(std::move(config)) {
  if (config_.workers == 0) config_.workers = std::max(1u, std::thread::hardware_concurrency());
  admission_ = std::make_unique<Admission>(config_.workers, config_.queue);
}

SpeechServer::~SpeechServer() { stop(); }

std::size_t SpeechServer::queued() const { return admission_->waiting(); }

void SpeechServer::logLine(const std::string& line) {
  if (config_.log == nullptr) return;
  std::lock_guard lock(logMutex_);
  std::fprintf(config_.log, "%s %s\n", utcNow().c_str(), line.c_str());
  std::fflush(config_.log);
}

void SpeechServer::install(httplib::Server& http, int* listenFd) {
  const std::size_t threads = config_.workers + config_.queue + 4;
  http.new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
  // No SO_REUSEPORT: a second daemon on the same port must fail to bind, not share it.
  http.set_socket_options([listenFd](socket_t sock) {
    int yes = 1;
    setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    *listenFd = sock;
  });
  http.set_tcp_nodelay(true);
  http.set_read_timeout(config_.readTimeoutSeconds, 0);
  http.set_write_timeout(config_.writeTimeoutSeconds, 0);
  http.set_keep_alive_timeout(config_.readTimeoutSeconds);
  // Bodies far beyond the text limit are cut off while still being read.
  http.set_payload_max_length(std::max<std::size_t>(config_.maxTextBytes * 8, 64 * 1024));

  http.set_error_handler([](const httplib::Request&, httplib::Response& res) {
    if (res.body.empty()) {
      answerError(res, res.status, reasonOf(res.status));
    }
  });
  http.set_exception_handler([](const httplib::Request&, httplib::Response& res, std::exception_ptr ep) {
    std::string what = "internal error";
    try {
      if (ep) std::rethrow_exception(ep);
    } catch (const std::exception& e) {
      what += std::string(": ") + e.what();
    } catch (...) {
    }
    answerError(res, 500, what);
  });
  http.set_logger([this](const httplib::Request& req, const httplib::Response& res) {
    if (res.is_chunked_content_provider_) return;  // streamed answers log when they end
    logLine(requestHead(req) + " " + std::to_string(res.status) + " bytes=" + std::to_string(res.body.size()));
  });

  http.Get(config_.healthPath, [this](const httplib::Request& req, httplib::Response& res) { health(req, res); });
  http.Post("/tts", [this](const httplib::Request& req, httplib::Response& res) { synthesis(req, res); });
}

void SpeechServer::health(const httplib::Request& req, httplib::Response& res) {
  if (req.has_header(kAppidHeader) && req.get_header_value(kAppidHeader) != config_.appid) {
    answerError(res, 403, "unknown appid");
    return;
  }
  std::vector<std::string_view> voices(wire::kVoiceNames.begin(), wire::kVoiceNames.end());
  res.set_content(JsonObject().add("service", "lectavo-speechd").add("version", LECTAVO_VERSION).add("voices", voices).str(),
                  kJson);
}

void SpeechServer::synthesis(const httplib::Request& req, httplib::Response& res) {
  const auto t0 = std::chrono::steady_clock::now();
  if (!req.has_header(kAppidHeader) || req.get_header_value(kAppidHeader) != config_.appid) {
    answerError(res, 403, req.has_header(kAppidHeader) ? "unknown appid" : "appid missing", "appid");
    return;
  }
  const std::string codecName = req.has_header(kCodecHeader) ? req.get_header_value(kCodecHeader) : "pcm";
  if (codecName != "pcm" && codecName != "ima-adpcm") {
    answerError(res, 400, "codec: unsupported value (expected pcm or ima-adpcm)", "codec");
    return;
  }
  const wire::ParamResult params = wire::parseParams(req.get_header_value(kParamsHeader));
  if (!params.ok()) {
    answerError(res, 400, params.error.message, params.error.key);
    return;
  }
  if (req.body.size() > config_.maxTextBytes) {
    answerError(res, 413, "text is " + std::to_string(req.body.size()) + " bytes, more than the limit of " +
                              std::to_string(config_.maxTextBytes));
    return;
  }
  DecodedText text = decodeText(req.body, params.params.encoding);
  if (!text.error.empty()) {
    answerError(res, 400, text.error, "tte");
    return;
  }
  Admission::Ticket ticket = admission_->enter();
  if (!ticket) {
    ++stats_.busy;
    res.set_header("Retry-After", std::to_string(kRetryAfterSeconds));
    answerError(res, 503, "busy: every engine is in use and the queue is full");
    return;
  }
  std::string error;
  std::optional<Job> job = engine_->newJob(params.params.voice, error);
  VoiceSettings vs{params.params.voice, params.params.speed, params.params.pitch, params.params.volume};
  if (!job || !job->start(text.utf8, vs, error)) {
    answerError(res, 500, "engine unavailable: " + error);
    return;
  }
  auto stream = std::make_shared<Stream>(std::move(*job), std::move(ticket));
  stream->adpcm = codecName == "ima-adpcm";
  stream->head = requestHead(req);
  stream->voice = std::string(wire::voiceName(params.params.voice));
  stream->t0 = t0;
  res.set_chunked_content_provider(
      stream->adpcm ? kAdpcmType : kPcmType,
      [this, stream](std::size_t, httplib::DataSink& sink) { return stream->pump(sink, stats_); },
      [this, stream](bool) {
        char timing[96];
        std::snprintf(timing, sizeof timing, " first_byte_ms=%.1f total_ms=%.1f", stream->firstByteMs,
                      msSince(stream->t0));
        logLine(stream->head + " 200 bytes=" + std::to_string(stream->sent) + " voice=" + stream->voice +
                timing + " outcome=" + stream->outcome);
      });
}

bool SpeechServer::start(std::string& error) {
  if (config_.engineExecutable.empty()) {
    error = "no engine executable given";
    return false;
  }
  engine_ = std::make_unique<EngineHost>(config_.engineExecutable);
  if (!engine_->startError().empty()) {
    error = engine_->startError();
    return false;
  }
  for (const int port : config_.ports) {
    auto http = std::make_unique<httplib::Server>();
    listenFds_.push_back(std::make_unique<int>(-1));
    install(*http, listenFds_.back().get());
    int bound = port;
    if (port == 0) {
      bound = http->bind_to_any_port(config_.address);
    } else if (!http->bind_to_port(config_.address, port)) {
      bound = -1;
    }
    if (bound <= 0) {
      error = "cannot listen on " + config_.address + ":" + std::to_string(port) +
              " (in use, not permitted or not a local address)";
      stop();
      return false;
    }
    bound_.push_back(bound);
    servers_.push_back(std::move(http));
  }
  for (auto& s : servers_) {
    httplib::Server* http = s.get();
    threads_.emplace_back([http] { http->listen_after_bind(); });
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  for (auto& s : servers_)
    while (!s->is_running() && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return true;
}

void SpeechServer::stop() {
  // The library's own stop also cuts off responses still streaming. Shutting the listening socket
  // down instead ends only its accept loop; the pool then finishes the requests in flight.
  for (std::size_t i = 0; i < servers_.size(); ++i) {
    if (i < threads_.size() && *listenFds_[i] >= 0) ::shutdown(*listenFds_[i], SHUT_RDWR);
  }
  for (auto& t : threads_)
    if (t.joinable()) t.join();
  for (auto& s : servers_) s->stop();
  for (auto& t : threads_)
    if (t.joinable()) t.join();
  threads_.clear();
  servers_.clear();
  engine_.reset();
}

}  // namespace lectavo::service
