#pragma once
// What the msc.dll contract tests share: where the test service listens, configuration texts, and a
// loop that collects a session's audio as the program's synthesis worker does.
#include <windows.h>

#include <cstdint>
#include <string>

#include "sdk/msc/msc_api.h"
#include "sdk/msc/msc_errors.h"

namespace sdktest {

// The session parameter text the program sends for item 0 at speed 50.
inline constexpr char kParams[] =
    "aue=raw,auf=audio/L16;rate=16000,bgs=0,ent=intp65,pitch=70,speed=50,tte=GB2312,vcn=x_yiping,volume=100";
inline constexpr char kAppid[] = "7f21ac4e";

// The port of the service the fixture started (LECTAVO_SERVICE_DIR/port); 0 when there is none.
std::uint16_t servicePort();

// A configuration text for 127.0.0.1:port; `extra` (",key=value...") is appended.
std::string configFor(std::uint16_t port, const std::string& extra = ",coding_libs=speex.dll");

// A loopback port with nothing listening on it.
std::uint16_t closedPort();

struct Fetched {
  std::string pcm;
  int error = 0;
  bool ended = false;  // status 2 seen before the limit
  unsigned emptyCalls = 0;
};

// QTTSAudioGet until status 2 or limitMs; a non-zero error is kept.
Fetched fetchAll(const char* sid, DWORD limitMs = 30000);

// One session's text put and all its audio fetched.
Fetched synthesize(const std::string& text, const char* params = kParams);

// Ends every session and the client after each test.
struct FiniGuard {
  ~FiniGuard() { QTTSFini(); }
};

}  // namespace sdktest
