#pragma once
// A flat JSON object writer for the service's small answers; strings are escaped here only.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace lectavo::service {

class JsonObject {
 public:
  JsonObject& add(std::string_view key, std::string_view value) {
    field(key);
    quote(value);
    return *this;
  }
  JsonObject& add(std::string_view key, const std::vector<std::string_view>& values) {
    field(key);
    out_ += '[';
    for (std::size_t i = 0; i < values.size(); ++i) {
      if (i) out_ += ',';
      quote(values[i]);
    }
    out_ += ']';
    return *this;
  }
  std::string str() const { return out_.empty() ? "{}" : out_ + "}"; }

 private:
  void field(std::string_view key) {
    out_ += out_.empty() ? '{' : ',';
    quote(key);
    out_ += ':';
  }
  void quote(std::string_view s) {
    out_ += '"';
    for (const char c : s) {
      const auto u = static_cast<unsigned char>(c);
      if (c == '"' || c == '\\') {
        out_ += '\\';
        out_ += c;
      } else if (u < 0x20) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "\\u%04x", u);
        out_ += buf;
      } else {
        out_ += c;
      }
    }
    out_ += '"';
  }
  std::string out_;
};

}  // namespace lectavo::service
