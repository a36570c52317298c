#pragma once
// The voice list's items and the voice names the service knows them by. Portable.
#include <array>
#include <string_view>

#include "app/window.h"

namespace lectavo::speech {

struct VoiceEntry {
  std::string_view listText;  // CP936, as the voice list shows it
  std::string_view name;      // sent as vcn
};

extern const std::array<VoiceEntry, 4> kVoices;

// The voice to send: the list's current item; with none current (the user typed into the field), the
// item whose text equals the field's text, and item 0 otherwise.
std::string_view voiceNameFor(int currentItem, const Text& fieldText);

// The session parameter text for a voice name and the speed box's text, taken as it is.
Text sessionParamText(std::string_view voiceName, const Text& speed);

}  // namespace lectavo::speech
