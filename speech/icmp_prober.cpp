#include "speech/icmp_prober.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>
#include <icmpapi.h>

#include <vector>

#include "platform/owner.h"

namespace lectavo::speech {
namespace {

struct IcmpTraits {
  using Value = HANDLE;
  static Value none() { return INVALID_HANDLE_VALUE; }
  static void release(Value v) { IcmpCloseHandle(v); }
};

class WinsockUser {
 public:
  WinsockUser() { ok_ = WSAStartup(MAKEWORD(2, 2), &data_) == 0; }
  ~WinsockUser() {
    if (ok_) WSACleanup();
  }
  explicit operator bool() const { return ok_; }

 private:
  WSADATA data_{};
  bool ok_ = false;
};

// A dotted address as it is; a name through the resolver (IPv4 only, as the echo is).
bool resolve(const std::string& target, IPAddr& out) {
  in_addr a{};
  if (inet_pton(AF_INET, target.c_str(), &a) == 1) {
    out = a.s_addr;
    return true;
  }
  addrinfo hints{};
  hints.ai_family = AF_INET;
  addrinfo* found = nullptr;
  if (getaddrinfo(target.c_str(), nullptr, &hints, &found) != 0 || !found) return false;
  out = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
  freeaddrinfo(found);
  return true;
}

}  // namespace

long IcmpProber::probe(const std::string& target, unsigned timeoutMs) {
  const WinsockUser winsock;
  IPAddr address = 0;
  if (!winsock || !resolve(target, address)) return -1;
  platform::Owner<IcmpTraits> icmp(IcmpCreateFile());
  if (!icmp) return -1;
  // No data bytes, default options; the reply buffer must hold one reply and 8 bytes for an error.
  std::vector<unsigned char> reply(sizeof(ICMP_ECHO_REPLY) + 8);
  const DWORD replies = IcmpSendEcho(icmp.get(), address, nullptr, 0, nullptr, reply.data(),
                                     static_cast<DWORD>(reply.size()), timeoutMs);
  if (replies == 0) return -1;
  // Any reply counts, whatever its status.
  return static_cast<long>(reinterpret_cast<const ICMP_ECHO_REPLY*>(reply.data())->RoundTripTime);
}

}  // namespace lectavo::speech
