// Fuzz target: a session parameter text, then (after a zero byte) the request text, through the
// parser and the text path the service runs for every request; the remaining bytes also go
// through the wire decoder.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "service/text_input.h"
#include "wire/ima_adpcm.h"
#include "wire/params.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view all(reinterpret_cast<const char*>(data), size);
  const std::size_t cut = all.find('\0');
  const std::string_view paramText = all.substr(0, cut);
  const std::string_view text = cut == std::string_view::npos ? std::string_view() : all.substr(cut + 1);

  const lectavo::wire::ParamResult r = lectavo::wire::parseParams(paramText);
  if (r.ok()) {
    const auto& p = r.params;
    if (p.speed < 0 || p.speed > 100 || p.pitch < 0 || p.pitch > 100 || p.volume < 0 || p.volume > 100) std::abort();
    const lectavo::service::DecodedText d = lectavo::service::decodeText(text, p.encoding);
    for (const char c : d.utf8) {
      if (static_cast<unsigned char>(c) < 0x20) std::abort();  // control bytes never reach the engine
    }
  } else {
    for (const char c : r.error.message) {
      if (c < 0x20 || c > 0x7e) std::abort();  // messages stay printable ASCII
    }
  }
  lectavo::wire::leadingNumber(paramText);

  lectavo::codec::StreamDecoder dec;
  std::vector<std::int16_t> pcm;
  dec.feed(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), pcm);
  return 0;
}
