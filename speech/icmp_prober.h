#pragma once
// The real ping: one ICMP echo through the system's ICMP library.
#include "speech/server_choice.h"

namespace lectavo::speech {

class IcmpProber : public Prober {
 public:
  long probe(const std::string& target, unsigned timeoutMs) override;
};

}  // namespace lectavo::speech
