#pragma once
// The PCM of a Save, collected on disk rather than in memory, and the WAV file written from it.
#include <windows.h>

#include <cstdint>
#include <string>

#include "audio/wav_image.h"
#include "platform/owner.h"

namespace lectavo {

class SaveSpool {
 public:
  // `limit`: the most PCM one WAV file can hold; what goes past it is dropped and remembered.
  explicit SaveSpool(std::uint64_t limit = kWavMaxPcm);

  // Appends PCM; false when the temporary file cannot be written (writeFailed() tells).
  bool append(const std::uint8_t* data, std::size_t size);
  void reset();

  std::uint64_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  bool full() const { return truncated_; }
  bool writeFailed() const { return writeFailed_; }

  // Writes header + PCM to `path`: first beside it, then moved over it, so a failure leaves any old file
  // as it was. Returns 0 or the Windows error code, with `failedCall` naming the call.
  DWORD writeWav(const std::wstring& path, const char*& failedCall) const;

 private:
  bool open();

  std::uint64_t limit_;
  std::uint64_t size_ = 0;
  bool truncated_ = false;
  bool writeFailed_ = false;
  platform::UniqueFile file_;
};

}  // namespace lectavo
