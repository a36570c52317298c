#pragma once
// The speech service over WinHTTP: the health check of QTTSInit and one synthesis request per text.
#include <memory>
#include <mutex>
#include <string>

#include "sdk/msc/client_config.h"
#include "sdk/msc/codec_library.h"
#include "sdk/msc/synth_session.h"
#include "sdk/msc/winhttp_handle.h"

namespace lectavo::msc {

// The connection to one service: shared by every session and request of the client.
class HttpService {
 public:
  // Null with *error set (an MSC_ERROR_* code) when WinHTTP cannot be set up.
  static std::shared_ptr<HttpService> open(const ClientConfig& config, int* error);

  // GET of the health page with the appid: 0, or the QTTSInit error code.
  int checkHealth() const;

  const ClientConfig& config() const { return config_; }
  HINTERNET connection() const { return connect_.get(); }

 private:
  ClientConfig config_;
  UniqueInternet session_;
  UniqueInternet connect_;
};

// POST /tts of one text with the session's parameter text; ADPCM when a codec library is loaded.
class HttpSynthesizer : public Synthesizer {
 public:
  HttpSynthesizer(std::shared_ptr<const HttpService> service, std::string params,
                  std::shared_ptr<const CodecLibrary> codec);
  int synthesize(const std::string& text, const std::function<void(Bytes&&)>& onAudio,
                 const std::atomic<bool>& stop) override;
  void abort() override;

 private:
  int attempt(const std::string& text, const std::function<void(Bytes&&)>& onAudio,
              const std::atomic<bool>& stop, unsigned* retryAfterMs);

  std::shared_ptr<const HttpService> service_;
  std::string params_;
  std::shared_ptr<const CodecLibrary> codec_;
  std::mutex requestLock_;
  HINTERNET request_ = nullptr;  // the request in flight, for abort()
  bool closedByAbort_ = false;
};

}  // namespace lectavo::msc
