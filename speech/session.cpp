#include "speech/session.h"

#include <windows.h>

#include <mutex>

#include "platform/cp936.h"
#include "speech/sdk_binding.h"
#include "speech/voices.h"

namespace lectavo {
namespace {

// Opened from the window thread and the synthesis worker: the texts are replaced whole, under a lock.
std::mutex sessionLock;
Text sessionId;
Text sessionParams;

void replace(Text& slot, Text value) {
  std::lock_guard<std::mutex> hold(sessionLock);
  slot = std::move(value);
}

}  // namespace

void closeSession() {
  const Text id = currentSessionId();
  if (!id.empty()) sdk::sessionEnd(id.c_str(), "");
}

void openSession() {
  closeSession();
  const std::string_view voice =
      speech::voiceNameFor(readInt(Control::组合框1, Prop::currentItem), readText(Control::组合框1, Prop::text));
  const Text params = speech::sessionParamText(voice, readText(Control::编辑框2, Prop::text));
  replace(sessionParams, params);
  int err = 0;
  const char* sid = sdk::sessionBegin(params.c_str(), &err);
  replace(sessionId, sid ? Text(sid) : Text());
  if (err != 0)
    MessageBoxW(nullptr, widen936("会话失败，请重新启动再试").c_str(), L"", MB_OK | MB_ICONSTOP | MB_TASKMODAL);
}

Text currentSessionId() {
  std::lock_guard<std::mutex> hold(sessionLock);
  return sessionId;
}

Text currentSessionParams() {
  std::lock_guard<std::mutex> hold(sessionLock);
  return sessionParams;
}

}  // namespace lectavo
