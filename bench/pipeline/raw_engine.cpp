// The raw engine's time for a CP936 text, as the baseline of the Save benchmark. Usage:
//   pipeline_raw_engine TEXTFILE
#include <iconv.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "service/engine.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: pipeline_raw_engine TEXTFILE\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  std::string gbk((std::istreambuf_iterator<char>(in)), {});
  iconv_t cd = iconv_open("UTF-8", "GBK");
  std::string utf8(gbk.size() * 2 + 8, '\0');
  char* src = gbk.data();
  char* dst = utf8.data();
  std::size_t srcLeft = gbk.size(), dstLeft = utf8.size();
  if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<std::size_t>(-1) && errno != EINVAL) {
    std::fprintf(stderr, "not CP936 text: %s\n", argv[1]);
    return 1;
  }
  iconv_close(cd);
  utf8.resize(utf8.size() - dstLeft);
  if (const std::string e = lectavo::service::initEngine(); !e.empty()) {
    std::fprintf(stderr, "engine: %s\n", e.c_str());
    return 1;
  }
  lectavo::service::VoiceSettings voice;
  voice.pitch = 70;  // the program's session parameters: speed 50, pitch 70, volume 100
  std::size_t samples = 0;
  const auto t0 = std::chrono::steady_clock::now();
  lectavo::service::synthesize(utf8, voice, [&](const std::int16_t*, std::size_t n) {
    samples += n;
    return true;
  });
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
  std::printf("raw engine: %zu text bytes, %.1f s of audio, %.0f ms\n", gbk.size(), samples / 16000.0, ms);
  return 0;
}
