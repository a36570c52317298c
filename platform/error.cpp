#include "platform/error.h"

#include <cstdio>

namespace lectavo::platform {

namespace {
std::string describe(const char* call, DWORD code) {
  std::string s = std::string(call) + " failed with code " + std::to_string(code);
  char* text = nullptr;
  DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                               FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, code, MAKELANGID(LANG_ENGLISH, SUBLANG_DEFAULT),
                           reinterpret_cast<char*>(&text), 0, nullptr);
  if (n != 0 && text != nullptr) {
    std::string m(text, n);
    while (!m.empty() && (m.back() == '\n' || m.back() == '\r' || m.back() == ' ')) m.pop_back();
    s += ": " + m;
  }
  if (text != nullptr) LocalFree(text);
  return s;
}
}  // namespace

WinError::WinError(const char* call, DWORD code)
    : std::runtime_error(describe(call, code)), call_(call), code_(code) {}

void throwLastError(const char* call) { throw WinError(call, GetLastError()); }

void fatalError(const std::string& message, unsigned exitCode) {
  std::string line = "lectavo: fatal: " + message + "\n";
  std::fputs(line.c_str(), stderr);
  std::fflush(stderr);
  OutputDebugStringA(line.c_str());
  ExitProcess(exitCode);
}

}  // namespace lectavo::platform
