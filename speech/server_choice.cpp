#include "speech/server_choice.h"

namespace lectavo::speech {

Text chooseServer(Prober& prober) {
  for (const std::string_view target : kProbeTargets) {
    const std::string t(target);
    if (prober.probe(t, kProbeTimeoutMs) != -1) return t + ":80/index.htm";
  }
  return std::string(kProbeTargets[0]) + ":1028/index.htm";
}

Text configText(const Text& serverAddress) {
  return "server_url=" + serverAddress + ",appid=7f21ac4e,timeout=10000,coding_libs=speex.dll,max_text_size=2048";
}

}  // namespace lectavo::speech
