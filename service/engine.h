#pragma once
// The synthesis engine of this process: eSpeak NG with its Mandarin pinyin voice, resampled to
// 16 kHz. The engine library keeps global state, so there is one per process; the service runs
// each synthesis in a process of its own (engine_host.h).
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "wire/params.h"

namespace lectavo::service {

inline constexpr int kOutputRate = 16000;

struct VoiceSettings {
  wire::Voice voice = wire::Voice::yiping;
  int speed = 50;
  int pitch = 50;
  int volume = 100;
};

// Receives 16 kHz mono PCM as it is made; returning false stops the synthesis.
using PcmSink = std::function<bool(const std::int16_t* pcm, std::size_t samples)>;

enum class SynthOutcome { done, stopped, failed };

struct SynthResult {
  SynthOutcome outcome = SynthOutcome::failed;
  std::string error;  // the failing call and its code, when failed
};

// Loads the engine once; an empty string on success, else what failed.
std::string initEngine();

// Speaks UTF-8 text. Deterministic only from a fresh engine state: the engine carries state from
// one synthesis to the next, which is why each request gets a freshly forked process.
SynthResult synthesize(std::string_view utf8, const VoiceSettings& settings, const PcmSink& sink);

// The engine's phoneme transcription of UTF-8 text with the given voice ("(en)" marks a switch to
// English pronunciation).
std::string phonemes(std::string_view utf8, wire::Voice voice);

// Engine words per minute for a speed 0..100 (50 = the engine's normal rate).
int engineRate(int speed);

}  // namespace lectavo::service
