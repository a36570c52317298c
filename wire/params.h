#pragma once
// The session parameter text: comma-separated key=value pairs (aue, auf, bgs, ent, pitch, speed, tte,
// vcn, volume). The service parses it for every synthesis request; msc.dll parses it to refuse a bad
// session up front. Portable and exception-free at its API: failures come back as a ParamError.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace lectavo::wire {

enum class Voice : std::uint8_t { yiping, xiaoyuan, binge, nannan };
inline constexpr std::array<std::string_view, 4> kVoiceNames = {"x_yiping", "x_xiaoyuan", "x_binge",
                                                               "x_nannan"};
constexpr std::string_view voiceName(Voice v) { return kVoiceNames[static_cast<std::size_t>(v)]; }

// Encodings the text may arrive in (named by tte).
enum class TextEncoding : std::uint8_t { gbk, gb18030, utf8 };

struct SessionParams {
  Voice voice = Voice::yiping;
  int speed = 50;    // 0..100, 50 = the engine's normal rate
  int pitch = 50;    // 0..100, 50 = the voice's own pitch
  int volume = 100;  // 0..100, 100 = the engine's normal loudness
  TextEncoding encoding = TextEncoding::gbk;
};

struct ParamError {
  std::string key;      // the key at fault ("" when the text as a whole is at fault)
  std::string message;  // plain ASCII, names the key and shows the bad value
};

struct ParamResult {
  SessionParams params;
  ParamError error;
  bool ok() const { return error.message.empty(); }
};

// Keys missing from the text keep the SessionParams defaults.
ParamResult parseParams(std::string_view text);

// The speed text as the program itself reads it: leading white space (ASCII or the full-width space
// of code page 936) skipped, an optional sign, then digits (ASCII or full-width) up to the first
// other byte; no digits gives 0.
int leadingNumber(std::string_view text);

}  // namespace lectavo::wire
