#include "engine.h"

#include <espeak-ng/speak_lib.h>
#include <speex/speex_resampler.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>
#include <vector>

namespace lectavo::service {
namespace {

constexpr int kEngineRate = 22050;
constexpr int kBufferMs = 20;  // small engine buffer: the first audio leaves early
constexpr int kResamplerQuality = 5;

// Two women, a man and a child: engine variants differ in formants and pitch range; the child is a
// light female variant raised further.
struct VoiceShape {
  const char* engineVoice;
  int pitchShift;  // added to the requested pitch (0..100 engine scale)
  int rangeShift;  // added to the engine's normal pitch range (50)
};
constexpr std::array<VoiceShape, 4> kShapes = {{
    {"cmn-latn-pinyin+f2", 0, 0},     // x_yiping
    {"cmn-latn-pinyin+f4", -12, 15},  // x_xiaoyuan
    {"cmn-latn-pinyin+m3", 0, 0},     // x_binge
    {"cmn-latn-pinyin+f5", 30, 10},   // x_nannan
}};

bool gReady = false;

struct ResamplerDeleter {
  void operator()(SpeexResamplerState* s) const { speex_resampler_destroy(s); }
};
using Resampler = std::unique_ptr<SpeexResamplerState, ResamplerDeleter>;

struct Run {
  const PcmSink* sink;
  SpeexResamplerState* resampler;
  std::vector<std::int16_t> out;
  bool stopped = false;

  bool push(const std::int16_t* in, std::size_t n) {
    while (n > 0) {
      spx_uint32_t inLen = static_cast<spx_uint32_t>(std::min<std::size_t>(n, 4096));
      out.resize(inLen * kOutputRate / kEngineRate + 16);
      spx_uint32_t outLen = static_cast<spx_uint32_t>(out.size());
      speex_resampler_process_int(resampler, 0, in, &inLen, out.data(), &outLen);
      if (outLen > 0 && !(*sink)(out.data(), outLen)) {
        stopped = true;
        return false;
      }
      in += inLen;
      n -= inLen;
      if (inLen == 0 && outLen == 0) break;
    }
    return true;
  }
};

Run* gRun = nullptr;

int onSynth(short* wav, int samples, espeak_EVENT*) {
  if (gRun == nullptr || wav == nullptr || samples <= 0) return 0;
  return gRun->push(wav, static_cast<std::size_t>(samples)) ? 0 : 1;
}

std::string failure(const char* call, int code) { return std::string(call) + " failed with " + std::to_string(code); }

SynthResult failed(std::string e) { return {SynthOutcome::failed, std::move(e)}; }

}  // namespace

int engineRate(int speed) {
  speed = std::clamp(speed, 0, 100);
  if (speed <= 50) return 80 + (espeakRATE_NORMAL - 80) * speed / 50;
  return espeakRATE_NORMAL + (390 - espeakRATE_NORMAL) * (speed - 50) / 50;
}

std::string initEngine() {
  if (gReady) return {};
  const int rate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, kBufferMs, nullptr, espeakINITIALIZE_DONT_EXIT);
  if (rate != kEngineRate) return failure("espeak_Initialize", rate);
  espeak_SetSynthCallback(onSynth);
  // Every voice must load now rather than fail a request later.
  for (const VoiceShape& s : kShapes) {
    const espeak_ERROR e = espeak_SetVoiceByName(s.engineVoice);
    if (e != EE_OK) return failure("espeak_SetVoiceByName", e) + " for " + s.engineVoice;
  }
  gReady = true;
  return {};
}

SynthResult synthesize(std::string_view utf8, const VoiceSettings& settings, const PcmSink& sink) {
  if (!gReady) return failed("engine not initialised");
  const VoiceShape& shape = kShapes[static_cast<std::size_t>(settings.voice)];
  if (const espeak_ERROR e = espeak_SetVoiceByName(shape.engineVoice); e != EE_OK)
    return failed(failure("espeak_SetVoiceByName", e));
  espeak_SetParameter(espeakRATE, engineRate(settings.speed), 0);
  espeak_SetParameter(espeakPITCH, std::clamp(settings.pitch + shape.pitchShift, 0, 100), 0);
  espeak_SetParameter(espeakRANGE, std::clamp(50 + shape.rangeShift, 0, 100), 0);
  espeak_SetParameter(espeakVOLUME, std::clamp(settings.volume, 0, 100), 0);

  int err = 0;
  Resampler resampler(speex_resampler_init(1, kEngineRate, kOutputRate, kResamplerQuality, &err));
  if (!resampler) return failed(failure("speex_resampler_init", err));
  speex_resampler_skip_zeros(resampler.get());

  // The breath noise of some variants draws on rand(): a fixed seed keeps the audio repeatable.
  std::srand(1);
  Run run{&sink, resampler.get(), {}};
  gRun = &run;
  const std::string text(utf8);
  const espeak_ERROR e = espeak_Synth(text.c_str(), text.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8,
                                      nullptr, nullptr);
  gRun = nullptr;
  if (run.stopped) return {SynthOutcome::stopped, {}};
  if (e != EE_OK) return failed(failure("espeak_Synth", e));
  // The filter's delay still holds the last few milliseconds: push silence through it.
  const std::vector<std::int16_t> tail(static_cast<std::size_t>(speex_resampler_get_input_latency(resampler.get())), 0);
  run.push(tail.data(), tail.size());
  if (run.stopped) return {SynthOutcome::stopped, {}};
  return {SynthOutcome::done, {}};
}

std::string phonemes(std::string_view utf8, wire::Voice voice) {
  if (!gReady) return {};
  espeak_SetVoiceByName(kShapes[static_cast<std::size_t>(voice)].engineVoice);
  const std::string text(utf8);
  const void* p = text.c_str();
  std::string out;
  while (p != nullptr) {
    const char* ph = espeak_TextToPhonemes(&p, espeakCHARS_UTF8, 0);
    if (ph == nullptr) break;
    if (!out.empty()) out += ' ';
    out += ph;
  }
  return out;
}

}  // namespace lectavo::service
