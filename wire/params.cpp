#include "params.h"

#include <charconv>
#include <cstdio>

namespace lectavo::wire {
namespace {

constexpr std::size_t kMaxShown = 40;

// Values may hold any bytes; messages stay printable ASCII.
std::string shown(std::string_view v) {
  std::string out;
  for (std::size_t i = 0; i < v.size() && i < kMaxShown; ++i) {
    const auto c = static_cast<unsigned char>(v[i]);
    if (c >= 0x20 && c < 0x7f && c != '"' && c != '\\') {
      out += static_cast<char>(c);
    } else {
      char buf[5];
      std::snprintf(buf, sizeof buf, "\\x%02x", c);
      out += buf;
    }
  }
  if (v.size() > kMaxShown) out += "...";
  return out;
}

std::string_view trimSpaces(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

ParamError fail(std::string_view key, std::string message) {
  return ParamError{std::string(key), std::move(message)};
}

ParamError badValue(std::string_view key, std::string_view value, std::string_view expected) {
  std::string m(key);
  m += ": unsupported value \"";
  m += shown(value);
  m += "\" (expected ";
  m += expected;
  m += ")";
  return fail(key, std::move(m));
}

// Whole number 0..100, nothing else but surrounding spaces.
bool percent(std::string_view v, int& out) {
  v = trimSpaces(v);
  if (v.empty()) return false;
  int n = 0;
  const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
  if (ec != std::errc() || end != v.data() + v.size() || n < 0 || n > 100) return false;
  out = n;
  return true;
}

enum class Key { aue, auf, bgs, ent, pitch, speed, tte, vcn, volume, count };
constexpr std::array<std::string_view, static_cast<std::size_t>(Key::count)> kKeys = {
    "aue", "auf", "bgs", "ent", "pitch", "speed", "tte", "vcn", "volume"};

ParamError apply(Key key, std::string_view name, std::string_view raw, SessionParams& p) {
  const std::string_view v = trimSpaces(raw);
  switch (key) {
    case Key::aue:
      if (equalsNoCase(v, "raw")) return {};
      return badValue(name, raw, "raw");
    case Key::auf:
      if (equalsNoCase(v, "audio/L16;rate=16000")) return {};
      return badValue(name, raw, "audio/L16;rate=16000");
    case Key::bgs:
      if (v == "0") return {};
      return badValue(name, raw, "0: no background sound");
    case Key::ent:
      if (equalsNoCase(v, "intp65")) return {};
      return badValue(name, raw, "intp65");
    case Key::pitch:
      if (percent(v, p.pitch)) return {};
      return badValue(name, raw, "a whole number 0 to 100");
    case Key::volume:
      if (percent(v, p.volume)) return {};
      return badValue(name, raw, "a whole number 0 to 100");
    case Key::speed: {
      // The program sends its speed box as typed and only keeps it within range by replacing an
      // out-of-range value with 50; read it the same way.
      const int n = leadingNumber(raw);
      p.speed = (n < 0 || n > 100) ? 50 : n;
      return {};
    }
    case Key::tte:
      if (equalsNoCase(v, "GB2312") || equalsNoCase(v, "GBK") || equalsNoCase(v, "CP936")) {
        p.encoding = TextEncoding::gbk;
      } else if (equalsNoCase(v, "GB18030")) {
        p.encoding = TextEncoding::gb18030;
      } else if (equalsNoCase(v, "UTF8") || equalsNoCase(v, "UTF-8")) {
        p.encoding = TextEncoding::utf8;
      } else {
        return badValue(name, raw, "GB2312, GBK, CP936, GB18030 or UTF8");
      }
      return {};
    case Key::vcn:
      for (std::size_t i = 0; i < kVoiceNames.size(); ++i) {
        if (equalsNoCase(v, kVoiceNames[i])) {
          p.voice = static_cast<Voice>(i);
          return {};
        }
      }
      return badValue(name, raw, "x_yiping, x_xiaoyuan, x_binge or x_nannan");
    case Key::count:
      break;
  }
  return fail(name, "internal: unhandled key");
}

// One character of the speed text: ASCII, or the code-page-936 full-width form (A3 xx, A1 A1).
struct Cell {
  char ascii;        // 0 when the bytes are something else
  std::size_t size;  // bytes taken
};

Cell cellAt(std::string_view s, std::size_t i) {
  const auto c = static_cast<unsigned char>(s[i]);
  if (c < 0x80) return {static_cast<char>(c), 1};
  if (i + 1 >= s.size()) return {0, 1};
  const auto d = static_cast<unsigned char>(s[i + 1]);
  if (c == 0xA1 && d == 0xA1) return {' ', 2};
  if (c == 0xA3 && d >= 0xA1 && d <= 0xFE) return {static_cast<char>(d - 0x80), 2};
  return {0, 2};
}

bool isWhite(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

}  // namespace

int leadingNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const Cell cell = cellAt(text, i);
    if (!isWhite(cell.ascii)) break;
    i += cell.size;
  }
  bool negative = false;
  if (i < text.size()) {
    const Cell cell = cellAt(text, i);
    if (cell.ascii == '+' || cell.ascii == '-') {
      negative = cell.ascii == '-';
      i += cell.size;
    }
  }
  long long value = 0;
  while (i < text.size()) {
    const Cell cell = cellAt(text, i);
    if (cell.ascii < '0' || cell.ascii > '9') break;
    // Anything this large is out of range anyway; saturate instead of overflowing.
    if (value < 1'000'000'000) value = value * 10 + (cell.ascii - '0');
    i += cell.size;
  }
  if (negative) value = -value;
  if (value > 1'000'000'000) value = 1'000'000'000;
  if (value < -1'000'000'000) value = -1'000'000'000;
  return static_cast<int>(value);
}

ParamResult parseParams(std::string_view text) {
  ParamResult result;
  std::array<bool, kKeys.size()> seen{};
  while (true) {
    const std::size_t comma = text.find(',');
    const std::string_view segment = text.substr(0, comma);
    if (!trimSpaces(segment).empty()) {
      const std::size_t eq = segment.find('=');
      if (eq == std::string_view::npos) {
        const std::string_view name = trimSpaces(segment);
        result.error = fail(shown(name), "parameter \"" + shown(name) + "\" has no '=' and value");
        return result;
      }
      const std::string_view name = trimSpaces(segment.substr(0, eq));
      std::size_t k = 0;
      while (k < kKeys.size() && kKeys[k] != name) ++k;
      if (k == kKeys.size()) {
        result.error = fail(shown(name), "unknown parameter \"" + shown(name) + "\"");
        return result;
      }
      if (seen[k]) {
        result.error = fail(name, std::string(name) + ": given more than once");
        return result;
      }
      seen[k] = true;
      result.error = apply(static_cast<Key>(k), name, segment.substr(eq + 1), result.params);
      if (!result.ok()) return result;
    }
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  return result;
}

}  // namespace lectavo::wire
