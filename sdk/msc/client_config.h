#pragma once
// The configuration text msc.dll is initialised with: "server_url=host:port/path,appid=...,timeout=ms,
// coding_libs=name.dll,max_text_size=bytes". Portable.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lectavo::msc {

struct ClientConfig {
  std::string host;            // name or dotted address of the service
  std::uint16_t port = 80;
  std::string path = "/";      // the health page, starts with "/"
  std::string appid;
  unsigned timeoutMs = 10000;  // each connect, send and wait for data
  std::string codingLibs;      // bare file name beside msc.dll; "" for none
  std::size_t maxTextSize = 2048;
};

struct ConfigResult {
  std::optional<ClientConfig> config;
  std::string error;  // names the key at fault when config is empty
};

// server_url and appid are required; the other keys keep their defaults when absent. Unknown keys are
// ignored (later versions may add some); a key given twice, a key without "=", an empty value or a
// number out of range is an error.
ConfigResult parseClientConfig(std::string_view text);

}  // namespace lectavo::msc
