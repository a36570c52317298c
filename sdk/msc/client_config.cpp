#include "sdk/msc/client_config.h"

#include <charconv>
#include <set>

namespace lectavo::msc {
namespace {

template <typename T>
bool parseNumber(std::string_view text, T min, T max, T& out) {
  T v{};
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size() || v < min || v > max) return false;
  out = v;
  return true;
}

// "host:port/path", "host/path" or "host[:port]"; the scheme, when given, must be http.
bool parseServerUrl(std::string_view url, ClientConfig& c) {
  constexpr std::string_view scheme = "http://";
  if (url.substr(0, scheme.size()) == scheme) url.remove_prefix(scheme.size());
  const std::size_t slash = url.find('/');
  const std::string_view hostPort = url.substr(0, slash);
  c.path = slash == std::string_view::npos ? "/" : std::string(url.substr(slash));
  const std::size_t colon = hostPort.find(':');
  const std::string_view host = hostPort.substr(0, colon);
  if (host.empty() || host.find_first_of(" \t@?#") != std::string_view::npos) return false;
  c.host = std::string(host);
  if (colon == std::string_view::npos) {
    c.port = 80;
    return true;
  }
  return parseNumber<std::uint16_t>(hostPort.substr(colon + 1), 1, 65535, c.port);
}

bool isBareFileName(std::string_view name) {
  return !name.empty() && name.find_first_of("\\/:") == std::string_view::npos && name != "." && name != "..";
}

}  // namespace

ConfigResult parseClientConfig(std::string_view text) {
  ClientConfig c;
  std::set<std::string, std::less<>> seen;
  std::size_t pos = 0;
  while (pos <= text.size()) {
    const std::size_t comma = text.find(',', pos);
    const std::string_view item = text.substr(pos, comma == std::string_view::npos ? text.npos : comma - pos);
    pos = comma == std::string_view::npos ? text.size() + 1 : comma + 1;
    if (item.empty()) continue;  // "a=b,,c=d" and a trailing comma are harmless
    const std::size_t eq = item.find('=');
    if (eq == std::string_view::npos || eq == 0) return {std::nullopt, "not a key=value pair: " + std::string(item)};
    const std::string_view key = item.substr(0, eq);
    const std::string_view value = item.substr(eq + 1);
    if (!seen.insert(std::string(key)).second) return {std::nullopt, std::string(key) + ": given twice"};
    if (value.empty()) return {std::nullopt, std::string(key) + ": empty value"};
    bool ok = true;
    if (key == "server_url") {
      ok = parseServerUrl(value, c);
    } else if (key == "appid") {
      c.appid = std::string(value);
    } else if (key == "timeout") {
      ok = parseNumber<unsigned>(value, 1, 600000, c.timeoutMs);
    } else if (key == "coding_libs") {
      ok = isBareFileName(value);
      c.codingLibs = std::string(value);
    } else if (key == "max_text_size") {
      ok = parseNumber<std::size_t>(value, 2, 1 << 20, c.maxTextSize);
    }
    if (!ok) return {std::nullopt, std::string(key) + ": bad value " + std::string(value)};
  }
  if (!seen.count("server_url")) return {std::nullopt, "server_url: missing"};
  if (!seen.count("appid")) return {std::nullopt, "appid: missing"};
  return {c, {}};
}

}  // namespace lectavo::msc
