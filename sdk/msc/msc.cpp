// msc.dll's entry points. Nothing thrown inside crosses them.
#include "sdk/msc/msc_api.h"

#include <new>

#include "sdk/msc/client.h"
#include "sdk/msc/msc_errors.h"

using lectavo::msc::client;

namespace {
template <typename F, typename R>
R guarded(F&& f, R onFailure) {
  try {
    return f();
  } catch (...) {
    return onFailure;
  }
}
}  // namespace

extern "C" {

int __stdcall QTTSInit(const char* configs) {
  return guarded([&] { return client().init(configs); }, MSC_ERROR_OUT_OF_MEMORY);
}

const char* __stdcall QTTSSessionBegin(const char* params, int* errorCode) {
  const char* sid = guarded([&] { return client().beginSession(params, errorCode); }, static_cast<const char*>(nullptr));
  if (!sid && errorCode && *errorCode == 0) *errorCode = MSC_ERROR_OUT_OF_MEMORY;
  return sid;
}

int __stdcall QTTSTextPut(const char* sessionID, const char* textString, unsigned int textLen, const char*) {
  return guarded([&] { return client().put(sessionID, textString, textLen); }, MSC_ERROR_OUT_OF_MEMORY);
}

const void* __stdcall QTTSAudioGet(const char* sessionID, unsigned int* audioLen, int* synthStatus, int* errorCode) {
  try {
    return client().take(sessionID, audioLen, synthStatus, errorCode);
  } catch (...) {
    // Status 2 so that no caller keeps asking for audio that cannot come.
    if (audioLen) *audioLen = 0;
    if (synthStatus) *synthStatus = 2;
    if (errorCode) *errorCode = MSC_ERROR_OUT_OF_MEMORY;
    return nullptr;
  }
}

int __stdcall QTTSSessionEnd(const char* sessionID, const char*) {
  return guarded([&] { return client().endSession(sessionID); }, MSC_ERROR_OUT_OF_MEMORY);
}

int __stdcall QTTSFini(void) {
  return guarded([&] { return client().fini(); }, MSC_ERROR_OUT_OF_MEMORY);
}

}  // extern "C"
