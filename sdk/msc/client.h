#pragma once
// The state behind msc.dll's entry points: one initialised client with its open sessions.
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "sdk/msc/codec_library.h"
#include "sdk/msc/http_service.h"
#include "sdk/msc/synth_session.h"

namespace lectavo::msc {

class Client {
 public:
  // QTTSInit: 0 or an MSC_ERROR_* code. A second init replaces the first (its sessions end).
  int init(const char* configs);
  // QTTSSessionBegin.
  const char* beginSession(const char* params, int* error);
  // QTTSTextPut.
  int put(const char* sid, const char* text, unsigned length);
  // QTTSAudioGet.
  const void* take(const char* sid, unsigned* length, int* status, int* error);
  // QTTSSessionEnd.
  int endSession(const char* sid);
  // QTTSFini.
  int fini();

 private:
  std::shared_ptr<SynthSession> find(const char* sid);
  void endAllLocked();

  std::mutex lock_;
  std::shared_ptr<HttpService> service_;
  std::shared_ptr<CodecLibrary> codec_;
  std::map<std::string, std::shared_ptr<SynthSession>, std::less<>> sessions_;
  // Ended sessions stay a little longer: a caller may still be copying the audio last handed out.
  std::deque<std::shared_ptr<SynthSession>> retired_;
  unsigned long long nextSession_ = 1;
};

Client& client();

}  // namespace lectavo::msc
