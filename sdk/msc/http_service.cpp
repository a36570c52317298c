#include "sdk/msc/http_service.h"

#include <thread>

#include "sdk/msc/msc_errors.h"

namespace lectavo::msc {
namespace {

constexpr wchar_t kAppidHeader[] = L"X-Lectavo-Appid: ";
constexpr unsigned kBusyRetries = 3;

// Configuration and parameter texts are ASCII in practice; other bytes travel as the same code units.
std::wstring widenBytes(const std::string& s) { return std::wstring(s.begin(), s.end()); }

// Some WinHTTP builds report a socket's own time-out code rather than their own.
constexpr DWORD kSocketTimedOut = 10060;  // WSAETIMEDOUT

int transportError(DWORD code) {
  return code == ERROR_WINHTTP_TIMEOUT || code == kSocketTimedOut ? MSC_ERROR_TIMEOUT : MSC_ERROR_NETWORK;
}

DWORD statusCode(HINTERNET request) {
  DWORD code = 0;
  DWORD size = sizeof code;
  if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                           WINHTTP_HEADER_NAME_BY_INDEX, &code, &size, WINHTTP_NO_HEADER_INDEX))
    return 0;
  return code;
}

std::wstring header(HINTERNET request, const wchar_t* name) {
  DWORD size = 0;
  WinHttpQueryHeaders(request, WINHTTP_QUERY_CUSTOM, name, WINHTTP_NO_OUTPUT_BUFFER, &size, WINHTTP_NO_HEADER_INDEX);
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0) return L"";
  std::wstring value(size / sizeof(wchar_t), L'\0');
  if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_CUSTOM, name, value.data(), &size, WINHTTP_NO_HEADER_INDEX))
    return L"";
  value.resize(size / sizeof(wchar_t));
  return value;
}

UniqueInternet openRequest(HINTERNET connection, const wchar_t* verb, const std::wstring& path, unsigned timeoutMs) {
  UniqueInternet request(WinHttpOpenRequest(connection, verb, path.c_str(), nullptr, WINHTTP_NO_REFERER,
                                            WINHTTP_DEFAULT_ACCEPT_TYPES, 0));
  if (!request) return request;
  // A fresh connection for every request: a kept-alive one the service has since closed would fail
  // the request it is reused for.
  DWORD noKeepAlive = WINHTTP_DISABLE_KEEP_ALIVE;
  WinHttpSetOption(request.get(), WINHTTP_OPTION_DISABLE_FEATURE, &noKeepAlive, sizeof noKeepAlive);
  // The wait for the answer's head has a time-out of its own.
  DWORD t = timeoutMs;
  WinHttpSetOption(request.get(), WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &t, sizeof t);
  return request;
}

}  // namespace

std::shared_ptr<HttpService> HttpService::open(const ClientConfig& config, int* error) {
  auto s = std::shared_ptr<HttpService>(new HttpService());
  s->config_ = config;
  s->session_.reset(WinHttpOpen(L"lectavo-msc/1.0", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                                WINHTTP_NO_PROXY_BYPASS, 0));
  const int t = static_cast<int>(config.timeoutMs);
  if (!s->session_ || !WinHttpSetTimeouts(s->session_.get(), t, t, t, t)) {
    *error = MSC_ERROR_SERVICE_UNREACHABLE;
    return nullptr;
  }
  s->connect_.reset(WinHttpConnect(s->session_.get(), widenBytes(config.host).c_str(), config.port, 0));
  if (!s->connect_) {
    *error = MSC_ERROR_CONFIG_MALFORMED;
    return nullptr;
  }
  *error = 0;
  return s;
}

int HttpService::checkHealth() const {
  UniqueInternet request = openRequest(connect_.get(), L"GET", widenBytes(config_.path), config_.timeoutMs);
  if (!request) return MSC_ERROR_SERVICE_UNREACHABLE;
  const std::wstring headers = kAppidHeader + widenBytes(config_.appid);
  if (!WinHttpSendRequest(request.get(), headers.c_str(), static_cast<DWORD>(-1), WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
      !WinHttpReceiveResponse(request.get(), nullptr))
    return MSC_ERROR_SERVICE_UNREACHABLE;
  const DWORD code = statusCode(request.get());
  if (code == 403) return MSC_ERROR_APPID_REFUSED;
  if (code != 200) return MSC_ERROR_SERVICE_UNUSABLE;
  // Any answer from another kind of server on that port is no speech service.
  if (header(request.get(), L"Content-Type").find(L"application/json") != 0) return MSC_ERROR_SERVICE_UNUSABLE;
  return 0;
}

HttpSynthesizer::HttpSynthesizer(std::shared_ptr<const HttpService> service, std::string params,
                                 std::shared_ptr<const CodecLibrary> codec)
    : service_(std::move(service)), params_(std::move(params)), codec_(std::move(codec)) {}

int HttpSynthesizer::synthesize(const std::string& text, const std::function<void(Bytes&&)>& onAudio,
                                const std::atomic<bool>& stop) {
  for (unsigned tries = 0;; ++tries) {
    unsigned retryAfterMs = 0;
    const int rc = attempt(text, onAudio, stop, &retryAfterMs);
    // A busy service asks to come back; a short wait usually finds a free worker.
    if (rc != MSC_ERROR_REQUEST_REFUSED || retryAfterMs == 0 || tries + 1 >= kBusyRetries || stop) return rc;
    std::this_thread::sleep_for(std::chrono::milliseconds(retryAfterMs));
  }
}

int HttpSynthesizer::attempt(const std::string& text, const std::function<void(Bytes&&)>& onAudio,
                             const std::atomic<bool>& stop, unsigned* retryAfterMs) {
  UniqueInternet request = openRequest(service_->connection(), L"POST", L"/tts", service_->config().timeoutMs);
  if (!request) return MSC_ERROR_NETWORK;
  {
    std::lock_guard<std::mutex> hold(requestLock_);
    if (stop) return 0;
    request_ = request.get();
  }
  // Runs before `request` is destroyed: a handle abort() has closed must not be closed again.
  platform::ScopeExit forget([this, &request] {
    std::lock_guard<std::mutex> hold(requestLock_);
    if (closedByAbort_) request.release();
    request_ = nullptr;
    closedByAbort_ = false;
  });

  const std::wstring headers = kAppidHeader + widenBytes(service_->config().appid) +
                               L"\r\nX-Lectavo-Params: " + widenBytes(params_) +
                               L"\r\nX-Lectavo-Codec: " + (codec_ ? L"ima-adpcm" : L"pcm") +
                               L"\r\nContent-Type: text/plain";
  const DWORD length = static_cast<DWORD>(text.size());
  if (!WinHttpSendRequest(request.get(), headers.c_str(), static_cast<DWORD>(-1),
                          const_cast<char*>(text.data()), length, length, 0) ||
      !WinHttpReceiveResponse(request.get(), nullptr))
    return stop ? 0 : transportError(GetLastError());
  const DWORD code = statusCode(request.get());
  if (code != 200) {
    if (code == 503) *retryAfterMs = 200;
    return MSC_ERROR_REQUEST_REFUSED;
  }
  const bool adpcm = header(request.get(), L"Content-Type").find(L"audio/x-lectavo-ima-adpcm") == 0;
  if (adpcm && !codec_) return MSC_ERROR_AUDIO_MALFORMED;
  std::unique_ptr<CodecLibrary::Stream> decoder;
  if (adpcm) decoder = std::make_unique<CodecLibrary::Stream>(codec_);

  std::uint8_t buffer[16384];
  std::uint8_t oddByte = 0;  // PCM reads may end inside a sample
  bool haveOdd = false;
  for (;;) {
    // Read what has arrived, no more: a read of a whole buffer waits until the buffer is full.
    DWORD available = 0;
    if (!WinHttpQueryDataAvailable(request.get(), &available)) return stop ? 0 : transportError(GetLastError());
    if (stop) return 0;
    if (available == 0) break;
    DWORD n = 0;
    if (!WinHttpReadData(request.get(), buffer, available < sizeof buffer ? available : sizeof buffer, &n))
      return stop ? 0 : transportError(GetLastError());
    if (stop) return 0;
    if (n == 0) break;
    Bytes pcm;
    if (decoder) {
      if (!decoder->feed(buffer, n, pcm)) return MSC_ERROR_AUDIO_MALFORMED;
    } else {
      pcm.reserve(n + 1);
      if (haveOdd) pcm.push_back(oddByte);
      pcm.insert(pcm.end(), buffer, buffer + n);
      haveOdd = pcm.size() % 2 != 0;
      if (haveOdd) {
        oddByte = pcm.back();
        pcm.pop_back();
      }
    }
    onAudio(std::move(pcm));
  }
  if (haveOdd || (decoder && !decoder->complete())) return MSC_ERROR_AUDIO_MALFORMED;
  return 0;
}

void HttpSynthesizer::abort() {
  // Closing the handle cuts a request short where WinHTTP supports it; elsewhere the stop flag ends
  // it at its next read.
  std::lock_guard<std::mutex> hold(requestLock_);
  if (request_) {
    WinHttpCloseHandle(request_);
    closedByAbort_ = true;
  }
  request_ = nullptr;
}

}  // namespace lectavo::msc
