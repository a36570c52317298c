// speex.dll: the wire decoder behind a C boundary.
#include "sdk/speex/speex_api.h"

#include <cstdint>
#include <new>
#include <vector>

#include "wire/ima_adpcm.h"

struct AdpcmDecoder {
  lectavo::codec::StreamDecoder stream;
  std::vector<std::int16_t> out;  // what the last feed handed out
};

extern "C" {

AdpcmDecoder* __stdcall AdpcmDecoderCreate(void) { return new (std::nothrow) AdpcmDecoder(); }

int __stdcall AdpcmDecoderFeed(AdpcmDecoder* decoder, const unsigned char* data, unsigned len,
                               const short** samples, unsigned* count) {
  if (!decoder || !samples || !count || (!data && len > 0)) return ADPCM_BAD_ARGUMENT;
  *samples = nullptr;
  *count = 0;
  try {
    decoder->out.clear();
    if (!decoder->stream.feed(data, len, decoder->out)) return ADPCM_MALFORMED;
    *samples = decoder->out.data();
    *count = static_cast<unsigned>(decoder->out.size());
    return ADPCM_OK;
  } catch (const std::bad_alloc&) {
    return ADPCM_NO_MEMORY;
  } catch (...) {
    return ADPCM_MALFORMED;
  }
}

int __stdcall AdpcmDecoderComplete(const AdpcmDecoder* decoder) {
  return decoder && decoder->stream.atFrameBoundary() ? 1 : 0;
}

void __stdcall AdpcmDecoderDestroy(AdpcmDecoder* decoder) { delete decoder; }

}  // extern "C"
