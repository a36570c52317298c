#pragma once
// Owner of a WinHTTP handle.
#include <windows.h>
#include <winhttp.h>

#include "platform/owner.h"

namespace lectavo::msc {

struct InternetHandleTraits {
  using Value = HINTERNET;
  static Value none() { return nullptr; }
  static void release(Value v) { WinHttpCloseHandle(v); }
};
using UniqueInternet = platform::Owner<InternetHandleTraits>;

}  // namespace lectavo::msc
