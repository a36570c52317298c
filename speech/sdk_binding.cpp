#include "speech/sdk_binding.h"

#include <windows.h>

#include <mutex>

#include "platform/cp936.h"
#include "platform/error.h"
#include "sdk/msc/msc_api.h"

namespace lectavo::sdk {
namespace {

struct EntryPoints {
  HMODULE module = nullptr;
  decltype(&QTTSSessionEnd) sessionEnd = nullptr;
  decltype(&QTTSFini) fini = nullptr;
  decltype(&QTTSAudioGet) audioGet = nullptr;
  decltype(&QTTSTextPut) textPut = nullptr;
  decltype(&QTTSSessionBegin) sessionBegin = nullptr;
  decltype(&QTTSInit) init = nullptr;
};

EntryPoints& entries() {
  static EntryPoints e;
  return e;
}
std::mutex bindLock;

template <typename Fn>
bool lookUp(HMODULE module, const char* name, Fn& slot, std::string* failure) {
  slot = module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
  if (!slot && failure && failure->empty()) *failure = std::string("GetProcAddress ") + name;
  return slot != nullptr;
}

// A missing entry point is beyond repair: the program cannot speak without it.
template <typename Fn>
Fn require(Fn fn, const char* name) {
  if (!fn) {
    const Text message = Text("无法使用语音库 msc.dll 的 ") + name + "，程序将退出";
    MessageBoxW(nullptr, widen936(message).c_str(), L"", MB_OK | MB_ICONSTOP | MB_TASKMODAL);
    platform::fatalError(std::string("msc.dll: entry point missing: ") + name, 3);
  }
  return fn;
}

}  // namespace

bool bindLibrary(const std::wstring& fullPath, std::string* failure) {
  std::lock_guard<std::mutex> hold(bindLock);
  EntryPoints& e = entries();
  if (!e.module) {
    // Loaded once and kept for the rest of the run.
    e.module = LoadLibraryExW(fullPath.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!e.module && failure) *failure = "LoadLibraryExW " + narrow936(fullPath) + ": " + std::to_string(GetLastError());
  }
  bool ok = e.module != nullptr;
  // The order of the look-ups is the program's usual one; every result is checked.
  ok &= lookUp(e.module, "QTTSSessionEnd", e.sessionEnd, failure);
  ok &= lookUp(e.module, "QTTSFini", e.fini, failure);
  ok &= lookUp(e.module, "QTTSAudioGet", e.audioGet, failure);
  ok &= lookUp(e.module, "QTTSTextPut", e.textPut, failure);
  ok &= lookUp(e.module, "QTTSSessionBegin", e.sessionBegin, failure);
  ok &= lookUp(e.module, "QTTSInit", e.init, failure);
  return ok;
}

void* boundModule() { return entries().module; }

int init(const char* configs) { return require(entries().init, "QTTSInit")(configs); }

const char* sessionBegin(const char* params, int* err) {
  return require(entries().sessionBegin, "QTTSSessionBegin")(params, err);
}

int textPut(const char* sid, const char* text, unsigned len, const char* params) {
  return require(entries().textPut, "QTTSTextPut")(sid, text, len, params);
}

const void* audioGet(const char* sid, unsigned* len, int* status, int* err) {
  return require(entries().audioGet, "QTTSAudioGet")(sid, len, status, err);
}

int sessionEnd(const char* sid, const char* hint) { return require(entries().sessionEnd, "QTTSSessionEnd")(sid, hint); }

int fini() { return require(entries().fini, "QTTSFini")(); }

}  // namespace lectavo::sdk
