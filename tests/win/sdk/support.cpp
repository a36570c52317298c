#include "support.h"

#include <winsock2.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>

namespace sdktest {

std::uint16_t servicePort() {
  const char* dir = std::getenv("LECTAVO_SERVICE_DIR");
  if (!dir) return 0;
  std::string path = dir;
  if (!path.empty() && path[0] == '/') path = "Z:" + path;  // a Unix path as Wine maps it
  path += "/port";
  FILE* f = std::fopen(path.c_str(), "r");
  if (!f) return 0;
  char buf[16] = {};
  const std::size_t n = std::fread(buf, 1, sizeof buf - 1, f);
  std::fclose(f);
  std::uint16_t port = 0;
  std::from_chars(buf, buf + n, port);
  return port;
}

std::string configFor(std::uint16_t port, const std::string& extra) {
  return "server_url=127.0.0.1:" + std::to_string(port) + "/index.htm,appid=" + kAppid + ",timeout=10000" + extra;
}

std::uint16_t closedPort() {
  WSADATA d;
  WSAStartup(MAKEWORD(2, 2), &d);
  const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int len = sizeof a;
  bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
  getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
  closesocket(s);
  WSACleanup();
  return ntohs(a.sin_port);
}

}  // namespace sdktest
