#pragma once
// The codec library (coding_libs) beside msc.dll, loaded by its full path; every entry point checked.
#include <memory>
#include <string>

#include "platform/owner.h"
#include "sdk/msc/synth_session.h"
#include "sdk/speex/speex_api.h"

namespace lectavo::msc {

class CodecLibrary {
 public:
  // Null when the file is missing or lacks an entry point; the client then asks for plain PCM.
  static std::shared_ptr<CodecLibrary> load(const std::wstring& path);

  // Decodes one stream: feed() the bytes as they come, then complete() at its end.
  class Stream {
   public:
    explicit Stream(std::shared_ptr<const CodecLibrary> lib);
    ~Stream();
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;
    bool feed(const std::uint8_t* data, std::size_t n, Bytes& pcm);
    bool complete() const;

   private:
    std::shared_ptr<const CodecLibrary> lib_;
    AdpcmDecoder* decoder_ = nullptr;
  };

 private:
  platform::UniqueModule module_;
  decltype(&AdpcmDecoderCreate) create_ = nullptr;
  decltype(&AdpcmDecoderFeed) feed_ = nullptr;
  decltype(&AdpcmDecoderComplete) complete_ = nullptr;
  decltype(&AdpcmDecoderDestroy) destroy_ = nullptr;
};

// The folder msc.dll itself was loaded from, with a trailing backslash.
std::wstring ownFolder();

}  // namespace lectavo::msc
