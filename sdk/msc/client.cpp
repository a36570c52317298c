#include "sdk/msc/client.h"

#include <windows.h>

#include <cstdio>

#include "sdk/msc/msc_errors.h"
#include "sdk/msc/text_split.h"
#include "wire/params.h"

namespace lectavo::msc {
namespace {

constexpr unsigned kAudioWaitMs = 40;
constexpr std::size_t kRetiredKept = 8;

std::wstring widenAscii(const std::string& s) { return std::wstring(s.begin(), s.end()); }

}  // namespace

Client& client() {
  static Client c;
  return c;
}

int Client::init(const char* configs) {
  if (!configs) return MSC_ERROR_CONFIG_MALFORMED;
  const ConfigResult parsed = parseClientConfig(configs);
  if (!parsed.config) return MSC_ERROR_CONFIG_MALFORMED;
  int error = 0;
  auto service = HttpService::open(*parsed.config, &error);
  if (!service) return error;
  if (const int rc = service->checkHealth(); rc != 0) return rc;
  std::shared_ptr<CodecLibrary> codec;
  if (!parsed.config->codingLibs.empty()) codec = CodecLibrary::load(ownFolder() + widenAscii(parsed.config->codingLibs));

  std::lock_guard<std::mutex> hold(lock_);
  endAllLocked();
  service_ = std::move(service);
  codec_ = std::move(codec);
  return 0;
}

const char* Client::beginSession(const char* params, int* error) {
  int ignored = 0;
  int& err = error ? *error : ignored;
  if (!params) {
    err = MSC_ERROR_INVALID_ARGUMENT;
    return nullptr;
  }
  const wire::ParamResult checked = wire::parseParams(params);
  if (!checked.ok()) {
    err = checked.error.key == "vcn" ? MSC_ERROR_UNKNOWN_VOICE : MSC_ERROR_PARAMS_MALFORMED;
    return nullptr;
  }
  std::lock_guard<std::mutex> hold(lock_);
  if (!service_) {
    err = MSC_ERROR_NOT_INITIALISED;
    return nullptr;
  }
  char id[48];
  std::snprintf(id, sizeof id, "%08lx%04llx%08lx", GetCurrentProcessId() & 0xffffffffUL, nextSession_++,
                GetTickCount() & 0xffffffffUL);
  auto session = std::make_shared<SynthSession>(id, std::make_unique<HttpSynthesizer>(service_, params, codec_));
  const char* result = session->id().c_str();
  sessions_.emplace(session->id(), std::move(session));
  err = 0;
  return result;
}

std::shared_ptr<SynthSession> Client::find(const char* sid) {
  if (!sid) return nullptr;
  std::lock_guard<std::mutex> hold(lock_);
  const auto it = sessions_.find(std::string_view(sid));
  return it == sessions_.end() ? nullptr : it->second;
}

int Client::put(const char* sid, const char* text, unsigned length) {
  if (!text && length > 0) return MSC_ERROR_INVALID_ARGUMENT;
  const auto session = find(sid);
  if (!session) return MSC_ERROR_INVALID_SESSION;
  std::size_t maxText = 0;
  {
    std::lock_guard<std::mutex> hold(lock_);
    if (!service_) return MSC_ERROR_NOT_INITIALISED;
    maxText = service_->config().maxTextSize;
  }
  session->put(splitAtCharacters(std::string_view(text ? text : "", length), maxText));
  return 0;
}

const void* Client::take(const char* sid, unsigned* length, int* status, int* error) {
  unsigned lengthIgnored = 0;
  int statusIgnored = 0;
  int errorIgnored = 0;
  unsigned& len = length ? *length : lengthIgnored;
  int& st = status ? *status : statusIgnored;
  int& err = error ? *error : errorIgnored;
  len = 0;
  const auto session = find(sid);
  if (!session) {
    st = 2;
    err = MSC_ERROR_INVALID_SESSION;
    return nullptr;
  }
  const AudioHandout out = session->take(kAudioWaitMs);
  len = out.length;
  st = out.status;
  err = out.error;
  return out.length ? out.data : nullptr;
}

int Client::endSession(const char* sid) {
  std::shared_ptr<SynthSession> session;
  {
    std::lock_guard<std::mutex> hold(lock_);
    const auto it = sid ? sessions_.find(std::string_view(sid)) : sessions_.end();
    if (it == sessions_.end()) return MSC_ERROR_INVALID_SESSION;
    session = it->second;
    sessions_.erase(it);
    retired_.push_back(session);
    if (retired_.size() > kRetiredKept) retired_.pop_front();
  }
  session->end();
  return 0;
}

void Client::endAllLocked() {
  for (auto& [id, session] : sessions_) {
    session->end();
    retired_.push_back(session);
  }
  sessions_.clear();
  while (retired_.size() > kRetiredKept) retired_.pop_front();
}

int Client::fini() {
  std::deque<std::shared_ptr<SynthSession>> ending;
  unsigned timeoutMs = 0;
  {
    std::lock_guard<std::mutex> hold(lock_);
    if (!service_) return MSC_ERROR_NOT_INITIALISED;
    timeoutMs = service_->config().timeoutMs;
    endAllLocked();
    ending.swap(retired_);
    service_.reset();
    codec_.reset();
  }
  // Workers hold the connection and the codec library; together they get the time-out to let go.
  const ULONGLONG deadline = GetTickCount64() + timeoutMs + 1000;
  for (auto& s : ending) {
    const ULONGLONG now = GetTickCount64();
    s->waitEnded(now < deadline ? static_cast<unsigned>(deadline - now) : 0);
  }
  return 0;
}

}  // namespace lectavo::msc
