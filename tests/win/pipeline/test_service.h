#pragma once
// Initialises msc.dll (beside the test binary) against the speech service the test runner started on
// LECTAVO_SERVICE_PORT, instead of the program's own server choice.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "speech/sdk_binding.h"

namespace lectavo::test {

inline bool initialiseTestService() {
  const char* port = std::getenv("LECTAVO_SERVICE_PORT");
  if (port == nullptr) return false;
  wchar_t exe[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring dll(exe, n);
  dll = dll.substr(0, dll.find_last_of(L'\\') + 1) + L"msc.dll";
  if (!sdk::bindLibrary(dll)) return false;
  const std::string config = std::string("server_url=127.0.0.1:") + port +
                             "/index.htm,appid=7f21ac4e,timeout=10000,coding_libs=speex.dll,max_text_size=2048";
  return sdk::init(config.c_str()) == 0;
}

}  // namespace lectavo::test
