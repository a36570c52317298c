#include "speech/service_init.h"

#include <windows.h>

#include "platform/cp936.h"
#include "speech/icmp_prober.h"
#include "speech/sdk_binding.h"
#include "speech/server_choice.h"

namespace lectavo {
namespace {
// Held for the rest of the run, as the library may keep pointers into it.
Text configuration;
}  // namespace

bool initialiseService() {
  speech::IcmpProber prober;
  configuration = speech::configText(speech::chooseServer(prober));
  if (sdk::init(configuration.c_str()) == 0) return true;
  MessageBoxW(nullptr, widen936("初始化失败，请重新启动再试").c_str(), L"", MB_OK | MB_ICONSTOP | MB_TASKMODAL);
  return false;
}

}  // namespace lectavo
