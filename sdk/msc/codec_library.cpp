#include "sdk/msc/codec_library.h"

#include <cstring>

namespace lectavo::msc {
namespace {

template <typename Fn>
bool resolve(HMODULE module, const char* name, Fn& out) {
  out = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  return out != nullptr;
}

}  // namespace

std::shared_ptr<CodecLibrary> CodecLibrary::load(const std::wstring& path) {
  // Only this exact file: no search of other folders for a library of that name.
  platform::UniqueModule module(LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
  if (!module) return nullptr;
  auto lib = std::shared_ptr<CodecLibrary>(new CodecLibrary());
  const HMODULE m = module.get();
  if (!resolve(m, "AdpcmDecoderCreate", lib->create_) || !resolve(m, "AdpcmDecoderFeed", lib->feed_) ||
      !resolve(m, "AdpcmDecoderComplete", lib->complete_) || !resolve(m, "AdpcmDecoderDestroy", lib->destroy_))
    return nullptr;
  lib->module_ = std::move(module);
  return lib;
}

CodecLibrary::Stream::Stream(std::shared_ptr<const CodecLibrary> lib) : lib_(std::move(lib)) {
  decoder_ = lib_->create_();
  if (!decoder_) throw std::bad_alloc();
}

CodecLibrary::Stream::~Stream() { lib_->destroy_(decoder_); }

bool CodecLibrary::Stream::feed(const std::uint8_t* data, std::size_t n, Bytes& pcm) {
  const short* samples = nullptr;
  unsigned count = 0;
  if (lib_->feed_(decoder_, data, static_cast<unsigned>(n), &samples, &count) != ADPCM_OK) return false;
  const std::size_t bytes = std::size_t{count} * 2;
  const std::size_t at = pcm.size();
  pcm.resize(at + bytes);
  if (bytes) std::memcpy(pcm.data() + at, samples, bytes);
  return true;
}

bool CodecLibrary::Stream::complete() const { return lib_->complete_(decoder_) == 1; }

std::wstring ownFolder() {
  HMODULE self = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&ownFolder), &self);
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(self, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return L"";
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  const std::size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? L"" : path.substr(0, slash + 1);
}

}  // namespace lectavo::msc
