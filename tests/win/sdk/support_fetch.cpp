// The audio loops of the contract tests (linked against msc.dll directly).
#include "support.h"

namespace sdktest {

Fetched fetchAll(const char* sid, DWORD limitMs) {
  Fetched f;
  const ULONGLONG end = GetTickCount64() + limitMs;
  while (GetTickCount64() < end) {
    unsigned len = 0;
    int status = 0;
    int err = 0;
    const void* audio = QTTSAudioGet(sid, &len, &status, &err);
    if (audio && len) {
      f.pcm.append(static_cast<const char*>(audio), len);
    } else {
      ++f.emptyCalls;
    }
    if (err != 0) f.error = err;
    if (status == 2) {
      f.ended = true;
      break;
    }
  }
  return f;
}

Fetched synthesize(const std::string& text, const char* params) {
  int err = -1;
  const char* sid = QTTSSessionBegin(params, &err);
  if (!sid || err != 0) {
    Fetched f;
    f.error = err;
    return f;
  }
  const std::string id = sid;
  QTTSTextPut(id.c_str(), text.data(), static_cast<unsigned>(text.size()), "");
  Fetched f = fetchAll(id.c_str());
  QTTSSessionEnd(id.c_str(), "");
  return f;
}

}  // namespace sdktest
