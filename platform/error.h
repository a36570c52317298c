#pragma once
// Errors of Windows calls: the failing call's name and its code travel together.
#include <windows.h>

#include <stdexcept>
#include <string>

namespace lectavo::platform {

class WinError : public std::runtime_error {
 public:
  WinError(const char* call, DWORD code);
  const char* call() const { return call_; }
  DWORD code() const { return code_; }

 private:
  const char* call_;
  DWORD code_;
};

// Throws WinError for `call` with GetLastError().
[[noreturn]] void throwLastError(const char* call);

// For failures nothing can recover from: writes the message where a developer sees it (stderr and the
// debugger channel) and ends the process with `exitCode`.
[[noreturn]] void fatalError(const std::string& message, unsigned exitCode = 70);

}  // namespace lectavo::platform
