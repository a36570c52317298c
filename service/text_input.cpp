#include "text_input.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace lectavo::service {
namespace {

struct IconvCloser {
  void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};

const char* iconvName(wire::TextEncoding e) {
  switch (e) {
    case wire::TextEncoding::gbk:
      return "GBK";
    case wire::TextEncoding::gb18030:
      return "GB18030";
    case wire::TextEncoding::utf8:
      return "UTF-8";
  }
  return "UTF-8";
}

}  // namespace

DecodedText decodeText(std::string_view bytes, wire::TextEncoding encoding) {
  DecodedText out;
  const char* from = iconvName(encoding);
  iconv_t raw = iconv_open("UTF-8", from);
  if (raw == reinterpret_cast<iconv_t>(-1)) {
    out.error = std::string("iconv_open ") + from + " failed: " + std::strerror(errno);
    return out;
  }
  std::unique_ptr<void, IconvCloser> cd(raw);
  std::string result(bytes.size() * 4 + 16, '\0');
  char* in = const_cast<char*>(bytes.data());
  std::size_t inLeft = bytes.size();
  char* dst = result.data();
  std::size_t outLeft = result.size();
  if (iconv(raw, &in, &inLeft, &dst, &outLeft) == static_cast<std::size_t>(-1)) {
    const std::size_t at = bytes.size() - inLeft;
    out.error = std::string("text is not valid ") + (encoding == wire::TextEncoding::utf8 ? "UTF-8" : from) +
                " at byte " + std::to_string(at);
    return out;
  }
  result.resize(result.size() - outLeft);
  for (char& c : result) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7f) c = ' ';
  }
  out.utf8 = std::move(result);
  return out;
}

}  // namespace lectavo::service
