#pragma once
// speex.dll: the decoder of the service's compressed wire stream (IMA ADPCM frames), for msc.dll.
// A plain C API so msc.dll can load the library by name and look its entry points up; nothing thrown
// inside ever leaves an entry point.
#ifdef __cplusplus
extern "C" {
#endif

#if defined(LECTAVO_SPEEX_BUILD)
#define LECTAVO_SPEEX_API __declspec(dllexport)
#else
#define LECTAVO_SPEEX_API __declspec(dllimport)
#endif

typedef struct AdpcmDecoder AdpcmDecoder;

// Result codes of AdpcmDecoderFeed.
#define ADPCM_OK 0
#define ADPCM_BAD_ARGUMENT 1
#define ADPCM_MALFORMED 2  // the stream is not well-formed; the decoder stays failed
#define ADPCM_NO_MEMORY 3

// One decoder per audio stream; null when out of memory.
LECTAVO_SPEEX_API AdpcmDecoder* __stdcall AdpcmDecoderCreate(void);

// Feeds len bytes of the stream, split at any byte. On ADPCM_OK *samples and *count give the 16-bit
// mono samples decoded from whole frames so far (count may be 0); they stay valid until the next call
// on this decoder.
LECTAVO_SPEEX_API int __stdcall AdpcmDecoderFeed(AdpcmDecoder* decoder, const unsigned char* data, unsigned len,
                                                 const short** samples, unsigned* count);

// 1 when the bytes fed so far end on a frame boundary (a complete stream), 0 otherwise.
LECTAVO_SPEEX_API int __stdcall AdpcmDecoderComplete(const AdpcmDecoder* decoder);

LECTAVO_SPEEX_API void __stdcall AdpcmDecoderDestroy(AdpcmDecoder* decoder);

#ifdef __cplusplus
}
#endif
