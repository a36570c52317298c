#pragma once
// Choosing the speech server at start-up: the hosts are pinged in order, the first that answers is
// used on port 80; when none answers, the primary host on port 1028. Portable: the ping is behind
// Prober so the order can be checked without a network.
#include <array>
#include <string>
#include <string_view>

#include "app/window.h"

namespace lectavo::speech {

class Prober {
 public:
  virtual ~Prober() = default;
  // Round-trip time in ms of one echo to `target` (a host name or dotted IPv4 address), or -1 when the
  // name does not resolve, nothing answers within timeoutMs or pinging is unavailable.
  virtual long probe(const std::string& target, unsigned timeoutMs) = 0;
};

inline constexpr unsigned kProbeTimeoutMs = 3000;
// The primary host first, then the fallback addresses; all on loopback.
inline constexpr std::array<std::string_view, 4> kProbeTargets = {"localhost", "127.0.0.1", "127.0.0.2", "127.0.0.3"};

// The server address text: target + ":80/index.htm", or the primary host + ":1028/index.htm".
Text chooseServer(Prober& prober);

// The configuration text for QTTSInit with that server address.
Text configText(const Text& serverAddress);

}  // namespace lectavo::speech
