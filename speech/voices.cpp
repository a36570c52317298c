#include "speech/voices.h"

namespace lectavo::speech {

const std::array<VoiceEntry, 4> kVoices = {{
    {"一萍", "x_yiping"},
    {"小媛", "x_xiaoyuan"},
    {"彬哥", "x_binge"},
    {"楠楠", "x_nannan"},
}};

std::string_view voiceNameFor(int currentItem, const Text& fieldText) {
  if (currentItem >= 0 && static_cast<std::size_t>(currentItem) < kVoices.size()) return kVoices[currentItem].name;
  for (const auto& v : kVoices)
    if (v.listText == fieldText) return v.name;
  return kVoices[0].name;
}

Text sessionParamText(std::string_view voiceName, const Text& speed) {
  Text t = "aue=raw,auf=audio/L16;rate=16000,bgs=0,ent=intp65,pitch=70,speed=";
  t += speed;
  t += ",tte=GB2312,vcn=";
  t += voiceName;
  t += ",volume=100";
  return t;
}

}  // namespace lectavo::speech
